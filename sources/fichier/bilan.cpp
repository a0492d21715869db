// The summary's lines: events written, and a note per kind of loss.
#include "bilan.h"

#include "reglages.h"

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

void BilanConversion::DateInvalide(uint8_t ordres, uint64_t ligne) {
  Noter(Perte::kDateInvalide, ligne);
  ordres_ &= ordres;
}

void BilanConversion::ZoneIgnoree(std::string_view mot, uint64_t ligne) {
  Noter(Perte::kZoneIgnoree, ligne);
  for (size_t i = 0; i < n_mots_; ++i) {
    if (mots_[i].texte == mot) {
      ++mots_[i].nombre;
      return;
    }
  }
  if (n_mots_ < mots_.size()) {
    mots_[n_mots_++] = {std::string(mot), 1};
  } else {
    autres_mots_ = true;
  }
}

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
    case Perte::kApresLimite:
      return Nombre(r.nombre, "event", "events") + " left out because " +
             (un ? "it starts in " : "they start in ") + std::to_string(options.annee_limite) +
             " or later" + lignes + "; --year-limit 9999 keeps them";
    case Perte::kSansDebut:
      return Nombre(r.nombre, "document", "documents") +
             " gave no event: no start date, or none complete" + lignes +
             "; an event needs a STARTDATETIME item with a whole date";
    case Perte::kDateCoupee:
      return Nombre(r.nombre, "date", "dates") +
             " dropped, cut short by the line end or the end of the input" + lignes +
             "; a date needs its day, month and year on its item line";
    case Perte::kDateIlisible:
      return Nombre(r.nombre, "date", "dates") + " dropped as unreadable" + lignes +
             "; a date is a day, a month and a year (or the year first) separated by \"/\", "
             "\".\" or \"-\", then an optional time such as 14:30, 14.30.00 or 2:30 PM";
    case Perte::kDateInvalide:
      return Nombre(r.nombre, "date", "dates") + " left out that " +
             (un ? "is not a calendar date" : "are not calendar dates") + lignes +
             ": an event without a valid start is left out, one without a valid end has none" +
             Ordre(options);
    case Perte::kAnneeSurDeux:
      return Nombre(r.nombre, "date", "dates") + " with a two-digit year" + lignes +
             ": 00 to 68 read as 2000 to 2068, 69 to 99 as 1969 to 1999";
    case Perte::kJournee:
      return Nombre(r.nombre, "all-day event", "all-day events") + " written" + lignes;
    case Perte::kZoneIgnoree:
      return Nombre(r.nombre, "zone word", "zone words") + " not applied" + lignes + ": " + Mots() +
             "; " + (un ? "its time is" : "their times are") + " taken as local to the time zone " +
             options.fuseau.tzid();
    case Perte::kHeureAmbigue:
      return Nombre(r.nombre, "local time", "local times") + " that " +
             (un ? "does not exist or occurs" : "do not exist or occur") +
             " twice in the time zone " + options.fuseau.tzid() + lignes +
             ": written in UTC at the instant RFC 5545 gives (a skipped time with the offset "
             "before the change, a repeated time at its first occurrence)";
    case Perte::kSerie:
      return Nombre(r.nombre, "series", "series") + " written, holding " +
             Nombre(occurrences_series_, "event", "events") + lignes +
             ": each one recurring event whose rule gives every date of its document";
    case Perte::kSansIdentifiant:
      return Nombre(r.nombre, "document", "documents") +
             (un ? " without an identifier of its own" : " without identifiers of their own") +
             lignes +
             ": named by the hash of the subject, location and dates, the same in every run";
    case Perte::kUidPartage:
      return Nombre(r.nombre, "event", "events") + " with the identifier and start of another" +
             lignes + ": their UIDs end in -2, -3, ... in the order of the export";
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

std::string BilanConversion::Ordre(const Options& options) const {
  static constexpr struct {
    OrdreDates ordre;
    std::string_view texte;
  } kOrdres[] = {
      {OrdreDates::kJourMois, "day first: try --date-order dmy"},
      {OrdreDates::kMoisJour, "month first: try --date-order mdy"},
      {OrdreDates::kAnneeMois, "year first: try --date-order ymd"},
  };
  for (const auto& o : kOrdres) {
    const bool autre = o.ordre != options.ordre_dates;
    if (autre && (ordres_ & (1u << static_cast<unsigned>(o.ordre))) != 0) {
      return "; " +
             std::string(releves_[static_cast<size_t>(Perte::kDateInvalide)].nombre == 1
                             ? "it would be a date read "
                             : "each would be a date read ") +
             std::string(o.texte);
    }
  }
  return {};
}

std::string BilanConversion::Mots() const {
  std::string t;
  for (size_t i = 0; i < n_mots_; ++i) {
    t += (i > 0 ? ", " : "") + mots_[i].texte + " " + std::to_string(mots_[i].nombre);
  }
  return t + (autres_mots_ ? ", ..." : "");
}

std::string BilanConversion::Texte(std::string_view resultat, const Options& options,
                                   std::string_view zone_machine) const {
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
  if (options.fuseau.ToutEnUtc() && !options.fuseau.PourquoiUtc().empty()) {
    t += "vellumcast: note: every date-time written in UTC: " +
         std::string(options.fuseau.PourquoiUtc()) + "\n";
  }
  if (!zone_machine.empty()) t += "vellumcast: note: " + std::string(zone_machine) + "\n";
  return t;
}

std::string NoteZoneMachine(const Options& options, const std::optional<std::string>& nom) {
  std::string t = "the times were written in the time zone " + options.fuseau.tzid() + " (" +
                  (options.fuseau.tzid() == "France" ? "Paris" : options.fuseau.tzid()) + ")";
  if (!nom) {
    return t +
           ", whose offsets this machine's time zone does not have; if the export was made "
           "in another zone, convert it with --timezone Area/City (Europe/London, "
           "America/New_York, ...)";
  }
  return t + "; this machine's time zone is " + *nom +
         ": if the export was made there, convert it with --timezone " + *nom;
}

}  // namespace vellumcast
