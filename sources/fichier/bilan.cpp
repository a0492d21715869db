#include "bilan.h"

#include "fichiers.h"

namespace vellumcast {

namespace {

// "1 event", "2 events".
std::string Nombre(uint64_t n, std::string_view un, std::string_view plusieurs) {
  return std::to_string(n) + " " + std::string(n == 1 ? un : plusieurs);
}

}  // namespace

void BilanConversion::Noter(Perte perte, uint64_t ligne) {
  Releve& r = releves_[static_cast<size_t>(perte)];
  ++r.nombre;
  for (size_t i = 0; i < r.n_lignes; ++i) {
    if (r.lignes[i] == ligne) return;
  }
  if (r.n_lignes < r.lignes.size()) {
    r.lignes[r.n_lignes++] = ligne;
  } else {
    r.autres = true;
  }
}

void BilanConversion::Noter(Perte perte) { Noter(perte, source_->Ligne()); }

std::string BilanConversion::Texte(std::string_view resultat, const Options& options) const {
  std::string t =
      "vellumcast: " + std::string(resultat) + ": " + Nombre(evenements_, "event", "events") +
      " written from " + Nombre(documents_, "document", "documents") + " read, " +
      Nombre(repetitions_, "repeat", "repeats") + " of recurring documents converted once\n";
  // Bytes 0x80 to 0x9F are continuation bytes in a text that is all UTF-8.
  const bool utf8 = releves_[static_cast<size_t>(Perte::kUtf8Probable)].nombre > 0 && !pas_utf8_;
  for (size_t k = 0; k < kPertes; ++k) {
    const Releve& r = releves_[k];
    auto perte = static_cast<Perte>(k);
    if (r.nombre == 0 || (perte == Perte::kUtf8Probable && !utf8) ||
        (perte == Perte::kControles && utf8)) {
      continue;
    }
    std::string lignes = r.n_lignes == 1 ? " (line " : " (lines ";
    for (size_t i = 0; i < r.n_lignes; ++i) {
      lignes += (i > 0 ? ", " : "") + std::to_string(r.lignes[i]);
    }
    // Lines beyond the first three are not named.
    lignes += r.autres ? ", ...)" : ")";
    t += "vellumcast: note: ";
    switch (perte) {
      case Perte::kAnneeLimite:
        t += Nombre(r.nombre, "event", "events") + " left out because " +
             (r.nombre == 1 ? "it starts in " : "they start in ") +
             std::to_string(options.annee_limite) + " or later" + lignes +
             "; --year-limit 9999 keeps them";
        break;
      case Perte::kSansDebut:
        t += Nombre(r.nombre, "document", "documents") +
             " gave no event: no start date, or none complete" + lignes +
             "; an event needs a STARTDATETIME item with a whole date and time";
        break;
      case Perte::kDateCoupee:
        t += Nombre(r.nombre, "date", "dates") +
             " dropped, cut short by the line end or the end of the input" + lignes +
             "; a date needs its day, month, year and time on its item line";
        break;
      case Perte::kDateInvalide:
        t += Nombre(r.nombre, "date", "dates") + " written that " +
             (r.nombre == 1 ? "is not a calendar date-time" : "are not calendar date-times") +
             lignes + "; calendar programs reject or move them";
        if (mois_premier_) t += "; months above 12 suggest month-first dates: try --date-order mdy";
        break;
      case Perte::kControles:
        t += Nombre(r.nombre, "character", "characters") +
             " 0x80 to 0x9F read as control characters" + lignes +
             "; if the export was written on Windows, try --charset windows-1252";
        break;
      case Perte::kUtf8Probable:
        t += Nombre(r.nombre, "character", "characters") +
             " above 0x7F, all valid UTF-8, read as single bytes" + lignes +
             "; if the export is UTF-8, try --charset utf-8";
        break;
      case Perte::kUtf8Invalide:
        t += Nombre(r.nombre, "byte", "bytes") + " not valid UTF-8 written as U+FFFD" + lignes +
             "; the export may not be UTF-8: try --charset windows-1252";
        break;
    }
    t += '\n';
  }
  return t;
}

}  // namespace vellumcast
