// The built program on a terminal: run as the foreground job of a
// pseudo-terminal with no argument, typed at as a user would.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <string>

#include "processus.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

const std::string kProgramme = VELLUMCAST_BINAIRE;
constexpr const char* kEffacer = "\x1b[2J\x1b[H\x1b[0;37m";
constexpr const char* kSansCouleur = "\x1b[0m";
constexpr const char* kInvite = "Input file name : ";
constexpr const char* kQuestion = "Input file not found. Abort ? [Y/N] : ";

class TerminalTest : public ::testing::Test {
 protected:
  // Starts the program, types a missing name and waits for the question with
  // the terminal raw.
  void JusquALaQuestion(const std::vector<int>& ignores = {}) {
    ASSERT_TRUE(terminal_.Lancer({kProgramme}, tmp_.chemin(), ignores));
    ASSERT_TRUE(terminal_.Attendre(kInvite)) << terminal_.ecran();
    ASSERT_TRUE(terminal_.ModeNormal());
    terminal_.Taper("missing.txt\r");
    ASSERT_TRUE(terminal_.Attendre(kQuestion)) << terminal_.ecran();
    ASSERT_FALSE(terminal_.ModeNormal());
  }
  // Waits for the end of the program; its wait status.
  int Fin() {
    int statut = -1;
    EXPECT_TRUE(terminal_.AttendreEtat(&statut)) << "still running after 10 s";
    EXPECT_FALSE(WIFSTOPPED(statut));
    return statut;
  }

  Temporaire tmp_;
  SousTerminal terminal_;
};

TEST_F(TerminalTest, NameEchoesAndTheKeyDoesNot) {
  JusquALaQuestion();
  terminal_.Taper("n");
  size_t question = terminal_.ecran().find(kQuestion);
  ASSERT_TRUE(terminal_.Attendre(kInvite, question)) << terminal_.ecran();
  EXPECT_TRUE(terminal_.ModeNormal());
  // The terminal itself turns each line end written into CR CR LF, and the
  // Enter typed (CR, read as LF) into CR LF.
  // What the program says on standard error shows before the question.
  EXPECT_EQ(terminal_.ecran(), std::string(kEffacer) + kInvite + "missing.txt\r\n" +
                                   "vellumcast: cannot open missing.txt: No such file or "
                                   "directory\r\n" +
                                   kQuestion + "\r\r\n" + kInvite);
  // Ctrl-D on an empty line ends the console input.
  terminal_.Taper("\x04");
  int statut = Fin();
  EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 2) << statut;
  EXPECT_TRUE(terminal_.ecran().ends_with(std::string(kInvite) + "\r\r\nNo input file given\r\r\n" +
                                          kSansCouleur))
      << terminal_.ecran();
  EXPECT_TRUE(terminal_.ModeNormal());
  EXPECT_TRUE(tmp_.Noms().empty());
}

TEST_F(TerminalTest, OneCtrlDEndsDocumentsTypedAfterAnEmptyName) {
  ASSERT_TRUE(terminal_.Lancer({kProgramme, "-q"}, tmp_.chemin()));
  ASSERT_TRUE(terminal_.Attendre(kInvite)) << terminal_.ecran();
  // Enter alone: the documents come from the terminal itself.
  terminal_.Taper("\r");
  terminal_.Taper("ApptUNID: T1\r");
  terminal_.Taper("\x04");
  int statut = Fin();
  EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 0) << statut;
  EXPECT_TRUE(
      terminal_.ecran().ends_with(std::string("Fichier source termine\r\r\n") + kSansCouleur))
      << terminal_.ecran();
  EXPECT_TRUE(terminal_.ModeNormal());
}

TEST_F(TerminalTest, ArrowKeyAtTheQuestionDoesNotReachTheNextName) {
  tmp_.Poser("agenda.txt");
  JusquALaQuestion();
  terminal_.Taper("\x1b[A");
  size_t question = terminal_.ecran().find(kQuestion);
  ASSERT_TRUE(terminal_.Attendre(kInvite, question)) << terminal_.ecran();
  terminal_.Taper("agenda.txt\r");
  int statut = Fin();
  EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 0) << terminal_.ecran();
  EXPECT_NE(terminal_.ecran().find(std::string("\r\r\n") + kInvite + "agenda.txt\r\n"),
            std::string::npos)
      << terminal_.ecran();
  EXPECT_NE(tmp_.Lire("agenda.ics"), "<absent>");
  EXPECT_TRUE(terminal_.ModeNormal());
}

TEST_F(TerminalTest, KilledWhileWaitingForTheKeyLeavesTheTerminalNormal) {
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(sig);
    SousTerminal terminal;
    ASSERT_TRUE(terminal.Lancer({kProgramme}, tmp_.chemin()));
    ASSERT_TRUE(terminal.Attendre(kInvite));
    terminal.Taper("missing.txt\r");
    ASSERT_TRUE(terminal.Attendre(kQuestion));
    ASSERT_FALSE(terminal.ModeNormal());
    terminal.Signaler(sig);
    int statut = -1;
    ASSERT_TRUE(terminal.AttendreEtat(&statut));
    EXPECT_TRUE(WIFSIGNALED(statut) && WTERMSIG(statut) == sig) << statut;
    EXPECT_TRUE(terminal.ModeNormal());
  }
}

