// The rules the fuzz target holds every conversion to: the checker itself must
// catch each broken rule, and every seed and every input the fuzzer once
// failed on must keep them, in memory and with the spill to disk.
#include "invariants.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "attendus.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

namespace fs = std::filesystem;

// The worked block: identifier ABC, number `n`, a summary folded once.
std::string Bloc(int n) {
  return BlocAttendu("ABC", n,
                     "SUMMARY:Weekly meeting\n CONTINUED\nCLASS:PUBLIC\nDESCRIPTION:a\\n\n b\n",
                     "20090201T093000", "20090201T103000");
}

std::string Remplacer(std::string s, std::string_view de, std::string_view par) {
  size_t p = s.find(de);
  if (p == std::string::npos)
    ADD_FAILURE() << "missing " << de;
  else
    s.replace(p, de.size(), par);
  return s;
}

TEST(VerifierResultat, WellFormedResultsPass) {
  const std::string fin = "END:VCALENDAR\r\n";
  size_t blocs = 99;
  EXPECT_EQ(VerifierResultat(PrologueAttendu() + fin, &blocs), "");
  EXPECT_EQ(blocs, 0u);
  EXPECT_EQ(VerifierResultat(PrologueAttendu() + Bloc(1) + Bloc(2) + fin, &blocs), "");
  EXPECT_EQ(blocs, 2u);
  // No DTEND and an empty event buffer are both allowed.
  EXPECT_EQ(VerifierResultat(PrologueAttendu() + BlocAttendu("ABC", 1, "", "20090201T093000") + fin,
                             &blocs),
            "");
}

struct Casse {
  const char* nom;
  std::string resultat;
};

// A row as the test log shows it: by its name.
void PrintTo(const Casse& cas, std::ostream* os) { *os << cas.nom; }

class ResultatCasse : public testing::TestWithParam<Casse> {};

TEST_P(ResultatCasse, IsCaught) {
  size_t blocs = 0;
  EXPECT_NE(VerifierResultat(GetParam().resultat, &blocs), "") << GetParam().nom;
}

const std::string kFin = "END:VCALENDAR\r\n";

INSTANTIATE_TEST_SUITE_P(
    Regles, ResultatCasse,
    testing::Values(
        Casse{"PrologueLineMissing", Remplacer(PrologueAttendu(), "METHOD:PUBLISH\r\n", "") + kFin},
        Casse{"PrologueLineEndedByLfAlone",
              Remplacer(PrologueAttendu(), "VERSION:2.0\r\n", "VERSION:2.0\n") + kFin},
        Casse{"NoClosingLine", PrologueAttendu() + Bloc(1)},
        Casse{"ClosingLineWithoutCrLf", PrologueAttendu() + "END:VCALENDAR\n"},
        Casse{"TransplineMissing",
              PrologueAttendu() + Remplacer(Bloc(1), "TRANSP:OPAQUE\r\n", "") + kFin},
        Casse{"UidMissing", PrologueAttendu() + Remplacer(Bloc(1), "UID:ABC-1\r\n", "") + kFin},
        Casse{"TwoDtend", PrologueAttendu() +
                              Remplacer(Bloc(1), "STATUS:", "DTEND;TZID=France:1\r\nSTATUS:") +
                              kFin},
        Casse{"TwoStatus",
              PrologueAttendu() +
                  Remplacer(Bloc(1), "CATEGORIES:", "STATUS:CONFIRMED\r\nCATEGORIES:") + kFin},
        Casse{"EndVeventMissing",
              PrologueAttendu() + Remplacer(Bloc(1), "END:VEVENT\r\n", "") + kFin},
        Casse{"BlockInsideBlock",
              PrologueAttendu() + Remplacer(Bloc(1), "END:VEVENT\r\n", "") + Bloc(2) + kFin},
        Casse{"BlockNumberSkipped", PrologueAttendu() + Bloc(1) + Bloc(3) + kFin},
        Casse{"StrayLineBetweenBlocks",
              PrologueAttendu() + Bloc(1) + "SUMMARY:x\n" + Bloc(2) + kFin},
        Casse{"BufferLineAfterDtstamp",
              PrologueAttendu() + Remplacer(Bloc(1), "DTSTART;", "LOCATION:x\nDTSTART;") + kFin},
        Casse{"CarriageReturnInsideLine",
              PrologueAttendu() + Remplacer(Bloc(1), "Weekly", "Wee\rkly") + kFin},
        Casse{"DtstartDiffersFromDtstamp",
              PrologueAttendu() +
                  Remplacer(Bloc(1), "France:20090201T093000", "France:20090201T093001") + kFin},
        Casse{"StartAtYearLimit",
              PrologueAttendu() +
                  Remplacer(Remplacer(Bloc(1), "DTSTAMP:2009", "DTSTAMP:2012"),
                            "France:20090201T093000", "France:20120201T093000") +
                  kFin},
        Casse{"UnknownPropertyInBlock",
              PrologueAttendu() + Remplacer(Bloc(1), "CLASS:PUBLIC\n", "X-CLASS:PUBLIC\n") + kFin}),
    [](const testing::TestParamInfo<Casse>& i) { return std::string(i.param.nom); });

