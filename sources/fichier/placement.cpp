// Where an event's dates fall in the zone the export was kept in, and in
// which form they are written: days, local times of the zone, or UTC.
#include "mots_de_zone.h"
#include "vellumcast.h"

namespace vellumcast {

namespace {

// Whether two zone words are the same, letters in any case.
bool MemeMot(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (TOLOWERCASE(a[i]) != TOLOWERCASE(b[i])) return false;
  }
  return true;
}

bool AnneeEcrite(const HeureCivile& h) { return h.annee >= 0 && h.annee <= 9999; }

}  // namespace

Placement Conversion::Situer(const Date& date, uint64_t ligne) {
  const HeureCivile h = date.Civile();
  const std::string_view mot = date.Zone();
  if (!mot.empty()) {
    // A word that states the offset gives the instant exactly.
    if (std::optional<int32_t> decalage = DecalageDuMot(mot)) {
      Placement p;
      p.utc = h.Secondes() - *decalage;
      return p;
    }
    // The zone's own abbreviation at that time confirms the time; any other
    // word is not applied.
    if (!muet_ && !MemeMot(mot, options_.fuseau.Abreviation(h))) bilan_.ZoneIgnoree(mot, ligne);
  }
  const Placement p = options_.fuseau.Placer(h);
  if (!muet_ && (p.inexistante || p.double_)) bilan_.Noter(Perte::kHeureAmbigue, ligne);
  return p;
}

bool Conversion::Dater(const Date& debut, const Date* fin, DatesEvenement* dates) {
  dates->estampille = debut.Civile();
  dates->fin.reset();
  if (debut.genre == Genre::kJournee) {
    dates->forme = Forme::kJour;
    dates->debut = debut.Civile();
    // The end is exclusive in iCalendar: the day after the end date.
    if (fin != nullptr) dates->fin = Lendemain(fin->Civile());
    if (dates->fin && !AnneeEcrite(*dates->fin)) dates->fin.reset();
    return true;
  }
  const Placement d = Situer(debut, ligne_debuts_);
  std::optional<Placement> f;
  std::optional<HeureCivile> fin_locale;
  if (fin != nullptr) {
    // An end given as a day ends at the next day's midnight.
    if (fin->genre == Genre::kJournee) {
      fin_locale = Lendemain(fin->Civile());
      f = options_.fuseau.Placer(*fin_locale);
    } else {
      fin_locale = fin->Civile();
      f = Situer(*fin, ligne_fins_);
    }
  }
  // Either date in UTC takes the other with it.
  if (d.locale && (!f || f->locale)) {
    dates->forme = Forme::kLocale;
    dates->debut = debut.Civile();
    dates->fin = fin_locale;
  } else {
    dates->forme = Forme::kUtc;
    dates->debut = HeureCivile::De(d.utc);
    if (f) dates->fin = HeureCivile::De(f->utc);
  }
  if (dates->fin && !AnneeEcrite(*dates->fin)) dates->fin.reset();
  return AnneeEcrite(dates->debut);
}

}  // namespace vellumcast
