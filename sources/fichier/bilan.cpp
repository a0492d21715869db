// The summary's lines: events written, and a note per kind of loss.
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

// " (line 12)", " (lines 12, 40, 77, ...)".
std::string BilanConversion::Lignes(const Releve& r) {
  std::string lignes = r.n_lignes == 1 ? " (line " : " (lines ";
  for (size_t i = 0; i < r.n_lignes; ++i)
    lignes += (i > 0 ? ", " : "") + std::to_string(r.lignes[i]);
  // Lines beyond the first three are not named.
  return lignes + (r.autres ? ", ...)" : ")");
}

std::string BilanConversion::Note(Perte perte, const Releve& r, const Options& options) const {
  const bool un = r.nombre == 1;
  const std::string lignes = Lignes(r);
  switch (perte) {
    case Perte::kAnneeLimite:
      return Nombre(r.nombre, "event", "events") + " left out because " +
             (un ? "it starts in " : "they start in ") + std::to_string(options.annee_limite) +
             " or later" + lignes + "; --year-limit 9999 keeps them";
    case Perte::kSansDebut:
      return Nombre(r.nombre, "document", "documents") +
             " gave no event: no start date, or none complete" + lignes +
             "; an event needs a STARTDATETIME item with a whole date and time";
    case Perte::kDateCoupee:
      return Nombre(r.nombre, "date", "dates") +
             " dropped, cut short by the line end or the end of the input" + lignes +
             "; a date needs its day, month, year and time on its item line";
    case Perte::kDateInvalide:
      return Nombre(r.nombre, "date", "dates") + " written that " +
             (un ? "is not a calendar date-time" : "are not calendar date-times") + lignes +
             "; calendar programs reject or move them" +
             (mois_premier_ ? "; months above 12 suggest month-first dates: try --date-order mdy"
                            : "");
    case Perte::kControles:
      return Nombre(r.nombre, "character", "characters") + " 0x80 to 0x9F read as " +
             (un ? "a control character" : "control characters") + lignes +
             "; if the export was written on Windows, try --charset windows-1252";
    case Perte::kUtf8Probable:
      return Nombre(r.nombre, "character", "characters") + " above 0x7F, " +
             (un ? "valid" : "all valid") + " UTF-8, read as single bytes" + lignes +
             "; if the export is UTF-8, try --charset utf-8";
    case Perte::kUtf8Invalide:
      return Nombre(r.nombre, "byte", "bytes") + " not valid UTF-8 written as U+FFFD" + lignes +
             "; the export may not be UTF-8: try --charset windows-1252";
  }
  return {};
}

std::string BilanConversion::Texte(std::string_view resultat, const Options& options) const {
  std::string t =
      "vellumcast: " + std::string(resultat) + ": " + Nombre(evenements_, "event", "events") +
      " written from " + Nombre(documents_, "document", "documents") + " read, " +
      Nombre(repetitions_, "repeat", "repeats") + " of recurring documents converted once\n";
  // Bytes 0x80 to 0x9F are continuation bytes in a text that is all UTF-8.
  const bool utf8 = releves_[static_cast<size_t>(Perte::kUtf8Probable)].nombre > 0 && !pas_utf8_;
  for (size_t k = 0; k < kPertes; ++k) {
    auto perte = static_cast<Perte>(k);
    bool cachee = (perte == Perte::kUtf8Probable && !utf8) || (perte == Perte::kControles && utf8);
    if (releves_[k].nombre > 0 && !cachee) {
      t += "vellumcast: note: " + Note(perte, releves_[k], options) + "\n";
    }
  }
  return t;
}

}  // namespace vellumcast
