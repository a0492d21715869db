// The command line end to end: the program run as a process in a temporary
// directory, and the year limit through an in-memory conversion.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include "attendus.h"
#include "banc.h"
#include "options.h"
#include "processus.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

namespace fs = std::filesystem;

// Runs the program with `args` in `dossier`, standard input read from `entree`,
// standard output into `sortie_vers` when given (else captured), in the
// environment `environnement` when given (else this one).
Execution Lancer(const Temporaire& dossier, std::vector<std::string> args,
                 const std::string& entree = "", const char* sortie_vers = nullptr,
                 const std::vector<std::string>* environnement = nullptr) {
  args.insert(args.begin(), VELLUMCAST_BINAIRE);
  Conditions conditions;
  if (sortie_vers != nullptr) conditions.sortie_vers = sortie_vers;
  return Executer(args, dossier.chemin(), &entree, environnement, 10, conditions);
}

const std::vector<std::string> kLocaleC = {"LC_ALL=C"};

TEST(LigneDeCommandeProgrammeTest, HelpPrintsUsageWithoutDialogueOrFile) {
  Temporaire d;
  // A name waiting on standard input would be taken by a dialogue that opened.
  d.Poser("agenda.txt", "Subject:x\n");
  Execution e = Lancer(d, {"--help"}, "agenda.txt\n");
  EXPECT_EQ(e.code(), 0);
  EXPECT_EQ(e.sortie, TexteAide());
  EXPECT_EQ(e.erreur, "");
  EXPECT_EQ(d.Noms(), std::vector<std::string>{"agenda.txt"});
}

TEST(LigneDeCommandeProgrammeTest, VersionPrintsItsTextWithoutDialogueOrFile) {
  Temporaire d;
  Execution e = Lancer(d, {"--version", "agenda.txt"}, "agenda.txt\n");
  EXPECT_EQ(e.code(), 0);
  EXPECT_EQ(e.sortie, TexteVersion());
  EXPECT_EQ(e.erreur, "");
  EXPECT_TRUE(d.Noms().empty());
}

TEST(LigneDeCommandeProgrammeTest, UsageErrorsExit64WithTheMessageOnStandardError) {
  struct Cas {
    std::vector<std::string> args;
    const char* message;
  } cas[] = {
      {{"--bogus", "agenda.txt"},
       "vellumcast: unknown option '--bogus'\nTry 'vellumcast --help'.\n"},
      {{"--year-limit"},
       "vellumcast: option --year-limit needs a year\nTry 'vellumcast --help'.\n"},
      {{"--year-limit", "12", "agenda.txt"},
       "vellumcast: option --year-limit needs a year of four digits, not '12'\n"
       "Try 'vellumcast --help'.\n"},
      {{"--charset=ebcdic", "agenda.txt"},
       "vellumcast: unknown character set 'ebcdic' (iso-8859-1, windows-1252 or utf-8)\n"
       "Try 'vellumcast --help'.\n"},
      {{"--date-order", "ydm", "agenda.txt"},
       "vellumcast: option --date-order needs dmy, mdy or ymd, not 'ydm'\nTry 'vellumcast "
       "--help'.\n"},
      {{"--charset"},
       "vellumcast: option --charset needs a character set\nTry 'vellumcast --help'.\n"},
      // Outside a UTF-8 locale, bytes 0 to 31, 127 and 128 to 159 are hidden,
      // redirected or not.
      {{"--x\x01\x7f\x85\x9f\xa0"},
       "vellumcast: unknown option '--x????\xa0'\nTry 'vellumcast --help'.\n"},
      {{"-o", "d\x1b/"},
       "vellumcast: option --output needs a file, not the directory 'd?/'\n"
       "Try 'vellumcast --help'.\n"},
  };
  for (const Cas& c : cas) {
    Temporaire d;
    d.Poser("agenda.txt", "Subject:x\n");
    d.Poser("d\x1b/f");
    Execution e = Lancer(d, c.args, "agenda.txt\n", nullptr, &kLocaleC);
    EXPECT_EQ(e.code(), kUsage) << c.message;
    EXPECT_EQ(e.erreur, c.message);
    EXPECT_EQ(e.sortie, "");
    EXPECT_EQ(d.Noms(), (std::vector<std::string>{"agenda.txt", "d\x1b"}));
  }
}

