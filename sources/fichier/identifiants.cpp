// The document identifier of the item "ApptUNID:".
#include "vellumcast.h"

namespace vellumcast {

void Conversion::RECUPERER_UID() {
  Etat& e = etat_;
  e.a_uid = true;
  ligne_uid_ = source_->Ligne();
  e.CH_UID.Vider();
  if (!source_->END_OF_LINE) {
    auto garder = [&e](std::string_view s) {
      e.CH_UID.Ajouter(s);
      e.CAR = s.back();
      return s.size();
    };
    // The identifier runs to its line end or to the end of the input; blanks
    // are left out, and what passes 255 characters is dropped.
    for (;;) {
      int arret = source_->Jusqua<' ', '\n', kFinEntree>(garder);
      if (arret != ' ' && arret != '\n') break;
      e.CAR = source_->NEXTCAR();
      if (source_->END_OF_LINE) break;
    }
  }
  if (e.CH_UID.empty()) e.CH_UID = CHAINE("A");
}

}  // namespace vellumcast
