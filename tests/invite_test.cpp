// The input-file dialogue, driven through a scripted console: the keyboard is
// a reader over memory and the screen a writer into a string.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "console.h"
#include "fichiers.h"
#include "flux.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

constexpr const char* kInvite = "Input file name : ";
constexpr const char* kQuestion = "Input file not found. Abort ? [Y/N] : ";
constexpr const char* kFin = "\r\nNo input file given\r\n";

class InviteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tmp_.Poser("agenda.txt", "Subject:x\n");
    tmp_.Poser("sub/agenda.txt", "Subject:y\n");
    ASSERT_EQ(::chdir(tmp_.chemin().c_str()), 0);
  }

  // Runs the dialogue with `argument` (null: none) and `clavier` as all that is typed.
  Choix Dialogue(const std::string* argument, std::string_view clavier) {
    clavier_ = std::make_unique<Lecteur>(&erreurs_, clavier);
    ecran_.clear();
    auto sortie = std::make_unique<Ecrivain>(&erreurs_, "", &ecran_);
    Console console(clavier_.get(), sortie.get(), false, false);
    Choix choix = GETINPUTFILE(argument, &console, &erreurs_, &entree_, &statut_);
    console.Transmettre();
    return choix;
  }
  Choix Tape(std::string_view clavier) { return Dialogue(nullptr, clavier); }
  Choix Argument(const std::string& argument, std::string_view clavier) {
    return Dialogue(&argument, clavier);
  }
  // The next bytes standard input still holds.
  std::string Reste() {
    std::string r;
    for (int c = clavier_->Octet(); c >= 0; c = clavier_->Octet()) r += static_cast<char>(c);
    return r;
  }

  Temporaire tmp_;
  GardeRepertoire garde_;
  Erreurs erreurs_;
  std::unique_ptr<Lecteur> clavier_;
  std::string ecran_;
  Entree entree_;
  Statut statut_;
};

TEST_F(InviteTest, ArgumentGivenOpensSilentlyAndMovesToItsDirectory) {
  const std::string t = tmp_.chemin();
  struct Cas {
    std::string argument, fic1name, path;
  } cas[] = {
      {"sub/agenda.txt", t + "/sub/agenda.txt", t + "/sub/"},
      {"agenda.txt", t + "/agenda.txt", t + "/"},
      {"./sub/../agenda.txt", t + "/agenda.txt", t + "/"},
      {t + "/sub/agenda.txt", t + "/sub/agenda.txt", t + "/sub/"},
  };
  for (const Cas& c : cas) {
    ASSERT_EQ(::chdir(t.c_str()), 0);
    ASSERT_EQ(Argument(c.argument, ""), Choix::kOuvert) << c.argument;
    EXPECT_EQ(ecran_, "") << c.argument;
    EXPECT_EQ(entree_.FIC1NAME, c.fic1name);
    EXPECT_EQ(entree_.PATH, c.path);
    EXPECT_EQ(DossierCourant() + "/", c.path);
    ASSERT_NE(entree_.fichier, nullptr);
    EXPECT_EQ(entree_.fichier->Octet(), 'S');
  }
}

TEST_F(InviteTest, MissingArgumentIsTriedAgainWithoutPromptUntilY) {
  // The keys n, N, Escape, Enter, then y.
  EXPECT_EQ(Argument("absent.txt", "n\nN\n\x1b\n\ny\n"), Choix::kAbandon);
  std::string attendu;
  for (int i = 0; i < 5; ++i) attendu += std::string(kQuestion) + "\r\n";
  EXPECT_EQ(ecran_, attendu);
  EXPECT_EQ(DossierCourant(), tmp_.chemin());
}

TEST_F(InviteTest, YInEitherCaseAbortsWithoutCreatingAnything) {
  for (std::string touche : {"y", "Y", "y\n", "Yes please\n"}) {
    EXPECT_EQ(Argument("absent.txt", touche), Choix::kAbandon) << touche;
    EXPECT_EQ(ecran_, std::string(kQuestion) + "\r\n");
    EXPECT_EQ(Tape("absent.txt\n" + touche), Choix::kAbandon) << touche;
    EXPECT_EQ(ecran_, std::string(kInvite) + kQuestion + "\r\n");
  }
  EXPECT_EQ(tmp_.Noms(), (std::vector<std::string>{"agenda.txt", "sub"}));
  EXPECT_EQ(DossierCourant(), tmp_.chemin());
}