TEST(LigneDeCommandeProgrammeTest, HelpThatCannotBeWrittenIsNoSuccess) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  Temporaire d;
  Execution e = Lancer(d, {"--help"}, "", "/dev/full");
  EXPECT_EQ(e.code(), kErreurEcriture);
  EXPECT_NE(e.erreur, "");
}

TEST(LigneDeCommandeProgrammeTest, HelpOnATerminalLeavesTheScreenAlone) {
  Temporaire d;
  SousTerminal terminal;
  ASSERT_TRUE(terminal.Lancer({VELLUMCAST_BINAIRE, "--help"}, d.chemin()));
  int statut = -1;
  ASSERT_TRUE(terminal.AttendreEtat(&statut, 5));
  ASSERT_TRUE(WIFEXITED(statut));
  EXPECT_EQ(WEXITSTATUS(statut), 0);
  const std::string& ecran = terminal.ecran();
  // No clearing or colour sequence; the terminal itself turns each LF into CR LF.
  EXPECT_EQ(ecran.find('\x1b'), std::string::npos);
  std::string sans_cr;
  for (char c : ecran) {
    if (c != '\r') sans_cr += c;
  }
  EXPECT_EQ(sans_cr, TexteAide());
}

TEST(LigneDeCommandeProgrammeTest, UsageErrorOnATerminalShowsEveryControlByteAsQuestionMark) {
  Temporaire d;
  SousTerminal terminal;
  ASSERT_TRUE(terminal.Lancer({VELLUMCAST_BINAIRE,
                               "--x\x1b\x7f\x80\x9b"
                               "2J\x9f\xa0"},
                              d.chemin(), {}, {"LC_ALL=C"}));
  int statut = 0;
  ASSERT_TRUE(terminal.AttendreEtat(&statut));
  ASSERT_TRUE(WIFEXITED(statut));
  EXPECT_EQ(WEXITSTATUS(statut), kUsage);
  // The terminal itself turns each LF into CR LF; 160 is a printable character.
  EXPECT_EQ(terminal.ecran(),
            "vellumcast: unknown option '--x????2J?\xa0'\r\nTry 'vellumcast --help'.\r\n");
}

// One document per start date, with its own identifier and a body of one line.
std::string Document(const std::string& uid, const std::string& debut, const std::string& fin) {
  return "Subject:Meeting " + uid + "\r\nApptUNID:" + uid + "\r\nSTARTDATETIME:" + debut +
         "\r\nEndDateTime:" + fin + "\r\n$UpdatedBy:me\r\n\r\nnotes\r\n\f\r\n";
}

// The event block the document above gives.
std::string Bloc(const std::string& uid, int numero, const std::string& debut,
                 const std::string& fin) {
  return BlocAttendu(uid, numero, "SUMMARY:Meeting " + uid + "\nDESCRIPTION:notes\\n\n \n", debut,
                     fin);
}

// The result from the first event block on.
std::string Evenements(const std::string& ics) {
  size_t debut = ics.find("BEGIN:VEVENT");
  return debut == std::string::npos ? ics.substr(ics.rfind("END:VCALENDAR")) : ics.substr(debut);
}

const std::string kExportAnnees = Document("OLD", "01/02/2009 10:00:00", "01/02/2009 11:00:00") +
                                  Document("MID", "15/06/2015 09:30:00", "15/06/2015 10:30:00") +
                                  Document("NEW", "01/01/2030 08:00:00", "01/01/2030 09:00:00");

