// The capture of an embedded calendar's first event into "~ical.tmp".
#include "vellumcast.h"

namespace vellumcast {

namespace {

// How one loop of the capture ended.
enum class Arret { kMarque, kFinEntree, kSautPage };

}  // namespace

void Conversion::ECRIRE_FIN_LIGNE(Ecrivain* fichier) {
  if (!source_->END_OF_LINE) {
    while (!source_->AtEnd()) {
      char c = source_->NEXTCAR();
      if (source_->END_OF_LINE) break;
      fichier->Ecrire(c);
    }
  }
  fichier->Ecrire("\r\n");
}

void Conversion::RECUPERER_ICAL() {
  trace_->REPORT("iCal d\xe9tect\xe9");
  std::unique_ptr<Ecrivain> fichier;
  Statut cree = repertoire_->CreerSansLien(kNomIcal, erreurs_, &fichier);
  if (!cree.ok()) {
    erreurs_->Signaler(cree);
    return;
  }
  CHAINE ch;
  // Reads the next piece; false when the loop must stop before testing it.
  auto morceau = [&](Arret* arret) {
    if (Echec() || source_->AtEnd()) {
      *arret = Arret::kFinEntree;
      return false;
    }
    LIRE_DEBUT_LIGNE(&ch, ' ');
    // A form feed that begins a piece ends the document, markers or not.
    if (!ch.empty() && ch[0] == kSautPage) {
      *arret = Arret::kSautPage;
      return false;
    }
    return true;
  };

  Arret arret = Arret::kFinEntree;
  // Search: the first piece of each line, up to the event's opening marker.
  while (morceau(&arret)) {
    SAUTER_LIGNE();
    if (STARTSWITH(ch, "BEGIN:VEVENT")) {
      arret = Arret::kMarque;
      break;
    }
  }
  if (arret == Arret::kMarque) {
    trace_->REPORT("VEVENT detecte");
    fichier->Ecrire(ch);
    ECRIRE_FIN_LIGNE(fichier.get());
    // Copy: whole lines, up to and including the event's closing marker.
    arret = Arret::kFinEntree;
    while (morceau(&arret)) {
      fichier->Ecrire(ch);
      ECRIRE_FIN_LIGNE(fichier.get());
      if (STARTSWITH(ch, "END:VEVENT")) {
        arret = Arret::kMarque;
        break;
      }
    }
  }
  if (arret == Arret::kMarque) {
    // Skip: every piece, wherever it stands, up to the calendar's end.
    arret = Arret::kFinEntree;
    while (morceau(&arret)) {
      if (STARTSWITH(ch, "END:VCALENDAR")) break;
    }
  }
  fichier->Fermer();
  trace_->REPORT("fin iCal");
  if (arret == Arret::kSautPage) FinParSautDePage();
}

}  // namespace vellumcast
