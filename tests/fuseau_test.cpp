// Zones at their gaps, overlaps and ordinary times, with the UTC instants
// worked out by hand from the zones' histories; the VTIMEZONE lines each
// zone writes, spelled out; the built-in Paris against the system's.
#include "fuseau.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "attendus.h"
#include "fabrique_tzfile.h"

namespace vellumcast {
namespace {

constexpr const char* kDossier = "/usr/share/zoneinfo";

bool BaseAbsente() { return !std::filesystem::exists(std::string(kDossier) + "/Europe/Paris"); }

Fuseau Zone(const std::string& nom) {
  if (nom == "France") return Fuseau::France();
  Fuseau f;
  std::string erreur;
  EXPECT_TRUE(Fuseau::Charger(nom, kDossier, &f, &erreur)) << erreur;
  return f;
}

constexpr int kSelonLaBase = -1;  // whether it is local depends on the database's version

struct Cas {
  const char* zone;
  HeureCivile locale;
  HeureCivile utc;
  bool inexistante, double_;
  int locale_ecrite;
};

TEST(FuseauTest, LocalTimesLandOnTheInstantsOfTheDatabase) {
  if (BaseAbsente()) GTEST_SKIP() << "no tz database at " << kDossier;
  const Cas cas[] = {
      // France: Europe/Paris's history, written with the rules of 1996 from 1971.
      {"France", {2009, 3, 29, 2, 30, 0}, {2009, 3, 29, 1, 30, 0}, true, false, 0},
      {"France", {2009, 10, 25, 2, 30, 0}, {2009, 10, 25, 0, 30, 0}, false, true, 0},
      {"France", {1990, 10, 10, 10, 0, 0}, {1990, 10, 10, 9, 0, 0}, false, false, 0},
      {"France", {1975, 7, 1, 12, 0, 0}, {1975, 7, 1, 11, 0, 0}, false, false, 0},
      {"France", {2009, 7, 1, 12, 0, 0}, {2009, 7, 1, 10, 0, 0}, false, false, 1},
      {"France", {2009, 1, 15, 12, 0, 0}, {2009, 1, 15, 11, 0, 0}, false, false, 1},
      {"France", {1971, 3, 28, 1, 59, 0}, {1971, 3, 28, 0, 59, 0}, false, false, 0},
      {"France", {1971, 3, 28, 3, 0, 0}, {1971, 3, 28, 2, 0, 0}, false, false, 0},
      {"France", {1996, 10, 1, 12, 0, 0}, {1996, 10, 1, 10, 0, 0}, false, false, 1},
      {"France", {1995, 9, 30, 12, 0, 0}, {1995, 9, 30, 11, 0, 0}, false, false, 0},
      {"France", {1976, 3, 28, 1, 30, 0}, {1976, 3, 28, 0, 30, 0}, true, false, 0},
      {"France", {1976, 9, 26, 0, 30, 0}, {1976, 9, 25, 22, 30, 0}, false, true, 0},
      {"France", {1944, 9, 1, 12, 0, 0}, {1944, 9, 1, 10, 0, 0}, false, false, 0},
      {"France", {1900, 1, 1, 12, 0, 0}, {1900, 1, 1, 11, 50, 39}, false, false, 0},
      // 2409 repeats 2009's calendar.
      {"France", {2409, 3, 29, 2, 30, 0}, {2409, 3, 29, 1, 30, 0}, true, false, 0},
      {"France", {9999, 12, 31, 23, 0, 0}, {9999, 12, 31, 22, 0, 0}, false, false, 1},
      // Europe/Paris: the same instants, its definition's first change in 1970.
      {"Europe/Paris", {1971, 3, 28, 1, 59, 0}, {1971, 3, 28, 0, 59, 0}, false, false, 1},
      {"Europe/Paris", {1990, 10, 10, 10, 0, 0}, {1990, 10, 10, 9, 0, 0}, false, false, 0},
      {"Europe/Paris", {1969, 12, 31, 12, 0, 0}, {1969, 12, 31, 11, 0, 0}, false, false, 0},
      {"America/New_York", {2009, 3, 8, 2, 30, 0}, {2009, 3, 8, 7, 30, 0}, true, false, 0},
      {"America/New_York", {2009, 11, 1, 1, 30, 0}, {2009, 11, 1, 5, 30, 0}, false, true, 0},
      {"America/New_York", {2009, 7, 4, 12, 0, 0}, {2009, 7, 4, 16, 0, 0}, false, false, 1},
      // Summer time all the winter of 1974; April's first Sunday until 2006.
      {"America/New_York", {1974, 1, 15, 12, 0, 0}, {1974, 1, 15, 16, 0, 0}, false, false, 0},
      {"America/New_York", {2006, 4, 1, 12, 0, 0}, {2006, 4, 1, 17, 0, 0}, false, false, 0},
      {"America/New_York", {2006, 6, 1, 12, 0, 0}, {2006, 6, 1, 16, 0, 0}, false, false, 1},
      {"Europe/London", {2009, 3, 29, 1, 30, 0}, {2009, 3, 29, 1, 30, 0}, true, false, 0},
      {"Europe/London", {2009, 10, 25, 1, 30, 0}, {2009, 10, 25, 0, 30, 0}, false, true, 0},
      // British Standard Time, +01 the whole year until October 1971.
      {"Europe/London", {1970, 7, 1, 12, 0, 0}, {1970, 7, 1, 11, 0, 0}, false, false, 1},
      {"Europe/London", {1970, 12, 1, 12, 0, 0}, {1970, 12, 1, 11, 0, 0}, false, false, 0},
      // Lord Howe moves its clocks by half an hour.
      {"Australia/Lord_Howe", {2024, 10, 6, 2, 15, 0}, {2024, 10, 5, 15, 45, 0}, true, false, 0},
      {"Australia/Lord_Howe", {2024, 4, 7, 1, 45, 0}, {2024, 4, 6, 14, 45, 0}, false, true, 0},
      {"Australia/Lord_Howe", {2024, 1, 15, 12, 0, 0}, {2024, 1, 15, 1, 0, 0}, false, false, 1},
      {"Australia/Lord_Howe", {2024, 7, 15, 12, 0, 0}, {2024, 7, 15, 1, 30, 0}, false, false, 1},
      {"Pacific/Chatham", {2024, 9, 29, 3, 0, 0}, {2024, 9, 28, 14, 15, 0}, true, false, 0},
      {"Pacific/Chatham", {2024, 4, 7, 3, 15, 0}, {2024, 4, 6, 13, 30, 0}, false, true, 0},
      {"Pacific/Chatham", {2024, 7, 1, 12, 0, 0}, {2024, 6, 30, 23, 15, 0}, false, false, 1},
      // Casablanca's +00 for Ramadan 2024, from 10 March to 14 April.
      {"Africa/Casablanca", {2024, 3, 10, 2, 30, 0}, {2024, 3, 10, 1, 30, 0}, false, true, 0},
      {"Africa/Casablanca", {2024, 4, 14, 2, 30, 0}, {2024, 4, 14, 2, 30, 0}, true, false, 0},
      {"Africa/Casablanca",
       {2024, 6, 1, 12, 0, 0},
       {2024, 6, 1, 11, 0, 0},
       false,
       false,
       kSelonLaBase},
      {"America/Sao_Paulo", {2018, 11, 4, 0, 30, 0}, {2018, 11, 4, 3, 30, 0}, true, false, 0},
      {"America/Sao_Paulo", {2019, 2, 16, 23, 30, 0}, {2019, 2, 17, 1, 30, 0}, false, true, 0},
      {"America/Sao_Paulo", {2019, 6, 1, 12, 0, 0}, {2019, 6, 1, 15, 0, 0}, false, false, 1},
      {"America/Sao_Paulo", {2018, 12, 1, 12, 0, 0}, {2018, 12, 1, 14, 0, 0}, false, false, 0},
      {"Asia/Kolkata", {2024, 6, 1, 12, 0, 0}, {2024, 6, 1, 6, 30, 0}, false, false, 1},
      {"Asia/Kolkata", {1970, 1, 1, 0, 0, 0}, {1969, 12, 31, 18, 30, 0}, false, false, 1},
      {"Asia/Kolkata", {1969, 12, 31, 23, 59, 0}, {1969, 12, 31, 18, 29, 0}, false, false, 0},
      {"Asia/Kolkata", {1942, 9, 1, 12, 0, 0}, {1942, 9, 1, 5, 30, 0}, false, false, 0},
      {"UTC", {2009, 7, 1, 12, 0, 0}, {2009, 7, 1, 12, 0, 0}, false, false, 0},
  };
  for (const Cas& c : cas) {
    const Placement p = Zone(c.zone).Placer(c.locale);
    SCOPED_TRACE(std::string(c.zone) + " " + std::to_string(c.locale.annee) + "-" +
                 std::to_string(c.locale.mois) + "-" + std::to_string(c.locale.jour) + " " +
                 std::to_string(c.locale.heure) + ":" + std::to_string(c.locale.minute));
    EXPECT_EQ(HeureCivile::De(p.utc), c.utc);
    EXPECT_EQ(p.inexistante, c.inexistante);
    EXPECT_EQ(p.double_, c.double_);
    if (c.locale_ecrite != kSelonLaBase) {
      EXPECT_EQ(p.locale, c.locale_ecrite == 1);
    }
  }
}

TEST(FuseauTest, AbbreviationsInForceAtLocalTimes) {
  if (BaseAbsente()) GTEST_SKIP() << "no tz database at " << kDossier;
  const std::tuple<const char*, HeureCivile, const char*> cas[] = {
      {"France", {2009, 7, 1, 12, 0, 0}, "CEST"},
      {"France", {2009, 1, 15, 12, 0, 0}, "CET"},
      {"France", {2009, 3, 29, 2, 30, 0}, "CET"},  // the gap takes the time before it
      {"France", {1944, 9, 1, 12, 0, 0}, "WEMT"},
      {"America/New_York", {2009, 7, 4, 12, 0, 0}, "EDT"},
      {"America/New_York", {2009, 11, 1, 1, 30, 0}, "EDT"},  // the first of the two
      {"Europe/Dublin", {2024, 7, 1, 12, 0, 0}, "IST"},
      {"Europe/Dublin", {2024, 1, 1, 12, 0, 0}, "GMT"},
      {"Australia/Lord_Howe", {2024, 1, 15, 12, 0, 0}, "+11"},
      {"Australia/Lord_Howe", {2124, 1, 15, 12, 0, 0}, "+11"},
  };
  for (const auto& [zone, locale, abreviation] : cas) {
    EXPECT_EQ(Zone(zone).Abreviation(locale), abreviation) << zone << " " << locale.annee;
  }
}

TEST(FuseauTest, VtimezoneLinesOfTheFootersRules) {
  if (BaseAbsente()) GTEST_SKIP() << "no tz database at " << kDossier;
  using Lignes = std::vector<std::string>;
  const std::pair<const char*, Lignes> cas[] = {
      {"Europe/London",
       {"BEGIN:VTIMEZONE", "TZID:Europe/London", "BEGIN:STANDARD", "DTSTART:19701025T020000",
        "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU", "TZOFFSETFROM:+0100", "TZOFFSETTO:+0000",
        "TZNAME:GMT", "END:STANDARD", "BEGIN:DAYLIGHT", "DTSTART:19700329T010000",
        "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU", "TZOFFSETFROM:+0000", "TZOFFSETTO:+0100",
        "TZNAME:BST", "END:DAYLIGHT", "END:VTIMEZONE"}},
      {"America/New_York",
       {"BEGIN:VTIMEZONE", "TZID:America/New_York", "BEGIN:STANDARD", "DTSTART:19701101T020000",
        "RRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=1SU", "TZOFFSETFROM:-0400", "TZOFFSETTO:-0500",
        "TZNAME:EST", "END:STANDARD", "BEGIN:DAYLIGHT", "DTSTART:19700308T020000",
        "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=2SU", "TZOFFSETFROM:-0500", "TZOFFSETTO:-0400",
        "TZNAME:EDT", "END:DAYLIGHT", "END:VTIMEZONE"}},
      // Dublin's rule calls winter its second time; DAYLIGHT is still summer.
      {"Europe/Dublin",
       {"BEGIN:VTIMEZONE", "TZID:Europe/Dublin", "BEGIN:STANDARD", "DTSTART:19701025T020000",
        "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU", "TZOFFSETFROM:+0100", "TZOFFSETTO:+0000",
        "TZNAME:GMT", "END:STANDARD", "BEGIN:DAYLIGHT", "DTSTART:19700329T010000",
        "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU", "TZOFFSETFROM:+0000", "TZOFFSETTO:+0100",
        "TZNAME:IST", "END:DAYLIGHT", "END:VTIMEZONE"}},
      {"Asia/Kolkata",
       {"BEGIN:VTIMEZONE", "TZID:Asia/Kolkata", "BEGIN:STANDARD", "DTSTART:19700101T000000",
        "TZOFFSETFROM:+0530", "TZOFFSETTO:+0530", "TZNAME:IST", "END:STANDARD", "END:VTIMEZONE"}},
      // Numeric abbreviations give no TZNAME.
      {"Australia/Lord_Howe",
       {"BEGIN:VTIMEZONE", "TZID:Australia/Lord_Howe", "BEGIN:STANDARD", "DTSTART:19700405T020000",
        "RRULE:FREQ=YEARLY;BYMONTH=4;BYDAY=1SU", "TZOFFSETFROM:+1100", "TZOFFSETTO:+1030",
        "END:STANDARD", "BEGIN:DAYLIGHT", "DTSTART:19701004T020000",
        "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=1SU", "TZOFFSETFROM:+1030", "TZOFFSETTO:+1100",
        "END:DAYLIGHT", "END:VTIMEZONE"}},
  };
  for (const auto& [zone, lignes] : cas) {
    const Fuseau f = Zone(zone);
    EXPECT_EQ(f.tzid(), zone);
    EXPECT_EQ(f.Definition(), lignes) << zone;
    EXPECT_FALSE(f.ToutEnUtc()) << zone;
  }
}

TEST(FuseauTest, RulesThatChangeOutsideTheirDayWriteEverythingInUtc) {
  if (BaseAbsente()) GTEST_SKIP() << "no tz database at " << kDossier;
  const std::pair<const char*, const char*> cas[] = {
      {"Asia/Jerusalem",
       "the rule of Asia/Jerusalem changes the time at 26:00 on day M3.4.4, outside that day, "
       "which no calendar's yearly rule can say"},
      {"Asia/Gaza",
       "the rule of Asia/Gaza changes the time at 50:00 on day M3.4.4, outside that day, which no "
       "calendar's yearly rule can say"},
      {"America/Santiago",
       "the rule of America/Santiago changes the time at 24:00 on day M9.1.6, outside that day, "
       "which no calendar's yearly rule can say"},
      {"America/Nuuk",
       "the rule of America/Nuuk changes the time at -1:00 on day M3.5.0, outside that day, which "
       "no calendar's yearly rule can say"},
      {"UTC", ""},
      {"Etc/UTC", ""},
  };
  for (const auto& [zone, pourquoi] : cas) {
    const Fuseau f = Zone(zone);
    EXPECT_TRUE(f.ToutEnUtc()) << zone;
    EXPECT_TRUE(f.Definition().empty()) << zone;
    EXPECT_EQ(f.PourquoiUtc(), pourquoi);
    EXPECT_FALSE(f.Placer({2024, 7, 1, 12, 0, 0}).locale) << zone;
  }
}

TEST(FuseauTest, RulesOfTzStringsHoldInEveryYear) {
  const std::tuple<const char*, HeureCivile, HeureCivile, bool> cas[] = {
      // 1609 repeats 2009's calendar.
      {"EST5EDT,M3.2.0,M11.1.0", {1609, 3, 8, 2, 30, 0}, {1609, 3, 8, 7, 30, 0}, true},
      {"EST5EDT,M3.2.0,M11.1.0", {2009, 7, 4, 12, 0, 0}, {2009, 7, 4, 16, 0, 0}, false},
      // Summer time all year: the end of one year's is the start of the next.
      {"EST5EDT,0/0,J365/25", {2021, 1, 1, 0, 30, 0}, {2021, 1, 1, 4, 30, 0}, false},
      {"EST5EDT,0/0,J365/25", {2021, 12, 31, 23, 30, 0}, {2022, 1, 1, 3, 30, 0}, false},
      {"<+0545>-5:45", {2024, 1, 1, 0, 0, 0}, {2023, 12, 31, 18, 15, 0}, false},
  };
  for (const auto& [regle, locale, utc, inexistante] : cas) {
    Fuseau f;
    std::string erreur;
    ASSERT_TRUE(Fuseau::DeRegle(regle, &f, &erreur)) << erreur;
    const Placement p = f.Placer(locale);
    EXPECT_EQ(HeureCivile::De(p.utc), utc) << regle << " " << locale.annee;
    EXPECT_EQ(p.inexistante, inexistante) << regle << " " << locale.annee;
    EXPECT_FALSE(p.double_) << regle << " " << locale.annee;
  }
}

TEST(FuseauTest, FranceWritesTheProloguesThreeZonesByteForByte) {
  // Lines 5 to 49 of the prologue, the three VTIMEZONE blocks.
  std::vector<std::string> lignes;
  const std::string& prologue = PrologueAttendu();
  for (size_t debut = 0, fin; (fin = prologue.find("\r\n", debut)) != std::string::npos;
       debut = fin + 2) {
    lignes.push_back(prologue.substr(debut, fin - debut));
  }
  ASSERT_EQ(lignes.size(), 49u);
  const Fuseau f;  // the default
  EXPECT_EQ(f.tzid(), "France");
  EXPECT_EQ(f.Definition(), std::vector<std::string>(lignes.begin() + 4, lignes.end()));
  EXPECT_FALSE(f.ToutEnUtc());
}

// A "slim" New York: the changes of 2006 and 2007 only, then its footer.
DonneesTz NewYorkMince() {
  TzfileFabrique f;
  f.instants = {
      HeureCivile{2006, 4, 2, 7, 0, 0}.Secondes(), HeureCivile{2006, 10, 29, 6, 0, 0}.Secondes(),
      HeureCivile{2007, 3, 11, 7, 0, 0}.Secondes(), HeureCivile{2007, 11, 4, 6, 0, 0}.Secondes()};
  f.types_des_instants = {1, 0, 1, 0};
  f.types = {{-18000, 0, 0}, {-14400, 1, 4}};
  f.abreviations = std::string("EST\0EDT\0", 8);
  f.pied = "EST5EDT,M3.2.0,M11.1.0";
  DonneesTz d;
  std::string erreur;
  EXPECT_TRUE(LireTzfile(Fabriquer(f).octets, &d, &erreur)) << erreur;
  return d;
}

TEST(FuseauTest, SlimFileTakesItsFooterAfterItsLastTransition) {
  const Fuseau f = Fuseau::DeDonnees("America/New_York", NewYorkMince());
  const std::tuple<HeureCivile, HeureCivile, bool, bool> cas[] = {
      // April's first Sunday in 2006, by the file's transitions.
      {{2006, 4, 1, 12, 0, 0}, {2006, 4, 1, 17, 0, 0}, false, false},
      {{2006, 4, 2, 12, 0, 0}, {2006, 4, 2, 16, 0, 0}, false, false},
      {{2009, 3, 8, 2, 30, 0}, {2009, 3, 8, 7, 30, 0}, true, false},
      {{2040, 7, 4, 12, 0, 0}, {2040, 7, 4, 16, 0, 0}, false, false},
      // 4 November 2040 is the first Sunday of the month.
      {{2040, 11, 4, 1, 30, 0}, {2040, 11, 4, 5, 30, 0}, false, true},
      {{2040, 11, 4, 2, 0, 0}, {2040, 11, 4, 7, 0, 0}, false, false},
  };
  for (const auto& [locale, utc, inexistante, double_] : cas) {
    const Placement p = f.Placer(locale);
    EXPECT_EQ(HeureCivile::De(p.utc), utc) << locale.annee << "-" << locale.mois;
    EXPECT_EQ(p.inexistante, inexistante) << locale.annee << "-" << locale.mois;
    EXPECT_EQ(p.double_, double_) << locale.annee << "-" << locale.mois;
  }
  if (BaseAbsente()) return;
  // The database's own file, "fat" or not, says the same from 2006 on.
  const Fuseau base = Zone("America/New_York");
  const int64_t debut = HeureCivile{2006, 1, 1, 0, 0, 0}.Secondes();
  const int64_t fin = HeureCivile{2500, 1, 1, 0, 0, 0}.Secondes();
  std::vector<int64_t> instants = f.Changements(debut, fin);
  EXPECT_EQ(instants.size(), 2u * 494);
  for (int64_t t : base.Changements(debut, fin)) instants.push_back(t);
  for (int64_t t : instants) {
    ASSERT_EQ(f.DecalageA(t - 1), base.DecalageA(t - 1)) << t;
    ASSERT_EQ(f.DecalageA(t), base.DecalageA(t)) << t;
  }
}

// The built-in history gives, at every change of either and just before it,
// the offset and abbreviation the machine's database gives Europe/Paris.
TEST(FuseauTest, BuiltInParisIsTheDatabasesEuropeParis) {
  if (BaseAbsente()) GTEST_SKIP() << "no tz database at " << kDossier << " to compare with";
  const Fuseau france = Fuseau::France();
  const Fuseau paris = Zone("Europe/Paris");
  const int64_t debut = HeureCivile{1800, 1, 1, 0, 0, 0}.Secondes();
  const int64_t fin = HeureCivile{2200, 1, 1, 0, 0, 0}.Secondes();
  std::vector<int64_t> instants = france.Changements(debut, fin);
  const std::vector<int64_t> autres = paris.Changements(debut, fin);
  instants.insert(instants.end(), autres.begin(), autres.end());
  EXPECT_GT(autres.size(), 500u);
  for (int64_t t : instants) {
    for (int64_t u : {t - 1, t}) {
      ASSERT_EQ(france.DecalageA(u), paris.DecalageA(u)) << u;
      const HeureCivile locale = HeureCivile::De(u + paris.DecalageA(u));
      ASSERT_EQ(france.Abreviation(locale), paris.Abreviation(locale)) << u;
    }
  }
}

// Every zone file of the machine loads, and places the local times of its
// ordinary days where its own offsets say.
TEST(FuseauTest, EveryZoneOfTheDatabaseLoadsAndPlacesConsistently) {
  if (BaseAbsente()) GTEST_SKIP() << "no tz database at " << kDossier;
  int zones = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(kDossier)) {
    if (!e.is_regular_file()) continue;
    std::ifstream fichier(e.path(), std::ios::binary);
    char magie[4] = {};
    if (!fichier.read(magie, 4) || std::string_view(magie, 4) != "TZif") continue;
    const std::string nom = e.path().lexically_relative(kDossier).string();
    Fuseau f;
    std::string erreur;
    if (nom.rfind("right/", 0) == 0) {
      EXPECT_FALSE(Fuseau::Charger(nom, kDossier, &f, &erreur)) << nom;
      continue;
    }
    ASSERT_TRUE(Fuseau::Charger(nom, kDossier, &f, &erreur)) << erreur;
    ++zones;
    for (int annee = 1900; annee <= 2100; annee += 3) {
      for (int mois : {1, 7}) {
        const HeureCivile h{annee, mois, 15, 12, 0, 0};
        const Placement p = f.Placer(h);
        if (p.inexistante || p.double_) continue;
        ASSERT_EQ(p.utc + f.DecalageA(p.utc), h.Secondes()) << nom << " " << annee;
      }
    }
  }
  EXPECT_GT(zones, 300);
}

}  // namespace
}  // namespace vellumcast