TEST_F(TerminalTest, StoppedWhileWaitingForTheKeyShowsANormalTerminalThenWaitsAgain) {
  JusquALaQuestion();
  terminal_.Signaler(SIGTSTP);
  int statut = -1;
  ASSERT_TRUE(terminal_.AttendreEtat(&statut)) << "did not stop";
  ASSERT_TRUE(WIFSTOPPED(statut) && WSTOPSIG(statut) == SIGTSTP) << statut;
  EXPECT_TRUE(terminal_.ModeNormal());
  terminal_.Signaler(SIGCONT);
  ASSERT_TRUE(terminal_.AttendreMode(true)) << "not raw again after continuing";
  terminal_.Taper("y");
  statut = Fin();
  EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 0) << statut;
  EXPECT_TRUE(terminal_.ModeNormal());
}

TEST_F(TerminalTest, InterruptIgnoredAtStartStaysIgnored) {
  JusquALaQuestion({SIGINT});
  terminal_.Signaler(SIGINT);
  terminal_.Taper("Y");
  int statut = Fin();
  EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 0) << statut;
  EXPECT_TRUE(terminal_.ModeNormal());
}

// Whether the screen is cleared and coloured, and the colour set back when
// the user gives up at the question, as the environment says.
TEST_F(TerminalTest, ColoursFollowNoColorAndTermAndAreSetBackAtAnAbort) {
  struct Cas {
    std::vector<std::string> variables;
    bool couleurs;
  } cas[] = {{{"NO_COLOR", "TERM=xterm"}, true},
             {{"NO_COLOR=1"}, false},
             {{"NO_COLOR=", "TERM=dumb"}, false},
             {{"NO_COLOR=", "TERM=xterm"}, true}};
  for (const Cas& c : cas) {
    SousTerminal terminal;
    ASSERT_TRUE(terminal.Lancer({kProgramme, "missing.txt"}, tmp_.chemin(), {}, c.variables));
    ASSERT_TRUE(terminal.Attendre(kQuestion)) << terminal.ecran();
    terminal.Taper("y");
    int statut = -1;
    ASSERT_TRUE(terminal.AttendreEtat(&statut));
    EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 0) << statut;
    terminal.Attendre("\n", terminal.ecran().find(kQuestion), 1);
    const std::string& ecran = terminal.ecran();
    if (c.couleurs) {
      EXPECT_TRUE(ecran.starts_with(kEffacer)) << ecran;
      EXPECT_TRUE(ecran.ends_with(kSansCouleur)) << ecran;
    } else {
      EXPECT_EQ(ecran.find('\x1b'), std::string::npos) << ecran;
    }
  }
}

TEST_F(TerminalTest, SigtermSetsTheColourBackBeforeTheEnd) {
  ASSERT_TRUE(terminal_.Lancer({kProgramme}, tmp_.chemin(), {}, {"NO_COLOR", "TERM=xterm"}));
  ASSERT_TRUE(terminal_.Attendre(kInvite)) << terminal_.ecran();
  terminal_.Signaler(SIGTERM);
  int statut = Fin();
  EXPECT_TRUE(WIFSIGNALED(statut) && WTERMSIG(statut) == SIGTERM) << statut;
  terminal_.Attendre(kSansCouleur, 0, 1);
  EXPECT_TRUE(terminal_.ecran().ends_with(kSansCouleur)) << terminal_.ecran();
}

// On a UTF-8 terminal the trace shows its input bytes in UTF-8, control
// characters still as "?"; the log keeps the bytes as read.
TEST_F(TerminalTest, TraceInUtf8OnAUtf8Terminal) {
  tmp_.Poser("agenda.txt",
             "STARTDATETIME: 01/02/2009 10:00:00\r\nApptUNID: caf\xe9\x85\r\n"
             "$ICAL_ORIG_STREAM: x\r\nEND:VCALENDAR\r\n$UpdatedBy: x\r\n\r\n\f\r\n");
  ASSERT_TRUE(terminal_.Lancer({kProgramme, "-q", "agenda.txt"}, tmp_.chemin(), {},
                               {"LC_ALL", "LC_CTYPE", "LANG=C.UTF-8", "NO_COLOR=1"}));
  int statut = Fin();
  EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 0) << statut;
  terminal_.Attendre("Fichier source termine", 0, 1);
  EXPECT_EQ(
      terminal_.ecran(),
      "iCal d\xc3\xa9tect\xc3\xa9\r\r\nfin iCal\r\r\nsaut de page\r\r\nUID:caf\xc3\xa9?-1\r\r\n"
      "Fichier source termine\r\r\n");
  EXPECT_EQ(tmp_.Lire("Vellumcast.log"),
            "iCal d\xe9tect\xe9\r\nfin iCal\r\nsaut de page\r\nUID:caf\xe9\x85-1\r\n");
}

}  // namespace
}  // namespace vellumcast
