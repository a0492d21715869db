// Zone files made byte by byte: both versions read as written, and every
// damaged or hostile one refused without reading past its end.
#include "tzfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "fabrique_tzfile.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

// Two transitions of a small made-up zone: +01 "AAA", then +02 "BBBB" in
// summer, in 2000.
TzfileFabrique Exemple() {
  TzfileFabrique f;
  f.instants = {954032400, 972176400};  // 2000-03-26T01:00Z, 2000-10-22T01:00Z
  f.types_des_instants = {1, 0};
  f.types = {{3600, 0, 0}, {7200, 1, 4}};
  f.abreviations = std::string("AAA\0BBBB\0", 9);
  f.pied = "AAA-1BBBB,M3.5.0,M10.5.0/3";
  return f;
}

DonneesTz Lire(const std::string& octets) {
  DonneesTz d;
  std::string erreur;
  EXPECT_TRUE(LireTzfile(octets, &d, &erreur)) << erreur;
  return d;
}

std::string Refus(const std::string& octets) {
  DonneesTz d;
  std::string erreur;
  EXPECT_FALSE(LireTzfile(octets, &d, &erreur));
  return erreur;
}

TEST(TzfileTest, VersionTwoReadsItsSixtyFourBitBlockAndFooter) {
  for (bool complet : {false, true}) {
    TzfileFabrique f = Exemple();
    f.premier_bloc_complet = complet;
    const DonneesTz d = Lire(Fabriquer(f).octets);
    EXPECT_EQ(d.instants, (std::vector<int64_t>{954032400, 972176400}));
    EXPECT_EQ(d.types_des_instants, (std::vector<uint8_t>{1, 0}));
    ASSERT_EQ(d.types.size(), 2u);
    EXPECT_EQ(d.types[0].decalage, 3600);
    EXPECT_FALSE(d.types[0].ete);
    EXPECT_EQ(d.types[0].abreviation, "AAA");
    EXPECT_EQ(d.types[1].decalage, 7200);
    EXPECT_TRUE(d.types[1].ete);
    EXPECT_EQ(d.types[1].abreviation, "BBBB");
    EXPECT_EQ(d.texte_regle, "AAA-1BBBB,M3.5.0,M10.5.0/3");
    ASSERT_TRUE(d.regle.has_value());
    EXPECT_EQ(d.regle->decalage_ete, 7200);
  }
}

TEST(TzfileTest, VersionOneHasThirtyTwoBitTimesAndNoRule) {
  TzfileFabrique f = Exemple();
  f.version = 0;
  f.instants = {-1, 972176400};
  const DonneesTz d = Lire(Fabriquer(f).octets);
  EXPECT_EQ(d.instants, (std::vector<int64_t>{-1, 972176400}));
  EXPECT_EQ(d.texte_regle, "");
  EXPECT_FALSE(d.regle.has_value());
}

TEST(TzfileTest, TimesBeyond2038AndAnEmptyFooterInVersionFour) {
  TzfileFabrique f = Exemple();
  f.version = '4';
  f.instants = {-(int64_t{1} << 59), 4102444800};  // the "big bang", 2100-01-01T00:00Z
  f.pied = "";
  const DonneesTz d = Lire(Fabriquer(f).octets);
  EXPECT_EQ(d.instants, (std::vector<int64_t>{-(int64_t{1} << 59), 4102444800}));
  EXPECT_FALSE(d.regle.has_value());
}

TEST(TzfileTest, EveryTruncatedFileIsRefused) {
  for (char version : {'\0', '2'}) {
    TzfileFabrique f = Exemple();
    f.version = version;
    const std::string octets = Fabriquer(f).octets;
    for (size_t n = 0; n < octets.size(); ++n) {
      DonneesTz d;
      std::string erreur;
      EXPECT_FALSE(LireTzfile(octets.substr(0, n), &d, &erreur)) << n << " bytes";
      EXPECT_FALSE(erreur.empty());
    }
  }
}

