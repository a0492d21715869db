// The tests' view of a conversion: its state and its handlers, one at a time.
#pragma once

#include <string_view>

#include "vellumcast.h"

namespace vellumcast {

class SondeConversion {
 public:
  explicit SondeConversion(Conversion* conversion) : c_(conversion) {}

  Etat& etat() { return c_->etat_; }
  const Tampon& event_buffer() const { return c_->rdv_; }

  void LIRE_DEBUT_LIGNE(CHAINE* seq, char deca) { c_->LIRE_DEBUT_LIGNE(seq, deca); }
  void TRAITER_LIGNE(const CHAINE& ligne) { c_->TRAITER_LIGNE(ligne); }
  void PUT_RDV(std::string_view ch) { c_->PUT_RDV(ch); }
  void ECRIRE_LIGNE_RDV(std::string_view mot_cle) { c_->ECRIRE_LIGNE_RDV(mot_cle); }
  void ECRIRE_DESCRIPTION() { c_->ECRIRE_DESCRIPTION(); }
  void ECRIRE_ACCES() { c_->ECRIRE_ACCES(); }
  void RECUPERER_DATES(Liste liste) { c_->RECUPERER_DATES(liste); }
  void CHERCHER_RECURRENCE() { c_->CHERCHER_RECURRENCE(); }
  bool NEXT_START_DATE(Date* date) { return c_->NEXT_START_DATE(date); }
  bool NEXT_END_DATE(Date* date) { return c_->NEXT_END_DATE(date); }
  void RECUPERER_UID() { c_->RECUPERER_UID(); }
  void ECRIRE_DEBUT_RDV() { c_->ECRIRE_DEBUT_RDV(Date{}, false); }
  void ECRIRE_NEW_RDV() { c_->ECRIRE_NEW_RDV(); }

 private:
  Conversion* c_;
};

}  // namespace vellumcast