TEST(LigneDeCommandeProgrammeTest, YearLimitKeepsEventsBeforeIt) {
  Temporaire d;
  d.Poser("agenda.txt", kExportAnnees);
  Execution e = Lancer(d, {"--year-limit", "2016", "agenda.txt"});
  EXPECT_EQ(e.code(), 0);
  EXPECT_EQ(Evenements(d.Lire("agenda.ics")),
            Bloc("OLD", 1, "20090201T100000", "20090201T110000") +
                Bloc("MID", 2, "20150615T093000", "20150615T103000") + "END:VCALENDAR\r\n");
}

TEST(LigneDeCommandeProgrammeTest, WithoutYearLimitEveryByteIsAsWithLimit2012) {
  Temporaire sans, avec;
  sans.Poser("agenda.txt", kExportAnnees);
  avec.Poser("agenda.txt", kExportAnnees);
  Execution e1 = Lancer(sans, {"agenda.txt"});
  Execution e2 = Lancer(avec, {"--year-limit", "2012", "agenda.txt"});
  EXPECT_EQ(e1.code(), 0);
  EXPECT_EQ(e2.code(), 0);
  EXPECT_EQ(e1.sortie, e2.sortie);
  const std::string ics = sans.Lire("agenda.ics");
  EXPECT_EQ(ics, avec.Lire("agenda.ics"));
  EXPECT_EQ(sans.Lire("Vellumcast.log"), avec.Lire("Vellumcast.log"));
  EXPECT_EQ(Evenements(ics),
            Bloc("OLD", 1, "20090201T100000", "20090201T110000") + "END:VCALENDAR\r\n");
}

TEST(LigneDeCommandeProgrammeTest, FileNamedLikeAnOptionStaysReachable) {
  for (std::vector<std::string> args :
       {std::vector<std::string>{"--", "--help"}, std::vector<std::string>{"./--help"}}) {
    Temporaire d;
    d.Poser("--help", Document("OLD", "01/02/2009 10:00:00", "01/02/2009 11:00:00"));
    Execution e = Lancer(d, args);
    EXPECT_EQ(e.code(), 0) << args[0];
    EXPECT_EQ(e.erreur,
              "vellumcast: --help.ics: 1 event written from 1 document read, 0 repeats of "
              "recurring documents converted once\n");
    EXPECT_EQ(Evenements(d.Lire("--help.ics")),
              Bloc("OLD", 1, "20090201T100000", "20090201T110000") + "END:VCALENDAR\r\n");
  }
}

TEST(LigneDeCommandeProgrammeTest, OptionsAfterTheNameCountAndExtraNamesAreTold) {
  Temporaire d;
  d.Poser("agenda.txt", kExportAnnees);
  Execution e = Lancer(d, {"agenda.txt", "-q", "--year-limit", "2016", "b.txt", "c.txt"});
  EXPECT_EQ(e.code(), 0);
  EXPECT_EQ(e.erreur, "vellumcast: extra arguments 'b.txt', 'c.txt' ignored: one file per run\n");
  EXPECT_EQ(Evenements(d.Lire("agenda.ics")),
            Bloc("OLD", 1, "20090201T100000", "20090201T110000") +
                Bloc("MID", 2, "20150615T093000", "20150615T103000") + "END:VCALENDAR\r\n");
}

TEST(LigneDeCommandeProgrammeTest, OptionsWithoutNameOpenTheDialogue) {
  Temporaire d;
  d.Poser("agenda.txt", kExportAnnees);
  Execution e = Lancer(d, {"--year-limit", "2031"}, "agenda.txt\n");
  EXPECT_EQ(e.code(), 0);
  EXPECT_EQ(e.sortie.substr(0, 18), "Input file name : ");
  EXPECT_EQ(Evenements(d.Lire("agenda.ics")),
            Bloc("OLD", 1, "20090201T100000", "20090201T110000") +
                Bloc("MID", 2, "20150615T093000", "20150615T103000") +
                Bloc("NEW", 3, "20300101T080000", "20300101T090000") + "END:VCALENDAR\r\n");
}