TEST(TzfileTest, HostileHeadersAndDataAreRefusedWithWhy) {
  struct Cas {
    const char* quoi;
    void (*abimer)(Tzfile*);
    const char* erreur;
  } cas[] = {
      {"magic", [](Tzfile* t) { t->octets[0] = 'X'; }, "no TZif header"},
      {"version", [](Tzfile* t) { t->octets[4] = 'A'; }, "unknown version 65"},
      {"huge transition count",
       [](Tzfile* t) { Ecrire32(&t->octets, t->entete + kCompteTransitions, 0xFFFFFFFF); },
       "truncated"},
      {"huge first block", [](Tzfile* t) { Ecrire32(&t->octets, kCompteAbreviations, 0xFFFFFFFF); },
       "truncated"},
      {"no type", [](Tzfile* t) { Ecrire32(&t->octets, t->entete + kCompteTypes, 0); },
       "bad counts of types or abbreviation bytes"},
      {"leap seconds",
       [](Tzfile* t) {
         Ecrire32(&t->octets, t->entete + kCompteSecondesIntercalaires, 1);
         t->octets.insert(t->octets.size() - 28, 12, '\0');
       },
       "leap seconds are not supported"},
      {"type index", [](Tzfile* t) { t->octets[t->entete + 44 + 16] = 2; },
       "a transition names type 2 of 2"},
      {"transitions out of order", [](Tzfile* t) { t->octets[t->entete + 44 + 8] = '\x80'; },
       "transitions out of order"},
      {"abbreviation index", [](Tzfile* t) { t->octets[t->entete + 44 + 18 + 11] = 9; },
       "the abbreviation of type 1 is out of bounds"},
      {"abbreviation without its end",
       [](Tzfile* t) { t->octets[t->entete + 44 + 18 + 12 + 8] = 'X'; },
       "the abbreviation of type 1 is out of bounds"},
      {"offset", [](Tzfile* t) { Ecrire32(&t->octets, t->entete + 44 + 18, 0x80000000); },
       "local time type 0 is out of bounds"},
      {"summer flag", [](Tzfile* t) { t->octets[t->entete + 44 + 18 + 4] = 2; },
       "local time type 0 is out of bounds"},
      {"footer without its line feed", [](Tzfile* t) { t->octets.pop_back(); },
       "the footer is not a line"},
      {"footer rule", [](Tzfile* t) { t->octets[t->octets.size() - 2] = '!'; },
       "its rule 'AAA-1BBBB,M3.5.0,M10.5.0/!' cannot be read: a number is expected at character "
       "26 of the rule"},
  };
  for (const Cas& c : cas) {
    Tzfile t = Fabriquer(Exemple());
    c.abimer(&t);
    EXPECT_EQ(Refus(t.octets), c.erreur) << c.quoi;
  }
}

// Bytes changed at random in a good file are read or refused, never read
// past their end (the sanitizer builds watch that), and what is read keeps
// its promises.
TEST(TzfileTest, RandomDamageIsReadOrRefusedSafely) {
  std::mt19937 alea(18);
  const std::string bon = Fabriquer(Exemple()).octets;
  int lus = 0;
  for (int essai = 0; essai < 20000; ++essai) {
    std::string octets = bon;
    const int changes = 1 + static_cast<int>(alea() % 4);
    for (int k = 0; k < changes; ++k) {
      octets[alea() % octets.size()] = static_cast<char>(alea());
    }
    DonneesTz d;
    std::string erreur;
    if (!LireTzfile(octets, &d, &erreur)) {
      EXPECT_FALSE(erreur.empty());
      continue;
    }
    ++lus;
    ASSERT_EQ(d.instants.size(), d.types_des_instants.size());
    for (uint8_t type : d.types_des_instants) ASSERT_LT(type, d.types.size());
    for (size_t k = 1; k < d.instants.size(); ++k) ASSERT_LT(d.instants[k - 1], d.instants[k]);
  }
  EXPECT_GT(lus, 0);
}

TEST(TzfileTest, ZoneNamesStayBelowTheDatabase) {
  for (const char* nom : {"Europe/Paris", "UTC", "America/Argentina/Buenos_Aires", "Etc/GMT+1"}) {
    EXPECT_TRUE(NomDeZonePermis(nom)) << nom;
  }
  for (const char* nom : {"", "/etc/passwd", "../etc/passwd", "Europe/../../etc/passwd", "Europe/",
                          "Europe//Paris", "./UTC", "Europe/..", "Europe/Pa\nris"}) {
    EXPECT_FALSE(NomDeZonePermis(nom)) << nom;
  }
}

TEST(TzfileTest, LoadingSaysWhereItLooked) {
  Temporaire dossier;
  dossier.Poser("Zone/Ici", Fabriquer(Exemple()).octets);
  dossier.Poser("Zone/Faux", "not a zone");
  dossier.Poser("Zone/Grand", std::string(300 * 1024, 'T'));
  const std::string& d = dossier.chemin();
  DonneesTz donnees;
  std::string erreur;
  EXPECT_TRUE(ChargerZone("Zone/Ici", d, &donnees, &erreur)) << erreur;
  EXPECT_EQ(donnees.types.size(), 2u);
  const std::pair<const char*, std::string> cas[] = {
      {"Zone/Absente", "unknown time zone 'Zone/Absente': no file '" + d + "/Zone/Absente'"},
      {"Zone", "unknown time zone 'Zone': '" + d + "/Zone' is not a regular file"},
      {"Zone/Faux",
       "unknown time zone 'Zone/Faux': '" + d + "/Zone/Faux' is not a zone file (no TZif header)"},
      {"Zone/Grand",
       "unknown time zone 'Zone/Grand': '" + d + "/Zone/Grand' is too large to be a zone file"},
      {"../Zone/Ici",
       "'../Zone/Ici' is not a zone name: a name of the tz database is relative, without '.' or "
       "'..' parts"},
  };
  for (const auto& [nom, attendu] : cas) {
    EXPECT_FALSE(ChargerZone(nom, d, &donnees, &erreur)) << nom;
    EXPECT_EQ(erreur, attendu);
  }
}

}  // namespace
}  // namespace vellumcast
