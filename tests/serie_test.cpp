// Series of a recurring document: hand-written rules for hand-written dates,
// and libical expanding every rule found back to the very dates it came from.
#include "serie.h"

#include <gtest/gtest.h>
#include <libical/ical.h>

#include <bit>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace vellumcast {
namespace {

constexpr int64_t kSansFin = -1;

// One pattern: its starts as iCalendar writes local date-times
// ("20090202T100000", or "20090202" for all-day), the duration of each (one
// value for all, or one per start; kSansFin: no end), and the rule expected,
// empty when the dates stay separate events.
struct Ligne {
  const char* nom;
  std::vector<std::string> debuts;
  std::vector<int64_t> durees;
  std::string attendu;
};

bool JourneeEntiere(const std::string& texte) { return texte.size() == 8; }

HeureCivile Lire(const std::string& texte) {
  HeureCivile h;
  std::sscanf(texte.c_str(), "%4d%2d%2dT%2d%2d%2d", &h.annee, &h.mois, &h.jour, &h.heure, &h.minute,
              &h.seconde);
  return h;
}

std::vector<Occurrence> Occurrences(const Ligne& ligne) {
  std::vector<Occurrence> occurrences;
  for (size_t k = 0; k < ligne.debuts.size(); ++k) {
    const int64_t duree = ligne.durees.size() == 1 ? ligne.durees[0] : ligne.durees[k];
    Occurrence o;
    o.debut = Lire(ligne.debuts[k]);
    o.a_fin = duree != kSansFin;
    if (o.a_fin) o.fin = HeureCivile::De(o.debut.Secondes() + duree);
    occurrences.push_back(o);
  }
  return occurrences;
}

// `n` Mondays at 10:00 from 5 January 2009, one week apart.
std::vector<std::string> Lundis(int n) {
  std::vector<std::string> debuts;
  for (int k = 0; k < n; ++k) {
    const Jour j = JourDe(JoursDepuis1970(2009, 1, 5) + 7 * k);
    char texte[32];
    std::snprintf(texte, sizeof texte, "%04d%02d%02dT100000", j.annee, j.mois, j.jour);
    debuts.push_back(texte);
  }
  return debuts;
}

const std::vector<Ligne>& Lignes() {
  static const std::vector<Ligne> lignes = {
      {"weekly",
       {"20090202T100000", "20090209T100000", "20090216T100000", "20090223T100000",
        "20090302T100000"},
       {3600},
       "FREQ=WEEKLY;COUNT=5"},
      {"weekly across the new year",
       {"20081229T100000", "20090105T100000", "20090112T100000"},
       {3600},
       "FREQ=WEEKLY;COUNT=3"},
      {"every two weeks",
       {"20090107T143000", "20090121T143000", "20090204T143000", "20090218T143000"},
       {5400},
       "FREQ=WEEKLY;COUNT=4;INTERVAL=2"},
      {"Monday and Thursday weekly",
       {"20090202T090000", "20090205T090000", "20090209T090000", "20090212T090000",
        "20090216T090000", "20090219T090000"},
       {1800},
       "FREQ=WEEKLY;COUNT=6;BYDAY=MO,TH"},
      {"Monday and Thursday every two weeks from a Thursday",
       {"20090205T090000", "20090216T090000", "20090219T090000", "20090302T090000",
        "20090305T090000"},
       {1800},
       "FREQ=WEEKLY;COUNT=5;INTERVAL=2;BYDAY=MO,TH"},
      {"three days of one week",
       {"20090202T090000", "20090203T090000", "20090205T090000"},
       {1800},
       "FREQ=WEEKLY;COUNT=3;BYDAY=MO,TU,TH"},
      {"Saturday and Sunday every two weeks (week start matters)",
       {"20090207T090000", "20090208T090000", "20090221T090000", "20090222T090000"},
       {1800},
       ""},
      {"daily",
       {"20090327T080000", "20090328T080000", "20090329T080000", "20090330T080000",
        "20090331T080000", "20090401T080000"},
       {900},
       "FREQ=DAILY;COUNT=6"},
      {"every 3 days",
       {"20090226T080000", "20090301T080000", "20090304T080000", "20090307T080000"},
       {900},
       "FREQ=DAILY;COUNT=4;INTERVAL=3"},
      {"every 2 days Monday Wednesday Friday",
       {"20090202T080000", "20090204T080000", "20090206T080000"},
       {900},
       "FREQ=DAILY;COUNT=3;INTERVAL=2"},
      {"monthly on the 15th",
       {"20090115T100000", "20090215T100000", "20090315T100000", "20090415T100000",
        "20090515T100000", "20090615T100000"},
       {3600},
       "FREQ=MONTHLY;COUNT=6;BYMONTHDAY=15"},
      {"monthly on the 31st",
       {"20090131T100000", "20090331T100000", "20090531T100000", "20090731T100000",
        "20090831T100000", "20091031T100000", "20091231T100000"},
       {3600},
       "FREQ=MONTHLY;COUNT=7;BYMONTHDAY=31"},
      {"every two months on the 31st",
       {"20090131T100000", "20090331T100000", "20090531T100000", "20090731T100000",
        "20100131T100000"},
       {3600},
       "FREQ=MONTHLY;COUNT=5;INTERVAL=2;BYMONTHDAY=31"},
      {"monthly on the last Friday",
       {"20090130T170000", "20090227T170000", "20090327T170000", "20090424T170000",
        "20090529T170000", "20090626T170000"},
       {3600},
       "FREQ=MONTHLY;COUNT=6;BYDAY=-1FR"},
      {"monthly on the 2nd Tuesday",
       {"20090113T100000", "20090210T100000", "20090310T100000", "20090414T100000",
        "20090512T100000"},
       {3600},
       "FREQ=MONTHLY;COUNT=5;BYDAY=2TU"},
      {"monthly on the 5th Friday",
       {"20090130T170000", "20090529T170000", "20090731T170000"},
       {3600},
       "FREQ=MONTHLY;COUNT=3;BYDAY=5FR"},
      {"the 4th that is a first Tuesday: day of the month first",
       {"20050104T100000", "20051004T100000", "20060704T100000"},
       {3600},
       "FREQ=MONTHLY;COUNT=3;INTERVAL=9;BYMONTHDAY=4"},
      {"fifth Fridays that are last Fridays: the fifth first",
       {"20090130T170000", "20090731T170000", "20100129T170000"},
       {3600},
       "FREQ=MONTHLY;COUNT=3;INTERVAL=6;BYDAY=5FR"},
      {"first Mondays four weeks apart",
       {"20090105T100000", "20090202T100000", "20090302T100000"},
       {3600},
       "FREQ=MONTHLY;COUNT=3;BYDAY=1MO"},
      {"yearly",
       {"20050601T120000", "20060601T120000", "20070601T120000", "20080601T120000"},
       {3600},
       "FREQ=YEARLY;COUNT=4"},
      {"yearly on Feb 29",
       {"20000229", "20040229", "20080229", "20120229"},
       {86400},
       "FREQ=YEARLY;COUNT=4"},
      {"yearly on Feb 29 across 2100",
       {"20960229", "21040229", "21080229"},
       {86400},
       "FREQ=YEARLY;COUNT=3"},
      {"Feb 29 every 12 years: the smallest interval that fits, 3",
       {"20000229T100000", "20120229T100000", "20240229T100000"},
       {3600},
       "FREQ=YEARLY;COUNT=3;INTERVAL=3"},
      {"dates with one missing",
       {"20090202T100000", "20090209T100000", "20090223T100000", "20090302T100000"},
       {3600},
       ""},
      {"dates with two durations",
       {"20090202T100000", "20090209T100000", "20090216T100000"},
       {3600, 3600, 7200},
       ""},
      {"dates at two times of day",
       {"20090202T100000", "20090209T103000", "20090216T100000"},
       {3600},
       ""},
      {"an end at the start beside no end",
       {"20090202T100000", "20090209T100000", "20090216T100000"},
       {0, kSansFin, 0},
       ""},
      {"two occurrences", {"20090202T100000", "20090209T100000"}, {3600}, ""},
      {"700 weekly occurrences", Lundis(700), {3600}, "FREQ=WEEKLY;COUNT=700"},
      {"701 weekly occurrences", Lundis(701), {3600}, ""},
      {"unsorted", {"20090209T100000", "20090202T100000", "20090216T100000"}, {3600}, ""},
      {"one date twice",
       {"20090202T100000", "20090209T100000", "20090209T100000", "20090216T100000"},
       {3600},
       ""},
      {"a date that is no calendar date",
       {"20090216T100000", "20090223T100000", "20090230T100000"},
       {3600},
       ""},
      {"all-day weekly",
       {"20090206", "20090213", "20090220", "20090227"},
       {86400},
       "FREQ=WEEKLY;COUNT=4"},
      {"all-day over two days every two weeks",
       {"20090206", "20090220", "20090306"},
       {2 * 86400},
       "FREQ=WEEKLY;COUNT=3;INTERVAL=2"},
      {"timed with no ends",
       {"20090202T100000", "20090209T100000", "20090216T100000"},
       {kSansFin},
       "FREQ=WEEKLY;COUNT=3"},
  };
  return lignes;
}

TEST(SerieTest, EachPatternGivesItsHandWrittenRule) {
  for (const Ligne& ligne : Lignes()) {
    const std::vector<Occurrence> occurrences = Occurrences(ligne);
    const std::optional<Regle> regle = TrouverSerie(occurrences, JourneeEntiere(ligne.debuts[0]));
    EXPECT_EQ(regle ? TexteRegle(*regle) : "", ligne.attendu) << ligne.nom;
  }
}

TEST(SerieTest, AllDayStartsOffMidnightAreNoSeries) {
  const Ligne ligne{"", {"20090206T100000", "20090213T100000", "20090220T100000"}, {86400}, ""};
  const std::vector<Occurrence> occurrences = Occurrences(ligne);
  EXPECT_TRUE(TrouverSerie(occurrences, false));
  EXPECT_FALSE(TrouverSerie(occurrences, true));
}

// What libical's iterator gives for `regle` from `dtstart`, as local
// date-times; stops one past `n` so that a rule running on shows.
std::vector<std::string> DeveloppeParLibical(const std::string& regle, const std::string& dtstart,
                                             size_t n) {
  std::vector<std::string> dates;
  icalerror_clear_errno();
  const icalrecurrencetype r = icalrecurrencetype_from_string(regle.c_str());
  if (icalerrno != ICAL_NO_ERROR || r.freq == ICAL_NO_RECURRENCE) return {"unreadable rule"};
  icalrecur_iterator* it = icalrecur_iterator_new(r, icaltime_from_string(dtstart.c_str()));
  if (it == nullptr) return {"no iterator"};
  for (icaltimetype t = icalrecur_iterator_next(it); !icaltime_is_null_time(t) && dates.size() <= n;
       t = icalrecur_iterator_next(it)) {
    dates.emplace_back(icaltime_as_ical_string(t));
  }
  icalrecur_iterator_free(it);
  return dates;
}

TEST(SerieTest, LibicalExpandsEachRuleToTheRowsStarts) {
  for (const Ligne& ligne : Lignes()) {
    if (ligne.attendu.empty()) continue;
    EXPECT_EQ(DeveloppeParLibical(ligne.attendu, ligne.debuts[0], ligne.debuts.size()),
              ligne.debuts)
        << ligne.nom;
  }
}

// Random rules of every kind TrouverSerie writes, each from a random first
// date, expanded by libical into the dates of a document; and the same dates
// with one moved by a few days. Whatever rule is found must expand back to
// exactly those dates; and the unmoved dates of a rule other than the one
// left out (several days every few weeks, Sunday among them) must give one.
struct Tirage {
  std::string regle;
  std::string dtstart;
  bool trouvable = true;
};

std::string Texte(const HeureCivile& h, bool journee) {
  char texte[32];
  if (journee) {
    std::snprintf(texte, sizeof texte, "%04d%02d%02d", h.annee, h.mois, h.jour);
  } else {
    std::snprintf(texte, sizeof texte, "%04d%02d%02dT%02d%02d%02d", h.annee, h.mois, h.jour,
                  h.heure, h.minute, h.seconde);
  }
  return texte;
}

Tirage Tirer(std::mt19937& alea, int n) {
  const auto entre = [&alea](int a, int b) { return std::uniform_int_distribution(a, b)(alea); };
  HeureCivile debut{entre(1995, 2030), entre(1, 12), 1, entre(0, 23), 30 * entre(0, 1), 0};
  const int longueur = JoursDuMois(debut.annee, debut.mois);
  // Month ends half the time: they are where days go missing.
  debut.jour = entre(0, 1) == 0 ? entre(1, longueur) : entre(std::max(1, longueur - 3), longueur);
  const bool journee = entre(0, 3) == 0;
  if (journee) debut.heure = debut.minute = 0;
  const int semaine = JourDeSemaine(JoursDepuis1970(debut.annee, debut.mois, debut.jour));
  static constexpr const char* kJours[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
  const int intervalle = entre(0, 1) == 0 ? 1 : entre(2, 5);
  Tirage t;
  t.dtstart = Texte(debut, journee);
  t.regle = ";COUNT=" + std::to_string(n) + ";INTERVAL=" + std::to_string(intervalle);
  switch (entre(0, 4)) {
    case 0:
      t.regle = "FREQ=DAILY" + t.regle;
      break;
    case 1: {
      int jours = (1 << semaine) | entre(0, 127);
      t.regle = "FREQ=WEEKLY" + t.regle + ";BYDAY=";
      for (int j = 0; j < 7; ++j) {
        if (((jours >> j) & 1) != 0) t.regle += std::string(kJours[j]) + ",";
      }
      t.regle.pop_back();
      t.trouvable = intervalle == 1 || (jours & 1) == 0 || std::popcount(unsigned(jours)) == 1;
      break;
    }
    case 2:
      t.regle = "FREQ=MONTHLY" + t.regle + ";BYMONTHDAY=" + std::to_string(debut.jour);
      break;
    case 3: {
      const bool dernier = debut.jour + 7 > longueur && entre(0, 1) == 0;
      const int rang = dernier ? -1 : (debut.jour - 1) / 7 + 1;
      t.regle = "FREQ=MONTHLY" + t.regle + ";BYDAY=" + std::to_string(rang) + kJours[semaine];
      break;
    }
    default:
      t.regle = "FREQ=YEARLY" + t.regle;
  }
  return t;
}

std::vector<Occurrence> OccurrencesDe(const std::vector<std::string>& dates) {
  Ligne ligne{"", dates, {JourneeEntiere(dates[0]) ? 86400 : 2700}, ""};
  return Occurrences(ligne);
}

void VerifierTrouvee(const std::vector<std::string>& dates, const std::string& origine,
                     bool attendue) {
  const std::optional<Regle> regle = TrouverSerie(OccurrencesDe(dates), JourneeEntiere(dates[0]));
  if (!regle) {
    EXPECT_FALSE(attendue) << origine;
    return;
  }
  const std::string texte = TexteRegle(*regle);
  EXPECT_EQ(DeveloppeParLibical(texte, dates[0], dates.size()), dates)
      << origine << " gave " << texte;
}

TEST(SerieTest, RandomRulesAreFoundAndAlwaysExpandBackExactly) {
  std::mt19937 alea(20090202);
  for (int essai = 0; essai < 1500; ++essai) {
    const int n = std::uniform_int_distribution(3, 24)(alea);
    const Tirage t = Tirer(alea, n);
    std::vector<std::string> dates = DeveloppeParLibical(t.regle, t.dtstart, n);
    ASSERT_EQ(dates.size(), size_t(n)) << t.regle << " from " << t.dtstart;
    const std::string origine = t.regle + " from " + t.dtstart;
    VerifierTrouvee(dates, origine, t.trouvable);

    // One date moved, kept between its neighbours so the list stays sorted.
    const size_t k = std::uniform_int_distribution<size_t>(1, dates.size() - 1)(alea);
    HeureCivile h = Lire(dates[k]);
    h = HeureCivile::De(h.Secondes() - 86400 * std::uniform_int_distribution(1, 3)(alea));
    if (h.Secondes() <= Lire(dates[k - 1]).Secondes()) continue;
    dates[k] = Texte(h, JourneeEntiere(dates[k]));
    VerifierTrouvee(dates, origine + ", date " + std::to_string(k) + " moved", false);
  }
}

}  // namespace
}  // namespace vellumcast