// A subject in UTF-8 and a month-first date, under each way of reading them.
TEST(LigneDeCommandeProgrammeTest, CharsetDateOrderAndQuietChangeWhatTheyName) {
  const std::string kExport =
      "Subject:Caf\xC3\xA9\r\nSTARTDATETIME:02/13/2009 10:00:00\r\n"
      "ApptUNID:U\r\n$UpdatedBy:me\r\n\r\nnotes\r\n\f\r\n";
  const std::string kPremiere =
      "vellumcast: agenda.ics: 1 event written from 1 document read, 0 repeats of recurring "
      "documents converted once\n";
  struct Cas {
    std::vector<std::string> options;
    const char* sujet;  // null: the event is left out
    std::string erreur;
  } cas[] = {
      {{},
       nullptr,
       "vellumcast: agenda.ics: 0 events written from 1 document read, 0 repeats of recurring "
       "documents converted once\n"
       "vellumcast: note: 1 date left out that is not a calendar date (line 2): an event without "
       "a valid start is left out, one without a valid end has none; it would be a date read "
       "month first: try --date-order mdy\n"
       "vellumcast: note: 1 character above 0x7F, valid UTF-8, read as single bytes "
       "(line 1); if the export is UTF-8, try --charset utf-8\n"},
      {{"--charset=UTF8", "--date-order", "mdy"}, "Caf\xC3\xA9", kPremiere},
      {{"-q", "--charset", "latin-1", "--date-order=mdy"}, "Caf\xC3\x83\xC2\xA9", ""},
  };
  for (const Cas& c : cas) {
    Temporaire d;
    d.Poser("agenda.txt", kExport);
    std::vector<std::string> args = c.options;
    args.push_back("agenda.txt");
    Execution e = Lancer(d, args);
    EXPECT_EQ(e.code(), 0);
    EXPECT_EQ(e.erreur, c.erreur);
    const std::string bloc =
        c.sujet == nullptr
            ? ""
            : BlocAttendu("U", 1, "SUMMARY:" + std::string(c.sujet) + "\nDESCRIPTION:notes\\n\n \n",
                          "20090213T100000");
    EXPECT_EQ(Evenements(d.Lire("agenda.ics")), bloc + "END:VCALENDAR\r\n");
  }
}

// With -o the result goes where it is told, and the run works there: every
// file it writes lands beside the result, none beside the input.
TEST(LigneDeCommandeProgrammeTest, OutputPutsEveryFileInItsDirectory) {
  Temporaire d;
  d.Poser("in/agenda.txt", "$ICAL_ORIG_STREAM:\r\nBEGIN:VEVENT\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n" +
                               Document("OLD", "01/02/2009 10:00:00", "01/02/2009 11:00:00"));
  d.Poser("out/keep", "x");
  Execution e = Lancer(d, {"-q", "in/agenda.txt", "-o", "out/r.ics"});
  EXPECT_EQ(e.code(), 0) << e.sortie;
  EXPECT_EQ(d.Noms(), (std::vector<std::string>{"in", "out"}));
  EXPECT_EQ(d.Noms("in"), std::vector<std::string>{"agenda.txt"});
  EXPECT_EQ(d.Noms("out"),
            (std::vector<std::string>{"Vellumcast.log", "keep", "r.ics", "~ical.tmp"}));
  EXPECT_EQ(Evenements(d.Lire("out/r.ics")),
            Bloc("OLD", 1, "20090201T100000", "20090201T110000") + "END:VCALENDAR\r\n");
}

