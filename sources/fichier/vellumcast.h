// The conversion of an export into an iCalendar file: the document loop, the
// item dispatch, the item handlers and the event writer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "chaines.h"
#include "fichiers.h"
#include "registre.h"
#include "statut.h"
#include "tampon.h"

namespace vellumcast {

constexpr char kEsc = 27;       // CAR_DEJA_LU when no character is kept back
constexpr char kSautPage = 12;  // the form feed that ends a document
constexpr int32_t kAnneeLimite = 2012;

// The fixed names the run writes or erases beside the input.
constexpr const char* kNomJournal = "Vellumcast.log";
constexpr const char* kNomIcal = "~ical.tmp";
constexpr const char* kNomRdv = "~rdv.tmp";
constexpr const char* kNomDatesDebut = "~dates_debut.tmp";
constexpr const char* kNomDatesFin = "~dates_fin.tmp";
constexpr const char* kNomDonnees = "~donnees.tmp";

// The UTF-8 form of a byte read as ISO 8859-1; byte 0 becomes a blank.
std::string_view UTF8(unsigned char car);
// Writes the UTF-8 form of `latin1` at `p`, byte by byte as UTF8 gives it,
// and returns its end. `p` must have room for 2 * latin1.size() + 16 bytes.
char* VersUtf8(std::string_view latin1, char* p);
// Appends the UTF-8 form of `latin1`, byte by byte as UTF8 gives it.
void AjouterUtf8(std::string_view latin1, Tampon* tampon);

struct Options {
  // Start dates of this year or later give no event.
  int32_t annee_limite = kAnneeLimite;
  // Past this many bytes the event buffer and a date list move to disk.
  size_t limite_memoire = Tampon::kLimiteParDefaut;
};

// One run of the conversion over one input. Holds the whole conversion state,
// so that many runs can share a process.
class Conversion {
 public:
  Conversion(Source* source, Resultat* result, Trace* trace, Repertoire* repertoire,
             Erreurs* erreurs, Options options = {});

  // The start values of a run; tracing on.
  void INIT();
  // The 49-line calendar prologue.
  void Prologue();
  // Every document, from the first to the end of the input.
  void Documents();
  // Erases the scratch names an earlier run may have left beside the input.
  void EffacerBrouillons();
  // The closing "END:VCALENDAR" line.
  void FinCalendrier();
  // Prologue, Documents, EffacerBrouillons and FinCalendrier: the whole result.
  void Convertir();

  // Item lines and dispatch.
  void LIRE_DEBUT_LIGNE(CHAINE* seq, char deca);
  void SAUTER_LIGNE() { source_->SauterLigne(); }
  void TRAITER_LIGNE(const CHAINE& ligne);

  // Text items and the event buffer (kept in UTF-8, as the result receives it).
  void PUT_RDV(std::string_view ch);
  void ECRIRE_LIGNE_RDV(std::string_view mot_cle);
  void ECRIRE_DESCRIPTION();
  void ECRIRE_ACCES();

  // Date items and recurrence.
  void RECUPERER_DATES(int i);
  void CHERCHER_RECURRENCE();
  bool NEXT_START_DATE(CHAINE* date) { return dates_debut_.LigneSuivante(date); }
  bool NEXT_END_DATE(CHAINE* date) { return dates_fin_.LigneSuivante(date); }

  // Identifiers.
  void RECUPERER_UID();
  bool UID_DEJA_RENCONTRE() { return registre_.DejaRencontre(CH_UID); }

  // Embedded calendar capture into "~ical.tmp".
  void RECUPERER_ICAL();

  // Emission of a finished document and the event writer.
  void Emettre();
  void ECRIRE_DEBUT_RDV();
  void ECRIRE_NEW_RDV();
  void ECRIRE_FIN_RDV();

  // The conversion state.
  CHAINE LIGNE;
  char CAR_DEJA_LU = kEsc;
  char CAR = 0;
  bool RDV_PRESQUE_FINI = false;
  bool FIN_DE_RDV = false;
  bool RDV_RECURRENT = false;
  bool RDV_DEJA_TROUVE = false;
  bool ICAL = false;
  CHAINE CH_UID;
  int32_t NO_UID = 0;
  CHAINE START_DATE;
  CHAINE END_DATE;

  const Tampon& event_buffer() const { return rdv_; }
  const Registre& registre() const { return registre_; }

 private:
  void NouveauDocument();
  // Ends the document at a form feed that begins an item line or a piece.
  void FinParSautDePage();
  bool Echec() const { return erreurs_->echec(); }
  // Adds one value character to a folded line, with its escape.
  void AjouterValeur(char c, int* compteur);
  // Adds the value characters that need neither an escape nor a line-end
  // test straight from the reader's buffer, folding as AjouterValeur does.
  void CopierValeur(int* compteur);
  void ECRIRE_FIN_LIGNE(Ecrivain* fichier);
  // Writes one date of a list, as "yyyymmddThhmmss" when its fields allow.
  void EcrireDate(const CHAINE& jour, const CHAINE& mois, const CHAINE& annee,
                  std::string_view temps_brut, const CHAINE& temps_sans_deux_points, Tampon* liste);

  Source* source_;
  Resultat* result_;
  Trace* trace_;
  Repertoire* repertoire_;
  Erreurs* erreurs_;
  Options options_;

  Tampon rdv_;          // the event buffer of the document
  Tampon dates_debut_;  // the document's own start dates, one a line
  Tampon dates_fin_;    // and its own end dates
  bool a_dates_debut_ = false;
  bool a_dates_fin_ = false;
  bool a_uid_ = false;  // the document has its own "ApptUNID:" item
  Registre registre_;
};

}  // namespace vellumcast
