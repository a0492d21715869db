// The date item handlers: the start and end lists, and the recurrence that
// the calendar item shows.
#include "lecture_dates.h"
#include "vellumcast.h"

namespace vellumcast {

// The list lies on its item line: it ends at the line end, which is taken,
// or at the end of the input.
void Conversion::RECUPERER_DATES(Liste liste) {
  const bool debuts = liste == Liste::kDebuts;
  Tampon* dates = debuts ? &dates_debut_ : &dates_fin_;
  (debuts ? etat_.a_dates_debut : etat_.a_dates_fin) = true;
  (debuts ? ligne_debuts_ : ligne_fins_) = source_->Ligne();
  dates->Vider();
  LectureDates lecture(options_.ordre_dates, liste, dates, &etat_.RDV_RECURRENT, &rapport_);
  Signature* signature = options_.uids_stables ? &signature_ : nullptr;
  if (signature != nullptr) signature->Ajouter(etat_.LIGNE);
  int fin = source_->Jusqua<'\n', kFinEntree>([&lecture, signature](std::string_view s) {
    lecture.Lire(s);
    if (signature != nullptr) signature->Ajouter(s);
    return s.size();
  });
  if (signature != nullptr) signature->Ajouter("\n");
  lecture.Finir();
  if (fin == '\n') source_->NEXTCAR();
}

void Conversion::CHERCHER_RECURRENCE() {
  if (!source_->END_OF_LINE) {
    int arret = source_->Jusqua<',', '\n', kFinEntree>([](std::string_view s) { return s.size(); });
    if (arret == ',') etat_.RDV_RECURRENT = true;
  }
  SAUTER_LIGNE();
}

}  // namespace vellumcast