TEST(LigneDeCommandeProgrammeTest, OutputOntoTheInputOrADirectoryIsRefused) {
  Temporaire d;
  const std::string texte = Document("OLD", "01/02/2009 10:00:00", "01/02/2009 11:00:00");
  d.Poser("agenda.txt", texte);
  Execution e = Lancer(d, {"agenda.txt", "--output=./agenda.txt"});
  EXPECT_EQ(e.code(), 5);
  EXPECT_EQ(e.sortie, "Runtime error 5 agenda.txt: it is the input\r\n");
  EXPECT_EQ(e.erreur, "vellumcast: agenda.txt: it is the input\n");
  EXPECT_EQ(d.Lire("agenda.txt"), texte);
  EXPECT_EQ(d.Noms(), std::vector<std::string>{"agenda.txt"});
  Execution r = Lancer(d, {"agenda.txt", "-o", "."});
  EXPECT_EQ(r.code(), kUsage);
  EXPECT_EQ(r.erreur,
            "vellumcast: option --output needs a file, not the directory '.'\n"
            "Try 'vellumcast --help'.\n");
}

// A run-time error says why, on standard output, and once more on standard
// error unless both are the same file.
TEST(LigneDeCommandeProgrammeTest, ErrorInWordsOnBothStreamsAndOnceOnOne) {
  Temporaire d;
  d.Poser("agenda.txt", "Subject: x\r\n");
  d.Poser("agenda.ics/inside");
  Execution deux = Lancer(d, {"agenda.txt"});
  EXPECT_EQ(deux.code(), 5);
  EXPECT_EQ(deux.sortie, "Runtime error 5 agenda.ics: Is a directory\r\n");
  EXPECT_EQ(deux.erreur, "vellumcast: agenda.ics: Is a directory\n");
  Execution un = Executer(
      {"/bin/sh", "-c", "exec \"$0\" agenda.txt >sortie 2>&1", VELLUMCAST_BINAIRE}, d.chemin());
  EXPECT_EQ(un.code(), 5);
  EXPECT_EQ(d.Lire("sortie"), "Runtime error 5 agenda.ics: Is a directory\r\n");
}

// A name holding ESC [41m (red), "ł" (C5 82) and U+009B (C2 9B, a control
// character in UTF-8), and how standard error shows it under each locale.
const std::string kNomPiege = "r\x1b[41m\xc5\x82\xc2\x9b";
const std::string kVuUtf8 = "r?[41m\xc5\x82?";
const std::string kVuOctets = "r?[41m\xc5?\xc2?";

struct NomMontre {
  const char* nom;
  std::vector<std::string> environnement;
  std::vector<std::string> args;
  const char* clavier;
  int code;
  std::string sortie;
  std::string erreur;
};

// Every line standard error gets about a name, whether it is a terminal or
// not: the summary, the extra names, a usage error, an input that cannot be
// opened and a run-time error. Standard output, redirected, keeps the bytes.
TEST(LigneDeCommandeProgrammeTest, NamesOnStandardErrorShowControlCharactersAsTheLocaleSays) {
  const std::string kResume =
      ": 1 event written from 1 document read, 0 repeats of recurring documents converted once\n";
  const std::string kTrace = "saut de page\r\nUID:OLD-1\r\nFichier source termine\r\n";
  const std::vector<std::string> utf8 = {"LANG=C.UTF-8"};
  const NomMontre cas[] = {
      {"SummaryAndExtraNameUtf8",
       utf8,
       {"agenda.txt", "-o", kNomPiege + ".ics", kNomPiege + ".txt"},
       "",
       0,
       kTrace,
       "vellumcast: extra argument '" + kVuUtf8 +
           ".txt' ignored: one file per run\nvellumcast: " + kVuUtf8 + ".ics" + kResume},
      {"LcAllBeforeLang",
       {"LANG=C.UTF-8", "LC_ALL=C"},
       {"agenda.txt", "-o", kNomPiege + ".ics", kNomPiege + ".txt"},
       "",
       0,
       kTrace,
       "vellumcast: extra argument '" + kVuOctets +
           ".txt' ignored: one file per run\nvellumcast: " + kVuOctets + ".ics" + kResume},
      {"LcCtypeBeforeLang",
       {"LC_ALL=", "LC_CTYPE=pl_PL.utf8", "LANG=C"},
       {"agenda.txt", "-q", kNomPiege + ".txt"},
       "",
       0,
       kTrace,
       "vellumcast: extra argument '" + kVuUtf8 + ".txt' ignored: one file per run\n"},
      {"UsageErrorKeepsUtf8Letters",
       utf8,
       {"--charset", kNomPiege},
       "",
       kUsage,
       "",
       "vellumcast: unknown character set '" + kVuUtf8 +
           "' (iso-8859-1, windows-1252 or utf-8)\nTry 'vellumcast --help'.\n"},
      {"CannotOpen",
       utf8,
       {kNomPiege + ".txt"},
       "y\n",
       0,
       "Input file not found. Abort ? [Y/N] : \r\n",
       "vellumcast: cannot open " + kVuUtf8 + ".txt: No such file or directory\n"},
      {"RuntimeError",
       utf8,
       {"agenda.txt", "-o", kNomPiege + "/r.ics"},
       "",
       2,
       "Runtime error 2 " + kNomPiege + "/: No such file or directory\r\n",
       "vellumcast: " + kVuUtf8 + "/: No such file or directory\n"},
  };
  for (const NomMontre& c : cas) {
    Temporaire d;
    d.Poser("agenda.txt", Document("OLD", "01/02/2009 10:00:00", "01/02/2009 11:00:00"));
    Execution e = Lancer(d, c.args, c.clavier, nullptr, &c.environnement);
    EXPECT_EQ(e.code(), c.code) << c.nom;
    EXPECT_EQ(e.sortie, c.sortie) << c.nom;
    EXPECT_EQ(e.erreur, c.erreur) << c.nom;
  }
}

