// The user documentation keeps up with the program: the manual page and the
// README name every exit status and option, and the manual page its version.
#include <gtest/gtest.h>

#include <string>

#include "options.h"
#include "statut.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

const std::string kManuel = VELLUMCAST_EXEMPLES "/../man/vellumcast.1";
const std::string kLisezMoi = VELLUMCAST_EXEMPLES "/../README.md";

constexpr int kStatuts[] = {kSortieOk,       kEntreeModifiee, kFichierAbsent, kCheminInvalide,
                            kAccesRefuse,    kUsage,          kErreurLecture, kErreurEcriture,
                            kHorsIntervalle, kDebordement};

TEST(ManuelTest, ManualPageListsEveryExitStatus) {
  const std::string manuel = LireFichier(kManuel);
  ASSERT_FALSE(manuel.empty()) << kManuel;
  size_t section = manuel.find(".SH EXIT STATUS");
  ASSERT_NE(section, std::string::npos);
  for (int statut : kStatuts) {
    EXPECT_NE(manuel.find(".TP\n.B " + std::to_string(statut) + "\n", section), std::string::npos)
        << statut;
  }
}

TEST(ManuelTest, ReadmeListsEveryExitStatus) {
  const std::string lisez_moi = LireFichier(kLisezMoi);
  ASSERT_FALSE(lisez_moi.empty()) << kLisezMoi;
  for (int statut : kStatuts) {
    EXPECT_NE(lisez_moi.find("\n| " + std::to_string(statut) + " |"), std::string::npos) << statut;
  }
}

TEST(ManuelTest, ManualPageCarriesTheProgramsVersion) {
  const std::string manuel = LireFichier(kManuel);
  size_t titre = manuel.find(".TH VELLUMCAST 1 ");
  ASSERT_EQ(titre, 0u);
  std::string ligne = manuel.substr(0, manuel.find('\n'));
  EXPECT_NE(ligne.find("\"vellumcast " VELLUMCAST_VERSION "\""), std::string::npos) << ligne;
}

TEST(ManuelTest, EveryOptionOfTheHelpIsInTheManualPageAndTheReadme) {
  const std::string manuel = LireFichier(kManuel);
  const std::string lisez_moi = LireFichier(kLisezMoi);
  for (const char* option : {"--year-limit", "--help", "--version", "--output", "--charset",
                             "--date-order", "--timezone", "--no-wait", "--quiet"}) {
    ASSERT_NE(TexteAide().find(option), std::string_view::npos) << option;
    // The manual page writes each "-" as "\-".
    std::string roff;
    for (const char* c = option; *c != '\0'; ++c)
      roff += *c == '-' ? std::string("\\-") : std::string(1, *c);
    EXPECT_NE(manuel.find(roff), std::string::npos) << option;
    EXPECT_NE(lisez_moi.find(option), std::string::npos) << option;
  }
}

}  // namespace
}  // namespace vellumcast