// The seed corpus and the fuzzer's past failures, in a fixed order.
std::vector<fs::path> Entrees() {
  std::vector<fs::path> v;
  for (const char* dossier : {"corpus", "regressions"}) {
    for (const auto& e : fs::directory_iterator(fs::path(VELLUMCAST_FUZZ) / dossier)) {
      if (e.is_regular_file() && e.path().filename().string()[0] != '.') v.push_back(e.path());
    }
  }
  std::sort(v.begin(), v.end());
  return v;
}

TEST(CorpusEtRegressions, EveryInputKeepsEveryRuleInMemoryAndSpilled) {
  std::vector<fs::path> entrees = Entrees();
  ASSERT_GE(entrees.size(), 20u);
  for (const fs::path& p : entrees) {
    std::string octets = LireFichier(p);
    for (size_t limite : {size_t{1} << 20, size_t{7}}) {
      Options options = OptionsTirees(octets);
      options.limite_memoire = limite;
      Decompte b = VerifierConversion(octets, options);
      EXPECT_EQ(b.erreur, "") << p.filename() << " with a bound of " << limite << " bytes";
    }
  }
}

TEST(CorpusEtRegressions, SpillToDiskChangesNothing) {
  for (const fs::path& p : Entrees()) {
    std::string octets = LireFichier(p);
    Options en_memoire = OptionsTirees(octets);
    Options sur_disque = en_memoire;
    sur_disque.limite_memoire = 3;
    EXPECT_EQ(VerifierConversion(octets, en_memoire).resultat,
              VerifierConversion(octets, sur_disque).resultat)
        << p.filename();
  }
}

TEST(CorpusEtRegressions, ReadsEndingAnywhereInTheInputChangeNothing) {
  for (const fs::path& p : Entrees()) {
    std::string octets = LireFichier(p);
    size_t pas = std::max<size_t>(1, octets.size() / 20);
    for (size_t position = 0; position <= octets.size(); position += pas) {
      ASSERT_EQ(VerifierFrontiere(octets, position, OptionsTirees(octets)), "") << p.filename();
    }
  }
}

TEST(VerifierFrontiere, DateCutByTheReadersBufferKeepsItsDigits) {
  const std::string entree =
      "STARTDATETIME: 01/02/2009 09:30:00, 1/2/2009 9:30\r\n$UpdatedBy: x\r\n\r\n\x0c\r\n";
  for (size_t position = 0; position <= entree.size(); ++position) {
    EXPECT_EQ(VerifierFrontiere(entree, position, {}), "") << position;
  }
}

TEST(VerifierConversion, EmptyInputGivesPrologueAndClosingLineOnly) {
  Decompte b = VerifierConversion("", {});
  EXPECT_EQ(b.erreur, "");
  EXPECT_EQ(b.resultat, PrologueAttendu() + kFin);
}

TEST(VerifierConversion, ReadsStayWithinTheirBound) {
  // The reader is asked for bytes at most about twice per byte consumed, and
  // at least once per date list.
  std::string entree = "STARTDATETIME: ";
  for (int i = 0; i < 1000; ++i) entree += "1/2/2009 9:30,";
  Decompte b = VerifierConversion(entree, {});
  EXPECT_EQ(b.erreur, "");
  EXPECT_LE(b.lectures, 2 * entree.size() + 5);
  EXPECT_GT(b.lectures, 0u);
}

}  // namespace
}  // namespace vellumcast