TEST_F(InviteTest, EmptyAnswerReadsStandardInput) {
  for (std::string ligne : {"\n", "\r\n"}) {
    ASSERT_EQ(Tape(ligne + "Subject:z\n"), Choix::kOuvert);
    EXPECT_EQ(ecran_, kInvite);
    EXPECT_EQ(entree_.FIC1NAME, "");
    EXPECT_EQ(entree_.PATH, "");
    EXPECT_EQ(entree_.fichier, nullptr);
    EXPECT_EQ(DossierCourant(), tmp_.chemin());
    // The documents follow the name on the same reader: nothing read ahead is lost.
    EXPECT_EQ(Reste(), "Subject:z\n");
  }
  ASSERT_EQ(Argument("", "Subject:z\n"), Choix::kOuvert);
  EXPECT_EQ(ecran_, "");
  EXPECT_EQ(entree_.fichier, nullptr);
  EXPECT_EQ(Reste(), "Subject:z\n");
}

TEST_F(InviteTest, EndedConsoleInputBeforeAName) {
  EXPECT_EQ(Tape(""), Choix::kConsoleFermee);
  EXPECT_EQ(ecran_, std::string(kInvite) + kFin);
  EXPECT_EQ(DossierCourant(), tmp_.chemin());
}

TEST_F(InviteTest, NoKeyForTheQuestion) {
  EXPECT_EQ(Argument("absent.txt", ""), Choix::kConsoleFermee);
  EXPECT_EQ(ecran_, std::string(kQuestion) + kFin);
  // A last name without a line end is still a name.
  for (std::string clavier : {"absent.txt\n", "absent.txt"}) {
    EXPECT_EQ(Tape(clavier), Choix::kConsoleFermee);
    EXPECT_EQ(ecran_, std::string(kInvite) + kQuestion + kFin);
  }
  EXPECT_EQ(tmp_.Noms(), (std::vector<std::string>{"agenda.txt", "sub"}));
  EXPECT_EQ(DossierCourant(), tmp_.chemin());
}

TEST_F(InviteTest, NamesThatCannotBeOpenedAsAFileAskTheQuestion) {
  for (std::string nom :
       {std::string("sub"), std::string("absent.txt"), std::string("agenda.txt/"),
        std::string("sub/absent/x.txt"), std::string("agen\0da.txt", 11), tmp_.chemin()}) {
    EXPECT_EQ(Tape(nom + "\n"), Choix::kConsoleFermee) << nom;
    EXPECT_EQ(ecran_, std::string(kInvite) + kQuestion + kFin) << nom;
    EXPECT_EQ(Argument(nom, ""), Choix::kConsoleFermee) << nom;
    EXPECT_EQ(ecran_, std::string(kQuestion) + kFin) << nom;
  }
  EXPECT_EQ(DossierCourant(), tmp_.chemin());
}

TEST_F(InviteTest, TypedNameOf300CharactersIsUsedWhole) {
  const std::string dossier(200, 'd');
  const std::string nom = dossier + "/" + std::string(95, 'f') + ".txt";
  ASSERT_EQ(nom.size(), 300u);
  tmp_.Poser(nom, "x");
  ASSERT_EQ(Tape(nom + "\n"), Choix::kOuvert);
  EXPECT_EQ(entree_.FIC1NAME, tmp_.Sous(nom));
  EXPECT_EQ(entree_.PATH, tmp_.Sous(dossier) + "/");
}

TEST_F(InviteTest, LongNameIsNeverCutToAShorterOne) {
  const std::string nom = std::string(200, 'd') + "/" + std::string(99, 'f');
  ASSERT_EQ(nom.size(), 300u);
  // Only the file named by the first 255 characters exists.
  tmp_.Poser(nom.substr(0, 255), "x");
  EXPECT_EQ(Tape(nom + "\n"), Choix::kConsoleFermee);
  EXPECT_EQ(Argument(nom, ""), Choix::kConsoleFermee);
  EXPECT_EQ(DossierCourant(), tmp_.chemin());
}

TEST_F(InviteTest, CarriageReturnBeforeTheLineFeedBelongsToTheLineEnd) {
  ASSERT_EQ(Tape("agenda.txt\r\n"), Choix::kOuvert);
  EXPECT_EQ(entree_.FIC1NAME, tmp_.Sous("agenda.txt"));
  // Anywhere else it is a character of the name.
  EXPECT_EQ(Tape("agenda\r.txt\n"), Choix::kConsoleFermee);
}

TEST_F(InviteTest, ScriptedKeyDropsTheRestOfItsLine) {
  for (std::string reponse : {"n\n", "nope\n", "N\r\n", "\n"}) {
    ASSERT_EQ(Tape("absent.txt\n" + reponse + "sub/agenda.txt\n"), Choix::kOuvert) << reponse;
    EXPECT_EQ(ecran_, std::string(kInvite) + kQuestion + "\r\n" + kInvite);
    EXPECT_EQ(entree_.FIC1NAME, tmp_.Sous("sub/agenda.txt"));
    ASSERT_EQ(::chdir(tmp_.chemin().c_str()), 0);
  }
}

}  // namespace
}  // namespace vellumcast
