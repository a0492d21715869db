// The machine's zone from TZ, /etc/localtime and /etc/timezone, each given
// by the test in a directory of its own, and its offsets against Paris's.
#include "zone_machine.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "fabrique_tzfile.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

namespace fs = std::filesystem;

// A zone file holding only its rule, as for the years after its transitions.
std::string ZoneDeRegle(int32_t decalage, const char* abreviation, const char* regle) {
  TzfileFabrique f;
  f.types = {{decalage, 0, 0}};
  f.abreviations = std::string(abreviation) + '\0';
  f.pied = regle;
  return Fabriquer(f).octets;
}

// A tz database of three zones, and room for /etc beside it.
class MachineTest : public ::testing::Test {
 protected:
  MachineTest() {
    d_.Poser("db/Europe/Paris", ZoneDeRegle(3600, "CET", "CET-1CEST,M3.5.0,M10.5.0/3"));
    d_.Poser("db/America/New_York", ZoneDeRegle(-18000, "EST", "EST5EDT,M3.2.0,M11.1.0"));
    d_.Poser("db/Etc/UTC", ZoneDeRegle(0, "UTC", "UTC0"));
    d_.Poser("ailleurs/Paris", ZoneDeRegle(3600, "CET", "CET-1CEST,M3.5.0,M10.5.0/3"));
    fs::create_directories(d_.Sous("etc"));
    m_.dossier = d_.Sous("db");
    m_.localtime = d_.Sous("etc/localtime");
    m_.timezone = d_.Sous("etc/timezone");
  }
  void Lien(const std::string& cible, const char* nom = "etc/localtime") {
    fs::create_symlink(cible, d_.Sous(nom));
  }

  Temporaire d_;
  Machine m_;
};

TEST_F(MachineTest, LocaltimeLinkNamesTheZone) {
  Lien(d_.Sous("db/America/New_York"));
  EXPECT_EQ(NomDeZoneMachine(m_), "America/New_York");
}

TEST_F(MachineTest, RelativeLinkAndLinkToALinkNameTheZone) {
  Lien("../db/Europe/Paris");
  EXPECT_EQ(NomDeZoneMachine(m_), "Europe/Paris");
  fs::remove(m_.localtime);
  Lien("zone");
  Lien("../db/Etc/UTC", "etc/zone");
  EXPECT_EQ(NomDeZoneMachine(m_), "Etc/UTC");
}

TEST_F(MachineTest, CopiedLocaltimeFallsBackToEtcTimezone) {
  d_.Poser("etc/localtime", ZoneDeRegle(3600, "CET", "CET-1CEST,M3.5.0,M10.5.0/3"));
  d_.Poser("etc/timezone", "  Europe/Paris \n");
  EXPECT_EQ(NomDeZoneMachine(m_), "Europe/Paris");
}

TEST_F(MachineTest, NothingThatNamesAZoneOfTheDatabaseGivesNone) {
  Lien(d_.Sous("ailleurs/Paris"));
  EXPECT_EQ(NomDeZoneMachine(m_), std::nullopt);
  d_.Poser("etc/timezone", "Nowhere/City\n");
  EXPECT_EQ(NomDeZoneMachine(m_), std::nullopt);
  d_.Poser("etc/timezone", "../ailleurs/Paris\n");
  EXPECT_EQ(NomDeZoneMachine(m_), std::nullopt);
}

TEST_F(MachineTest, TzDecidesWhateverLocaltimeSays) {
  Lien(d_.Sous("db/America/New_York"));
  const std::pair<std::string, std::optional<std::string>> cas[] = {
      {":Europe/Paris", "Europe/Paris"},
      {"Europe/Paris", "Europe/Paris"},
      {d_.Sous("db/Etc/UTC"), "Etc/UTC"},
      {":" + d_.Sous("db/Etc/UTC"), "Etc/UTC"},
      // A rule, or a file outside the database, names no zone.
      {"EST5EDT,M3.2.0,M11.1.0", std::nullopt},
      {d_.Sous("ailleurs/Paris"), std::nullopt},
      {"../ailleurs/Paris", std::nullopt},
      {"Europe", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [tz, nom] : cas) {
    m_.tz = tz;
    EXPECT_EQ(NomDeZoneMachine(m_), nom) << tz;
  }
}

TEST_F(MachineTest, OffsetsOfTheMachineZoneAgainstParis) {
  Lien(d_.Sous("db/Europe/Paris"));
  struct Cas {
    std::optional<std::string> tz;
    int premiere, derniere;
    Ressemblance attendue;
  } cas[] = {
      {std::nullopt, 1996, 2011, Ressemblance::kParis},
      // The rule alone gives summer time before 1976; Paris had none.
      {std::nullopt, 1970, 2011, Ressemblance::kAutre},
      {":America/New_York", 1996, 2011, Ressemblance::kAutre},
      {"EST5EDT,M3.2.0,M11.1.0", 1996, 2011, Ressemblance::kAutre},
      {"CET-1CEST,M3.5.0,M10.5.0/3", 1996, 2011, Ressemblance::kParis},
      {"Etc/UTC", 1970, 2011, Ressemblance::kUtc},
      {"UTC0", 1970, 2011, Ressemblance::kUtc},
      // The C library takes an empty or unreadable TZ as UTC.
      {"", 1970, 2011, Ressemblance::kUtc},
      {"Nowhere/City", 1970, 2011, Ressemblance::kUtc},
  };
  for (const Cas& c : cas) {
    m_.tz = c.tz;
    EXPECT_EQ(CommeParis(FuseauMachine(m_), c.premiere, c.derniere), c.attendue)
        << c.tz.value_or("(unset)") << " " << c.premiere;
  }
  m_.tz.reset();
  fs::remove(m_.localtime);
  EXPECT_EQ(CommeParis(FuseauMachine(m_), 1970, 2011), Ressemblance::kUtc);
}

TEST(CommeParisTest, ZonesOfTheDatabaseAgainstParis) {
  const std::string dossier = "/usr/share/zoneinfo";
  if (!fs::exists(dossier + "/Europe/Berlin")) GTEST_SKIP() << "no tz database at " << dossier;
  const std::tuple<const char*, int, int, Ressemblance> cas[] = {
      {"Europe/Paris", 1900, 2030, Ressemblance::kParis},
      {"Europe/Berlin", 1996, 2011, Ressemblance::kParis},
      // Berlin kept no summer time from 1950 to 1979.
      {"Europe/Berlin", 1970, 2011, Ressemblance::kAutre},
      {"Africa/Abidjan", 1970, 2011, Ressemblance::kUtc},
      {"America/New_York", 1996, 2011, Ressemblance::kAutre},
      {"Europe/London", 1996, 2011, Ressemblance::kAutre},
  };
  for (const auto& [nom, premiere, derniere, attendue] : cas) {
    Fuseau f;
    std::string erreur;
    ASSERT_TRUE(Fuseau::Charger(nom, dossier, &f, &erreur)) << erreur;
    EXPECT_EQ(CommeParis(f, premiere, derniere), attendue) << nom << " " << premiere;
  }
}

}  // namespace
}  // namespace vellumcast
