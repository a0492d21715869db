// The built program's start-up, run as a child process: the dialogue on a
// redirected console, the files it creates, and the run-time error stop.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "attendus.h"
#include "invariants.h"
#include "processus.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

const std::string kProgramme = VELLUMCAST_BINAIRE;

class DemarrageTest : public ::testing::Test {
 protected:
  // Runs the program; standard error must hold `erreur`.
  Execution Lancer(std::vector<std::string> arguments, const std::string* clavier,
                   const std::string& dossier = "", const std::string& erreur = "") {
    // The summary of a complete run is not what these tests look at.
    arguments.insert(arguments.begin(), {kProgramme, "-q"});
    Execution r =
        Executer(arguments, dossier.empty() ? tmp_.chemin() : tmp_.Sous(dossier), clavier);
    EXPECT_TRUE(r.fini) << "still running after 10 s";
    EXPECT_EQ(r.erreur, erreur);
    return r;
  }
  Temporaire tmp_;
};

const std::string kIntrouvable = "vellumcast: cannot open missing.txt: No such file or directory\n";

TEST_F(DemarrageTest, MissingFileWithNoConsoleInputEndsWithStatus2) {
  Execution r = Lancer({"missing.txt"}, nullptr, "", kIntrouvable);
  EXPECT_EQ(r.sortie, "Input file not found. Abort ? [Y/N] : \r\nNo input file given\r\n");
  EXPECT_EQ(r.code(), 2);
  EXPECT_TRUE(tmp_.Noms().empty());
}

TEST_F(DemarrageTest, AnswerYAbortsWithStatus0AndNoFile) {
  const std::string clavier = "n\ny\n";
  Execution r = Lancer({"missing.txt"}, &clavier, "", kIntrouvable + kIntrouvable);
  EXPECT_EQ(r.sortie,
            "Input file not found. Abort ? [Y/N] : \r\nInput file not found. Abort ? [Y/N] : \r\n");
  EXPECT_EQ(r.code(), 0);
  EXPECT_TRUE(tmp_.Noms().empty());
}

// A redirected standard output holds the program's lines and nothing else:
// no screen clearing, no colour.
TEST_F(DemarrageTest, RedirectedOutputCarriesOnlyTheTextLines) {
  tmp_.Poser("agenda.txt");
  const std::string nom = "agenda.txt\n";
  struct Cas {
    std::vector<std::string> arguments;
    const std::string* clavier;
    std::string sortie;
  } cas[] = {
      {{"agenda.txt"}, nullptr, "Fichier source termine\r\n"},
      {{}, &nom, "Input file name : Fichier source termine\r\n"},
  };
  for (const Cas& c : cas) {
    Execution r = Lancer(c.arguments, c.clavier);
    EXPECT_EQ(r.sortie, c.sortie);
    EXPECT_EQ(r.sortie.find('\x1b'), std::string::npos);
    EXPECT_EQ(r.code(), 0);
    EXPECT_NE(tmp_.Lire("agenda.ics"), "<absent>");
    EXPECT_EQ(tmp_.Lire("Vellumcast.log"), "");
  }
}

TEST_F(DemarrageTest, FilesAreCreatedBesideTheInputAfterARetry) {
  tmp_.Poser("sub/agenda.txt");
  const std::string clavier = "missing.txt\nn\nsub/agenda.txt\n";
  Execution r = Lancer({}, &clavier, "", kIntrouvable);
  EXPECT_EQ(r.sortie,
            "Input file name : Input file not found. Abort ? [Y/N] : \r\n"
            "Input file name : Fichier source termine\r\n");
  EXPECT_EQ(r.code(), 0);
  EXPECT_EQ(tmp_.Noms(), std::vector<std::string>{"sub"});
  EXPECT_NE(tmp_.Lire("sub/agenda.ics"), "<absent>");
  EXPECT_NE(tmp_.Lire("sub/Vellumcast.log"), "<absent>");
}

