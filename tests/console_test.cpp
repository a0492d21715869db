// Trace lines carry input bytes to the console: on a terminal the control
// bytes show as "?" so that an export cannot drive the user's terminal; the
// trace log and a redirected standard output keep every byte.
#include "console.h"

#include <gtest/gtest.h>

#include <string>

#include "chaines.h"
#include "flux.h"
#include "processus.h"
#include "temporaire.h"
#include "trace.h"

namespace vellumcast {
namespace {

struct Octet {
  unsigned char octet;
  bool masque;  // shown as "?" on a terminal
};

class OctetSurTerminal : public testing::TestWithParam<Octet> {};

// What Console::Ligne writes for `texte`, to a terminal or not.
std::string Ligne(std::string_view texte, bool terminal) {
  Erreurs erreurs;
  std::string sortie;
  Lecteur clavier(&erreurs, "");
  Ecrivain ecran(&erreurs, "", &sortie);
  Console console(&clavier, &ecran, false, terminal);
  console.Ligne(texte);
  ecran.Transmettre();
  return sortie;
}

TEST_P(OctetSurTerminal, ControlBytesShowAsQuestionMarkOthersUnchanged) {
  const Octet& o = GetParam();
  std::string texte = "a";
  texte += static_cast<char>(o.octet);
  texte += 'b';
  std::string attendu = o.masque ? "a?b\r\n" : texte + "\r\n";
  EXPECT_EQ(Ligne(texte, true), attendu) << "byte " << int(o.octet);
  // Redirected, the same line goes out byte for byte.
  EXPECT_EQ(Ligne(texte, false), texte + "\r\n") << "byte " << int(o.octet);
}

// Each boundary of the three masked ranges 0-31, 127 and 128-159.
INSTANTIATE_TEST_SUITE_P(Bornes, OctetSurTerminal,
                         testing::Values(Octet{0, true}, Octet{10, true}, Octet{13, true},
                                         Octet{27, true}, Octet{31, true}, Octet{32, false},
                                         Octet{126, false}, Octet{127, true}, Octet{128, true},
                                         Octet{155, true}, Octet{159, true}, Octet{160, false},
                                         Octet{233, false}, Octet{255, false}));

TEST(ConsoleTerminal, TraceKeepsBytesInTheLogAndMasksThemOnTheTerminal) {
  Erreurs erreurs;
  std::string sortie, log;
  Lecteur clavier(&erreurs, "");
  Ecrivain ecran(&erreurs, "", &sortie);
  Ecrivain journal(&erreurs, "Vellumcast.log", &log);
  Console console(&clavier, &ecran, false, true);
  Trace trace(&erreurs, &console);
  trace.TRACE = true;
  trace.LOGFILE = &journal;
  trace.REPORT("UID:\x1b]0;owned\x07-1");
  ecran.Transmettre();
  journal.Transmettre();
  EXPECT_EQ(log, "UID:\x1b]0;owned\x07-1\r\n");
  EXPECT_EQ(sortie, "UID:?]0;owned?-1\r\n");
}

// An identifier that would set the terminal's title and clear its screen.
const std::string kExport =
    "ApptUNID: \x1b]0;owned\x07\x1b[2J\x9b"
    "31m\r\nSTARTDATETIME: 01/02/2009 09:30:00\r\n"
    "$UpdatedBy: x\r\n\r\n\x0c\r\n";
const std::string kUid =
    "\x1b]0;owned\x07\x1b[2J\x9b"
    "31m";

TEST(ConsoleProgramme, RedirectedOutputAndLogKeepTheIdentifiersBytes) {
  Temporaire tmp;
  tmp.Poser("agenda.txt", kExport);
  Execution e = Executer({VELLUMCAST_BINAIRE, tmp.Sous("agenda.txt")}, tmp.chemin());
  EXPECT_EQ(e.code(), 0);
  EXPECT_EQ(e.sortie, "saut de page\r\nUID:" + kUid + "-1\r\nFichier source termine\r\n");
  EXPECT_EQ(tmp.Lire("Vellumcast.log"), "saut de page\r\nUID:" + kUid + "-1\r\n");
}

TEST(ConsoleProgramme, TerminalShowsTheIdentifiersControlBytesAsQuestionMarks) {
  Temporaire tmp;
  tmp.Poser("agenda.txt", kExport);
  SousTerminal terminal;
  ASSERT_TRUE(terminal.Lancer({VELLUMCAST_BINAIRE, tmp.Sous("agenda.txt")}, tmp.chemin()));
  ASSERT_TRUE(terminal.Attendre("Fichier source termine")) << terminal.ecran();
  EXPECT_NE(terminal.ecran().find("UID:?]0;owned??[2J?31m-1"), std::string::npos)
      << terminal.ecran();
  EXPECT_EQ(terminal.ecran().find("\x1b]0;"), std::string::npos);
  EXPECT_EQ(terminal.ecran().find('\x9b'), std::string::npos);
  // The log is no terminal: it keeps the bytes.
  EXPECT_EQ(tmp.Lire("Vellumcast.log"), "saut de page\r\nUID:" + kUid + "-1\r\n");
}

}  // namespace
}  // namespace vellumcast
