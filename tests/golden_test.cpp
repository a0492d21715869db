// End-to-end cases: each directory under tests/golden holds the files of a
// working directory before a run and, in its "attendu.*" files, what the run
// must leave behind. The program runs as a child process on a copy of the
// directory, and every file, standard output and the exit status are compared
// byte for byte.
//
// A case directory holds:
//   every file not named "attendu.*": copied into the run's directory; the
//     input is "input.txt" unless "attendu.argument" names another;
//   attendu.ics      the result file after its 49-line prologue (prologue.ics);
//   attendu.log      the trace log "Vellumcast.log";
//   attendu.ical     the captured event file "~ical.tmp";
//   attendu.stdout   standard output;
//   attendu.statut   the exit status (0 when absent);
//   attendu.argument the program's argument;
//   attendu.effaces  the copied files the run erases, one a line;
//   attendu.stderr   standard error; when absent, the run is quiet (-q) and
//                    standard error must stay empty.
// A file without its "attendu.*" must be absent after the run, or unchanged
// when the case put it there.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "attendus.h"
#include "processus.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

namespace fs = std::filesystem;

const fs::path kCas = VELLUMCAST_GOLDEN;

// The first line of a small text file, without its line end.
std::string PremiereLigne(const fs::path& p) {
  std::string t = LireFichier(p);
  return t.substr(0, t.find_first_of("\r\n"));
}

std::vector<std::string> Cas() {
  std::vector<std::string> noms;
  for (const auto& e : fs::directory_iterator(kCas)) {
    if (e.is_directory()) noms.push_back(e.path().filename().string());
  }
  std::sort(noms.begin(), noms.end());
  return noms;
}

// The result file's name for an input name: its base name with ".ics".
std::string NomIcs(const std::string& entree) {
  std::string base = entree.substr(entree.rfind('/') + 1);
  return base.substr(0, base.rfind('.')) + ".ics";
}

// Shows bytes so that control characters and line ends can be told apart.
std::string Visible(const std::string& s) {
  std::string r;
  for (unsigned char c : s) {
    if (c == '\n') {
      r += "\\n\n";
    } else if (c < 32 || c >= 127 || c == '\\') {
      char b[8];
      std::snprintf(b, sizeof b, "\\x%02X", c);
      r += b;
    } else {
      r += static_cast<char>(c);
    }
  }
  return r;
}

class GoldenTest : public testing::TestWithParam<std::string> {};

TEST_P(GoldenTest, EveryFileOutputAndStatusAsWritten) {
  const fs::path cas = kCas / GetParam();
  Temporaire dossier;

  // What the directory must hold afterwards, starting with what was put there.
  std::map<std::string, std::string> attendus;
  std::string argument = "input.txt";
  int statut = 0;
  std::string sortie;
  for (const auto& e : fs::directory_iterator(cas)) {
    std::string nom = e.path().filename().string();
    if (nom.starts_with("attendu.")) continue;
    std::string contenu = LireFichier(e.path());
    dossier.Poser(nom, contenu);
    attendus[nom] = contenu;
  }
  if (fs::exists(cas / "attendu.argument")) argument = PremiereLigne(cas / "attendu.argument");
  if (fs::exists(cas / "attendu.statut")) statut = std::stoi(PremiereLigne(cas / "attendu.statut"));
  if (fs::exists(cas / "attendu.effaces")) {
    std::istringstream liste(LireFichier(cas / "attendu.effaces"));
    for (std::string nom; std::getline(liste, nom);) attendus.erase(nom);
  }
  if (fs::exists(cas / "attendu.ics")) {
    attendus[NomIcs(argument)] = PrologueAttendu() + LireFichier(cas / "attendu.ics");
  }
  if (fs::exists(cas / "attendu.log"))
    attendus["Vellumcast.log"] = LireFichier(cas / "attendu.log");
  if (fs::exists(cas / "attendu.ical")) attendus["~ical.tmp"] = LireFichier(cas / "attendu.ical");
  sortie = LireFichier(cas / "attendu.stdout");
  std::string erreur;
  std::vector<std::string> argv = {VELLUMCAST_BINAIRE, "-q", argument};
  if (fs::exists(cas / "attendu.stderr")) {
    erreur = LireFichier(cas / "attendu.stderr");
    argv.erase(argv.begin() + 1);
  }

  Execution r = Executer(argv, dossier.chemin());
  ASSERT_TRUE(r.fini) << "the run did not end";
  EXPECT_EQ(r.code(), statut);
  EXPECT_EQ(Visible(r.sortie), Visible(sortie));
  EXPECT_EQ(r.erreur, erreur);

  std::vector<std::string> noms_attendus;
  for (const auto& [nom, contenu] : attendus) noms_attendus.push_back(nom);
  EXPECT_EQ(dossier.Noms(), noms_attendus);
  for (const auto& [nom, contenu] : attendus) {
    EXPECT_EQ(Visible(dossier.Lire(nom)), Visible(contenu)) << "in " << nom;
  }
}

INSTANTIATE_TEST_SUITE_P(Cas, GoldenTest, testing::ValuesIn(Cas()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

}  // namespace
}  // namespace vellumcast