TEST_F(DemarrageTest, EmptyNameReadsStandardInputAndWritesDotIcsHere) {
  tmp_.Poser("dans/rien");
  const std::string vide = "";
  Execution r = Lancer({""}, &vide, "dans");
  EXPECT_EQ(r.sortie, "Fichier source termine\r\n");
  EXPECT_EQ(r.code(), 0);
  EXPECT_NE(tmp_.Lire("dans/.ics"), "<absent>");
  EXPECT_NE(tmp_.Lire("dans/Vellumcast.log"), "<absent>");
}

TEST_F(DemarrageTest, LongNamesAreHeldWhole) {
  // The argument, its expanded form and the result's name all pass 255 characters.
  const std::string dossier(200, 'd');
  const std::string base(250, 'f');
  tmp_.Poser(dossier + "/" + base + ".txt");
  Execution r = Lancer({dossier + "/" + base + ".txt"}, nullptr);
  EXPECT_EQ(r.sortie, "Fichier source termine\r\n");
  EXPECT_EQ(r.code(), 0);
  EXPECT_NE(tmp_.Lire(dossier + "/" + base + ".ics"), "<absent>");
}

TEST_F(DemarrageTest, DirectoryDeeperThanThePathLimitConvertsUnderTheNameGiven) {
  // 18 levels of 245 bytes, made through descriptors: the absolute form of
  // the deepest passes 4,096 bytes, and only its descriptor reaches it.
  const std::string nom(244, 'p');
  int fd = ::open(tmp_.chemin().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (int k = 0; k < 18; ++k) {
    ASSERT_EQ(::mkdirat(fd, nom.c_str(), 0755), 0);
    int dessous = ::openat(fd, nom.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    fd = dessous;
  }
  const std::string profond = "/proc/self/fd/" + std::to_string(fd);
  std::ofstream(profond + "/agenda.txt", std::ios::binary)
      << "Subject: Deep\r\nSTARTDATETIME: 01/02/2009 09:30:00\r\nApptUNID: P\r\n"
         "$UpdatedBy: x\r\n\r\n\x0c\r\n";
  Execution r = Executer({kProgramme, "agenda.txt"}, profond);
  EXPECT_EQ(r.sortie, "saut de page\r\nUID:P-1\r\nFichier source termine\r\n");
  EXPECT_EQ(r.code(), 0);
  std::ostringstream ics;
  ics << std::ifstream(profond + "/agenda.ics", std::ios::binary).rdbuf();
  ::close(fd);
  EXPECT_EQ(ics.str(), PrologueAttendu() +
                           BlocAttendu("P", 1, "SUMMARY:Deep\nDESCRIPTION:\n", "20090201T093000") +
                           "END:VCALENDAR\r\n");
}

TEST_F(DemarrageTest, ReadFailureOnStandardInputNamesIt) {
  // Standard input opened on a directory: every read of it fails.
  tmp_.Poser("dans/rien");
  Execution r = Executer(
      {"/bin/sh", "-c", "exec \"$0\" \"\" <\"$1\"", kProgramme, tmp_.Sous("dans")}, tmp_.chemin());
  EXPECT_EQ(r.code(), 100);
  EXPECT_EQ(r.sortie, "Runtime error 100 (standard input): Is a directory\r\n");
  EXPECT_EQ(r.erreur, "vellumcast: (standard input): Is a directory\n");
}

TEST_F(DemarrageTest, FailedWriteToStandardOutputIsRuntimeError101) {
  if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  tmp_.Poser("agenda.txt");
  const std::string oui = "y\n";
  struct Cas {
    std::string argument;
    const std::string* clavier;
  } cas[] = {{"missing.txt", nullptr}, {"missing.txt", &oui}, {"agenda.txt", nullptr}};
  for (const Cas& c : cas) {
    Execution r =
        Executer({"/bin/sh", "-c", "exec \"$0\" \"$1\" >/dev/full", kProgramme, c.argument},
                 tmp_.chemin(), c.clavier);
    EXPECT_EQ(r.code(), 101) << c.argument << (c.clavier != nullptr ? " answered y" : "");
  }
}

}  // namespace
}  // namespace vellumcast
