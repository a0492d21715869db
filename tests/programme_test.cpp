// A run never empties or erases its own input: when a name the run would
// create, empty or erase beside the input is the input itself (a symbolic or
// a hard link to it), the run stops with error 5 and that name before it
// creates anything.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "processus.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

namespace fs = std::filesystem;

const std::string kDocument =
    "Subject: Kept\r\nSTARTDATETIME: 01/02/2009 09:30:00\r\nApptUNID: K\r\n$UpdatedBy: x\r\n"
    "\r\n\x0c\r\n";

struct CasLien {
  const char* nom;                 // the test's name
  std::vector<std::string> liens;  // names made links to the input
  bool dur;                        // hard links instead of symbolic ones
  const char* signale;             // the name the run reports
};

// A row as the test log shows it: by its name.
void PrintTo(const CasLien& cas, std::ostream* os) { *os << cas.nom; }

class EntreeProtegee : public testing::TestWithParam<CasLien> {};

TEST_P(EntreeProtegee, FirstNameThatIsTheInputStopsWithError5) {
  const CasLien& cas = GetParam();
  Temporaire dossier;
  dossier.Poser("sub/agenda.txt", kDocument);
  for (const std::string& nom : cas.liens) {
    if (cas.dur) {
      ASSERT_EQ(::link(dossier.Sous("sub/agenda.txt").c_str(), dossier.Sous("sub/" + nom).c_str()),
                0);
    } else {
      fs::create_symlink("agenda.txt", dossier.Sous("sub/" + nom));
    }
  }
  std::vector<std::string> avant;
  for (const auto& e : fs::directory_iterator(dossier.Sous("sub"))) {
    avant.push_back(e.path().filename().string());
  }
  std::sort(avant.begin(), avant.end());

  // Started from the directory above, so the names are checked where the input lies.
  Execution r = Executer({VELLUMCAST_BINAIRE, "sub/agenda.txt"}, dossier.chemin());
  EXPECT_EQ(r.code(), 5);
  EXPECT_EQ(r.sortie, std::string("Runtime error 5 ") + cas.signale + ": it is the input\r\n");
  std::vector<std::string> apres;
  for (const auto& e : fs::directory_iterator(dossier.Sous("sub"))) {
    apres.push_back(e.path().filename().string());
  }
  std::sort(apres.begin(), apres.end());
  EXPECT_EQ(apres, avant) << "something was created or erased";
  EXPECT_EQ(dossier.Lire("sub/agenda.txt"), kDocument);
  EXPECT_EQ(dossier.Noms(), std::vector<std::string>{"sub"});
}

INSTANTIATE_TEST_SUITE_P(
    Noms, EntreeProtegee,
    testing::Values(
        CasLien{"LogAsLink", {"Vellumcast.log"}, false, "Vellumcast.log"},
        CasLien{"ResultAsLink", {"agenda.ics"}, false, "agenda.ics"},
        CasLien{"ResultAsHardLink", {"agenda.ics"}, true, "agenda.ics"},
        CasLien{"CaptureAsLink", {"~ical.tmp"}, false, "~ical.tmp"},
        CasLien{"EventBufferAsLink", {"~rdv.tmp"}, false, "~rdv.tmp"},
        CasLien{"StartDatesAsHardLink", {"~dates_debut.tmp"}, true, "~dates_debut.tmp"},
        CasLien{"EndDatesAsLink", {"~dates_fin.tmp"}, false, "~dates_fin.tmp"},
        CasLien{"RegistryAsLink", {"~donnees.tmp"}, false, "~donnees.tmp"},
        CasLien{"LogBeforeResult", {"agenda.ics", "Vellumcast.log"}, false, "Vellumcast.log"},
        CasLien{"CaptureBeforeRegistry", {"~donnees.tmp", "~ical.tmp"}, true, "~ical.tmp"},
        CasLien{
            "EndDatesBeforeRegistry", {"~donnees.tmp", "~dates_fin.tmp"}, false, "~dates_fin.tmp"}),
    [](const testing::TestParamInfo<CasLien>& i) { return std::string(i.param.nom); });

TEST(EntreeProtegeeTest, ALinkToAnotherFileIsNoCollision) {
  Temporaire dossier;
  dossier.Poser("agenda.txt", kDocument);
  dossier.Poser("other.txt", "other");
  fs::create_symlink("other.txt", dossier.Sous("agenda.ics"));
  Execution r = Executer({VELLUMCAST_BINAIRE, "agenda.txt"}, dossier.chemin());
  EXPECT_EQ(r.code(), 0) << r.sortie;
  EXPECT_EQ(dossier.Lire("agenda.txt"), kDocument);
  EXPECT_TRUE(dossier.Lire("other.txt").starts_with("BEGIN:VCALENDAR\r\n"));
}

}  // namespace
}  // namespace vellumcast
