// The README's batch recipe, taken from the README and run as written over
// a tree of folders, several exports each, four commands at a time: every
// export converted every time. And one command per export, the form that
// used to lose exports to a busy directory, which now waits its turn.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "attendus.h"
#include "processus.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

namespace fs = std::filesystem;

const std::string kLisezMoi = VELLUMCAST_EXEMPLES "/../README.md";

// The first shell block of the README's section "Many exports at once".
std::string Recette() {
  const std::string texte = LireFichier(kLisezMoi);
  const size_t section = texte.find("\n## Many exports at once\n");
  if (section == std::string::npos) return {};
  const size_t debut = texte.find("```sh\n", section);
  if (debut == std::string::npos) return {};
  const size_t fin = texte.find("```", debut + 6);
  return fin == std::string::npos ? std::string() : texte.substr(debut + 6, fin - debut - 6);
}

// `texte` with `ancien`, which it holds once, replaced by `nouveau`; empty
// when it does not hold it once.
std::string Remplacer(const std::string& texte, const std::string& ancien,
                      const std::string& nouveau) {
  const size_t k = texte.find(ancien);
  if (k == std::string::npos || texte.find(ancien, k + 1) != std::string::npos) return {};
  return texte.substr(0, k) + nouveau + texte.substr(k + ancien.size());
}

// Five folders of a tree, eight exports in each.
const std::vector<std::string> kDossiers = {"exports", "exports/a", "exports/a/b", "exports/c",
                                            "exports/c/d"};
constexpr int kParDossier = 8;

// The identifier of export `k` of folder `d`.
std::string Uid(size_t d, int k) { return "F" + std::to_string(d) + "E" + std::to_string(k); }

// The lines of `texte` that are not `attendue`.
std::vector<std::string> Autres(const std::string& texte, const std::string& attendue) {
  std::vector<std::string> autres;
  std::istringstream flux(texte);
  for (std::string ligne; std::getline(flux, ligne);) {
    if (ligne != attendue) autres.push_back(ligne);
  }
  return autres;
}

struct Facon {
  const char* nom;
  std::string commande;  // run by bash in the directory above exports/
  bool un_par_export;    // one run per export: a folder's log holds one trace
};

// A row as the test log shows it: by its name.
void PrintTo(const Facon& cas, std::ostream* os) { *os << cas.nom; }

class Recettes : public testing::TestWithParam<Facon> {};

TEST_P(Recettes, EveryExportOfTheTreeIsConvertedEveryTime) {
  const Facon& f = GetParam();
  ASSERT_FALSE(f.commande.empty()) << "no recipe, or not as expected, in " << kLisezMoi;
  const std::vector<std::string> environnement = {
      "PATH=" + fs::path(VELLUMCAST_BINAIRE).parent_path().string() + ":/usr/bin:/bin", "LC_ALL=C",
      "TZ=Europe/Paris"};
  for (int essai = 0; essai < 10; ++essai) {
    Temporaire d;
    for (size_t k = 0; k < kDossiers.size(); ++k) {
      for (int e = 0; e < kParDossier; ++e) {
        d.Poser(kDossiers[k] + "/p" + std::to_string(e) + ".txt", ExportUnDocument(Uid(k, e)));
      }
    }
    Execution x =
        Executer({"/bin/bash", "-c", f.commande}, d.chemin(), nullptr, &environnement, 60);
    ASSERT_EQ(x.code(), 0) << f.nom << " try " << essai << ": " << x.erreur;
    EXPECT_EQ(x.sortie, "") << f.nom;
    // A run of one name that finds another at work says so once.
    for (const std::string& ligne : Autres(x.erreur, "")) {
      EXPECT_TRUE(f.un_par_export && ligne.starts_with("vellumcast: waiting for another run in "))
          << f.nom << ": " << ligne;
    }
    for (size_t k = 0; k < kDossiers.size(); ++k) {
      std::string traces;
      std::vector<std::string> une_a_une;
      for (int e = 0; e < kParDossier; ++e) {
        const std::string ics = kDossiers[k] + "/p" + std::to_string(e) + ".ics";
        EXPECT_EQ(d.Lire(ics), ResultatUnDocument(Uid(k, e)))
            << f.nom << " try " << essai << ": " << ics;
        traces += TraceUnDocument(Uid(k, e));
        une_a_une.push_back(TraceUnDocument(Uid(k, e)));
      }
      const std::string journal = d.Lire(kDossiers[k] + "/Vellumcast.log");
      if (f.un_par_export) {
        EXPECT_NE(std::find(une_a_une.begin(), une_a_une.end(), journal), une_a_une.end())
            << f.nom << ": " << journal;
      } else {
        EXPECT_EQ(journal, traces) << f.nom << " try " << essai << ": " << kDossiers[k];
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    LisezMoi, Recettes,
    testing::Values(
        Facon{"OneCommandPerFolderAsTheReadmeWritesIt",
              Remplacer(Recette(), "-P \"$(nproc)\"", "-P 4"), false},
        Facon{"OneCommandPerExport",
              "find exports -name '*.txt' -print0 | xargs -0 -P 4 -n 1 vellumcast -q >/dev/null",
              true}),
    [](const testing::TestParamInfo<Facon>& i) { return std::string(i.param.nom); });

}  // namespace
}  // namespace vellumcast