// On a terminal, standard output shows the name of a run-time error as
// standard error would.
TEST(LigneDeCommandeProgrammeTest, RuntimeErrorOnATerminalShowsTheNameAsTheLocaleSays) {
  struct Cas {
    const char* locale;
    std::string vu;
  } cas[] = {{"LANG=C.UTF-8", kVuUtf8}, {"LANG=C", kVuOctets}};
  for (const Cas& c : cas) {
    Temporaire d;
    d.Poser("agenda.txt", Document("OLD", "01/02/2009 10:00:00", "01/02/2009 11:00:00"));
    SousTerminal terminal;
    ASSERT_TRUE(terminal.Lancer({VELLUMCAST_BINAIRE, "agenda.txt", "-o", kNomPiege + "/r.ics"},
                                d.chemin(), {}, {"LC_ALL", "LC_CTYPE", c.locale, "NO_COLOR=1"}));
    int statut = 0;
    ASSERT_TRUE(terminal.AttendreEtat(&statut));
    ASSERT_TRUE(WIFEXITED(statut));
    EXPECT_EQ(WEXITSTATUS(statut), 2);
    // The terminal turns the LF of CR LF into CR LF; standard error, the same
    // terminal, gets nothing more.
    EXPECT_EQ(terminal.ecran(), "Runtime error 2 " + c.vu + "/: No such file or directory\r\r\n")
        << c.locale;
  }
}

TEST(AnneeLimiteTest, StartYearAtTheLimitIsLeftOutAndTheYearBeforeKept) {
  struct Cas {
    int32_t limite;
    const char* debut;
    bool garde;
  } cas[] = {
      {2015, "31/12/2014 23:59:59", true},  {2015, "01/01/2015 00:00:00", false},
      {2012, "31/12/2011 23:00:00", true},  {2012, "01/01/2012 00:00:00", false},
      {0, "01/01/0000 00:00:00", false},    {9999, "31/12/9998 10:00:00", true},
      {9999, "01/01/9999 10:00:00", false}, {1, "01/01/0000 10:00:00", true},
  };
  for (const Cas& c : cas) {
    Options options;
    options.annee_limite = c.limite;
    std::string ics = Convertir(Document("X", c.debut, c.debut), options).ics;
    EXPECT_EQ(ics.find("BEGIN:VEVENT") != std::string::npos, c.garde) << c.limite << " " << c.debut;
  }
}

}  // namespace
}  // namespace vellumcast
