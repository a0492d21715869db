// The capture of an embedded calendar's first event, for "~ical.tmp".
#include "noms.h"
#include "vellumcast.h"

namespace vellumcast {

void Conversion::ECRIRE_FIN_LIGNE() {
  if (!source_->END_OF_LINE) {
    int arret = source_->Jusqua<'\n', kFinEntree>([this](std::string_view s) {
      capture_.Ajouter(s);
      return s.size();
    });
    if (arret == '\n') source_->NEXTCAR();
  }
  capture_.Ajouter("\r\n");
}

template <typename Marque>
Conversion::Arret Conversion::PiecesJusqua(CHAINE* ch, Marque&& marque) {
  while (!Echec() && !source_->AtEnd()) {
    LIRE_DEBUT_LIGNE(ch, ' ');
    // A form feed that begins a piece ends the document, markers or not.
    if (!ch->empty() && (*ch)[0] == kSautPage) return Arret::kDocumentFini;
    if (marque(*ch)) return Arret::kMarque;
  }
  return Arret::kEntreeEpuisee;
}

void Conversion::RECUPERER_ICAL() {
  trace_->REPORT("iCal d\xe9tect\xe9");
  // The file is opened once, at the first capture, and written at the end.
  if (fichier_ical_ == nullptr) {
    Statut cree = repertoire_->CreerSansLien(kNomIcal, erreurs_, &fichier_ical_);
    if (!cree.ok()) {
      erreurs_->Signaler(cree);
      return;
    }
  }
  capture_.Vider();
  CHAINE ch;
  // Search: the first piece of each line, up to the event's opening marker.
  Arret arret = PiecesJusqua(&ch, [this](const CHAINE& piece) {
    SAUTER_LIGNE();
    return STARTSWITH(piece, "BEGIN:VEVENT");
  });
  if (arret == Arret::kMarque) {
    trace_->REPORT("VEVENT detecte");
    capture_.Ajouter(ch);
    ECRIRE_FIN_LIGNE();
    // Copy: whole lines, up to and including the event's closing marker.
    arret = PiecesJusqua(&ch, [this](const CHAINE& piece) {
      capture_.Ajouter(piece);
      ECRIRE_FIN_LIGNE();
      return STARTSWITH(piece, "END:VEVENT");
    });
  }
  if (arret == Arret::kMarque) {
    // Skip: every piece, wherever it stands, up to the calendar's end.
    arret =
        PiecesJusqua(&ch, [](const CHAINE& piece) { return STARTSWITH(piece, "END:VCALENDAR"); });
  }
  trace_->REPORT("fin iCal");
  if (arret == Arret::kDocumentFini) FinParSautDePage();
}

void Conversion::EcrireCapture() {
  if (fichier_ical_ == nullptr || capture_ecrite_) return;
  capture_ecrite_ = true;
  capture_.Copier([this](std::string_view morceau) { fichier_ical_->Ecrire(morceau); });
  fichier_ical_->Fermer();
}

}  // namespace vellumcast
