// Symbolic links planted under the names the program writes or erases beside
// the input: its own scratch names are never followed, while the result file
// and the trace log, the user's own names, are written through.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "attendus.h"
#include "processus.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

namespace fs = std::filesystem;

const std::string kProgramme = VELLUMCAST_BINAIRE;

const std::string kDocument =
    "Subject: Link\r\nSTARTDATETIME: 01/02/2009 09:30:00\r\nApptUNID: L\r\n$UpdatedBy: x\r\n"
    "\r\n\x0c\r\n";
const std::string kBloc = BlocAttendu("L", 1, "SUMMARY:Link\nDESCRIPTION:\n", "20090201T093000");

class LiensTest : public testing::Test {
 protected:
  Execution Convertir() { return Executer({kProgramme, tmp_.Sous("agenda.txt")}, tmp_.chemin()); }
  bool EstUnLien(const std::string& nom) { return fs::is_symlink(tmp_.Sous(nom)); }
  Temporaire tmp_;
};

TEST_F(LiensTest, ErasedScratchNamesPlantedAsLinksGoWhileTheirTargetsStay) {
  tmp_.Poser("agenda.txt", kDocument);
  const std::vector<std::string> noms = {"~rdv.tmp", "~dates_debut.tmp", "~dates_fin.tmp",
                                         "~donnees.tmp"};
  for (size_t k = 0; k < noms.size(); ++k) {
    tmp_.Poser("target" + std::to_string(k), "precious " + std::to_string(k));
    fs::create_symlink("target" + std::to_string(k), tmp_.Sous(noms[k]));
  }
  Execution e = Convertir();
  EXPECT_EQ(e.code(), 0) << e.sortie;
  for (size_t k = 0; k < noms.size(); ++k) {
    EXPECT_FALSE(fs::exists(fs::symlink_status(tmp_.Sous(noms[k])))) << noms[k];
    EXPECT_EQ(tmp_.Lire("target" + std::to_string(k)), "precious " + std::to_string(k));
  }
}

TEST_F(LiensTest, DanglingScratchLinkIsErasedWithoutError) {
  tmp_.Poser("agenda.txt", kDocument);
  fs::create_symlink("nowhere/at/all", tmp_.Sous("~dates_fin.tmp"));
  Execution e = Convertir();
  EXPECT_EQ(e.code(), 0) << e.sortie;
  EXPECT_EQ(tmp_.Noms(), (std::vector<std::string>{"Vellumcast.log", "agenda.ics", "agenda.txt"}));
}

struct LienIcal {
  const char* nom;
  const char* cible;  // what "~ical.tmp" points to
  bool cible_existe;
};

// A row as the test log shows it: by its name.
void PrintTo(const LienIcal& cas, std::ostream* os) { *os << cas.nom; }

class IcalPiege : public LiensTest, public testing::WithParamInterface<LienIcal> {};

TEST_P(IcalPiege, CaptureRefusesTheLinkWithError5AndWritesNothingThroughIt) {
  const LienIcal& cas = GetParam();
  tmp_.Poser("agenda.txt",
             "$ICAL_ORIG_STREAM: BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:x\r\nEND:VEVENT\r\n"
             "END:VCALENDAR\r\n" +
                 kDocument);
  if (cas.cible_existe) tmp_.Poser(cas.cible, "precious");
  fs::create_symlink(cas.cible, tmp_.Sous("~ical.tmp"));
  Execution e = Convertir();
  EXPECT_EQ(e.code(), 5);
  EXPECT_EQ(e.sortie,
            "iCal d\xe9tect\xe9\r\nRuntime error 5 ~ical.tmp: a symbolic link stands there\r\n");
  EXPECT_TRUE(EstUnLien("~ical.tmp"));
  EXPECT_EQ(fs::read_symlink(tmp_.Sous("~ical.tmp")), cas.cible);
  if (cas.cible_existe) {
    EXPECT_EQ(tmp_.Lire(cas.cible), "precious");
  } else {
    EXPECT_FALSE(fs::exists(fs::symlink_status(tmp_.Sous(cas.cible))));
  }
  EXPECT_EQ(tmp_.Lire("Vellumcast.log"), "iCal d\xe9tect\xe9\r\n");
}

INSTANTIATE_TEST_SUITE_P(Cibles, IcalPiege,
                         testing::Values(LienIcal{"ToAnExistingFile", "target.txt", true},
                                         LienIcal{"Dangling", "created_through.txt", false}),
                         [](const testing::TestParamInfo<LienIcal>& i) {
                           return std::string(i.param.nom);
                         });

TEST_F(LiensTest, ResultFileAndTraceLogAsLinksAreWrittenThrough) {
  tmp_.Poser("agenda.txt", kDocument);
  tmp_.Poser("elsewhere/real.ics", "old result");
  tmp_.Poser("elsewhere/real.log", "old log");
  fs::create_symlink("elsewhere/real.ics", tmp_.Sous("agenda.ics"));
  fs::create_symlink("elsewhere/real.log", tmp_.Sous("Vellumcast.log"));
  Execution e = Convertir();
  EXPECT_EQ(e.code(), 0) << e.sortie;
  EXPECT_EQ(e.sortie, "saut de page\r\nUID:L-1\r\nFichier source termine\r\n");
  EXPECT_TRUE(EstUnLien("agenda.ics"));
  EXPECT_TRUE(EstUnLien("Vellumcast.log"));
  std::string resultat = tmp_.Lire("elsewhere/real.ics");
  EXPECT_TRUE(resultat.starts_with("BEGIN:VCALENDAR\r\nPRODID:Vellumcast(C)\r\n")) << resultat;
  EXPECT_TRUE(resultat.ends_with("END:VTIMEZONE\r\n" + kBloc + "END:VCALENDAR\r\n")) << resultat;
  EXPECT_EQ(tmp_.Lire("elsewhere/real.log"), "saut de page\r\nUID:L-1\r\n");
}

}  // namespace
}  // namespace vellumcast
