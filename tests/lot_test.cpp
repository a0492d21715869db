// Several exports in one command, end to end: each converted as by a run of
// its own, the log of a shared directory holding their traces in order, the
// exports that cannot be converted named and counted, and the closing line.
#include "lot.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "attendus.h"
#include "processus.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

namespace fs = std::filesystem;

// The standard output of that run, and the first line of its summary,
// naming the result `ics`.
std::string Sortie(const std::string& uid) {
  return TraceUnDocument(uid) + "Fichier source termine\r\n";
}
std::string Resume(const std::string& ics) {
  return "vellumcast: " + ics +
         ": 1 event written from 1 document read, 0 repeats of recurring documents converted "
         "once\n";
}

// Runs the program with `args` in `dossier`; names on standard error as the
// C locale shows them.
Execution Lancer(const Temporaire& dossier, std::vector<std::string> args) {
  args.insert(args.begin(), VELLUMCAST_BINAIRE);
  static const std::vector<std::string> kEnvironnement = {"LC_ALL=C", "TZ=Europe/Paris"};
  return Executer(args, dossier.chemin(), nullptr, &kEnvironnement, 30);
}

// Three exports in un/, one in deux/, and one missing among them.
TEST(LotTest, FourExportsOfTwoDirectoriesGiveTheResultsOfRunsOfTheirOwn) {
  Temporaire d;
  for (const char* uid : {"A", "B", "C"})
    d.Poser("un/" + std::string(uid) + ".txt", ExportUnDocument(uid));
  d.Poser("deux/D.txt", ExportUnDocument("D"));
  Execution e = Lancer(d, {"un/A.txt", "un/absent.txt", "deux/D.txt", "un/B.txt", "un/C.txt"});
  EXPECT_EQ(e.code(), 2);
  EXPECT_EQ(e.sortie, Sortie("A") + Sortie("D") + Sortie("B") + Sortie("C"));
  EXPECT_EQ(e.erreur, Resume("un/A.ics") +
                          "vellumcast: cannot open un/absent.txt: No such file or directory\n" +
                          Resume("deux/D.ics") + Resume("un/B.ics") + Resume("un/C.ics") +
                          "vellumcast: 4 exports converted, 1 failed: un/absent.txt\n");
  EXPECT_EQ(d.Lire("un/Vellumcast.log"),
            TraceUnDocument("A") + TraceUnDocument("B") + TraceUnDocument("C"));
  EXPECT_EQ(d.Lire("deux/Vellumcast.log"), TraceUnDocument("D"));
  EXPECT_EQ(d.Noms("un"), (std::vector<std::string>{"A.ics", "A.txt", "B.ics", "B.txt", "C.ics",
                                                    "C.txt", "Vellumcast.log"}));
  EXPECT_EQ(d.Noms("deux"), (std::vector<std::string>{"D.ics", "D.txt", "Vellumcast.log"}));
  for (const char* chemin : {"un/A", "un/B", "un/C", "deux/D"}) {
    const std::string uid(1, chemin[std::string(chemin).size() - 1]);
    const std::string ics = d.Lire(std::string(chemin) + ".ics");
    EXPECT_EQ(ics, ResultatUnDocument(uid)) << chemin;
    // The same bytes as a run of its own in a directory of its own.
    Temporaire seul;
    seul.Poser(uid + ".txt", ExportUnDocument(uid));
    EXPECT_EQ(Lancer(seul, {uid + ".txt"}).code(), 0);
    EXPECT_EQ(seul.Lire(uid + ".ics"), ics) << chemin;
  }
}

struct Collision {
  const char* nom;
  std::vector<std::string> args;
  const char* refus;     // the line that names the export not converted
  const char* resultat;  // where the result of the first lands
};

// A later export whose result would take the name of an earlier one's is
// not converted; the earlier result stays whole.
TEST(LotTest, ALaterExportWhoseResultWouldOverwriteAnEarlierOneIsRefused) {
  const Collision cas[] = {
      {"SameBaseNameBesideIt",
       {"un/A.txt", "un/A.dat"},
       "vellumcast: un/A.dat: its result would overwrite that of un/A.txt\n",
       "un/A.ics"},
      {"SameExportTwice",
       {"un/A.txt", "./un/A.txt"},
       "vellumcast: ./un/A.txt: its result would overwrite that of un/A.txt\n",
       "un/A.ics"},
      {"SameNameInTheOutputDirectory",
       {"-o", "sortie", "un/A.txt", "deux/A.txt"},
       "vellumcast: deux/A.txt: its result would overwrite that of un/A.txt\n",
       "sortie/A.ics"},
  };
  for (const Collision& c : cas) {
    Temporaire d;
    d.Poser("un/A.txt", ExportUnDocument("A"));
    d.Poser("un/A.dat", ExportUnDocument("X"));
    d.Poser("deux/A.txt", ExportUnDocument("X"));
    fs::create_directory(d.Sous("sortie"));
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "-q");
    Execution e = Lancer(d, args);
    EXPECT_EQ(e.code(), 5) << c.nom;
    EXPECT_EQ(e.sortie, Sortie("A")) << c.nom;
    EXPECT_EQ(e.erreur, std::string(c.refus) +
                            "vellumcast: 1 export converted, 1 failed: " + c.args.back() + "\n")
        << c.nom;
    EXPECT_EQ(d.Lire(c.resultat), ResultatUnDocument("A")) << c.nom;
  }
}

// A run-time error stops its export's conversion alone: what it wrote
// stays, its line on standard error names the export, and the next export
// is converted; the status is that of the first export that failed.
TEST(LotTest, ARunTimeErrorEndsOneExportAndTheNextIsConverted) {
  Temporaire d;
  d.Poser("un/A.txt", ExportUnDocument("A"));
  d.Poser("un/B.txt", ExportUnDocument("B"));
  d.Poser("deux/D.txt", ExportUnDocument("D"));
  d.Poser("deux/D.ics/dedans");
  Execution e = Lancer(d, {"un/A.txt", "deux/D.txt", "un/absent.txt", "un/B.txt"});
  EXPECT_EQ(e.code(), 5);
  EXPECT_EQ(e.sortie, Sortie("A") + "Runtime error 5 D.ics: Is a directory\r\n" + Sortie("B"));
  EXPECT_EQ(e.erreur, Resume("un/A.ics") + "vellumcast: deux/D.txt: D.ics: Is a directory\n" +
                          "vellumcast: cannot open un/absent.txt: No such file or directory\n" +
                          Resume("un/B.ics") +
                          "vellumcast: 2 exports converted, 2 failed: deux/D.txt, un/absent.txt\n");
  EXPECT_EQ(d.Lire("un/Vellumcast.log"), TraceUnDocument("A") + TraceUnDocument("B"));
  // The log was created and emptied before the result could not be.
  EXPECT_EQ(d.Lire("deux/Vellumcast.log"), "");
  EXPECT_EQ(d.Lire("un/B.ics"), ResultatUnDocument("B"));
}

// -q leaves out the summaries, never what failed.
TEST(LotTest, QuietLeavesOutTheSummariesAndTheClosingLineWhenNoneFailed) {
  Temporaire d;
  d.Poser("un/A.txt", ExportUnDocument("A"));
  d.Poser("un/B.txt", ExportUnDocument("B"));
  Execution tout = Lancer(d, {"-q", "un/A.txt", "un/B.txt"});
  EXPECT_EQ(tout.code(), 0);
  EXPECT_EQ(tout.erreur, "");
  Execution dit = Lancer(d, {"un/A.txt", "un/B.txt"});
  EXPECT_EQ(dit.code(), 0);
  EXPECT_EQ(dit.erreur,
            Resume("un/A.ics") + Resume("un/B.ics") + "vellumcast: 2 exports converted\n");
  Execution echec = Lancer(d, {"un/", "un/A.txt", "--quiet"});
  EXPECT_EQ(echec.code(), 5);
  EXPECT_EQ(echec.erreur,
            "vellumcast: cannot open un/: Is a directory\n"
            "vellumcast: 1 export converted, 1 failed: un/\n");
}

// -o DIR puts every result there, and the run works there: the log holds
// every trace, and nothing is written beside the exports.
TEST(LotTest, OutputDirectoryTakesEveryResultAndTheLog) {
  struct Cas {
    std::vector<std::string> args;
    std::vector<std::string> noms;  // in sortie/
    std::string erreur;
  } cas[] = {
      {{"un/A.txt", "deux/D.txt", "-o", "sortie"},
       {"A.ics", "D.ics", "Vellumcast.log"},
       Resume("sortie/A.ics") + Resume("sortie/D.ics") + "vellumcast: 2 exports converted\n"},
      {{"--output=sortie/", "un/A.txt"}, {"A.ics", "Vellumcast.log"}, Resume("sortie/A.ics")},
  };
  for (const Cas& c : cas) {
    Temporaire d;
    d.Poser("un/A.txt", ExportUnDocument("A"));
    d.Poser("deux/D.txt", ExportUnDocument("D"));
    fs::create_directory(d.Sous("sortie"));
    Execution e = Lancer(d, c.args);
    EXPECT_EQ(e.code(), 0) << c.args[0];
    EXPECT_EQ(e.erreur, c.erreur);
    EXPECT_EQ(d.Noms("sortie"), c.noms);
    EXPECT_EQ(d.Noms("un"), std::vector<std::string>{"A.txt"});
    EXPECT_EQ(d.Noms("deux"), std::vector<std::string>{"D.txt"});
    EXPECT_EQ(d.Lire("sortie/A.ics"), ResultatUnDocument("A"));
  }
  Temporaire d;
  d.Poser("un/A.txt", ExportUnDocument("A"));
  Execution e = Lancer(d, {"un/A.txt", "un/A.txt", "-o", "r.ics"});
  EXPECT_EQ(e.code(), kUsage);
  EXPECT_EQ(e.erreur,
            "vellumcast: option --output needs a directory for several files, not 'r.ics'\n"
            "Try 'vellumcast --help'.\n");
  EXPECT_EQ(d.Noms(), std::vector<std::string>{"un"});
}

// The command un/A.txt tube un/B.txt, where tube is a FIFO: the test opens
// it for writing only once the command opens it to read, that is once A's
// run has ended, and holds the command there while another run converts in
// un/, or not.
TEST(LotTest, TheLogStartsAgainWhenAnotherRunConvertedThereInBetween) {
  struct Cas {
    bool autre;           // another run converts C in un/ in between
    std::string journal;  // what un/Vellumcast.log holds at the end
  } cas[] = {{false, TraceUnDocument("A") + TraceUnDocument("B")}, {true, TraceUnDocument("B")}};
  for (const Cas& c : cas) {
    Temporaire d;
    d.Poser("un/A.txt", ExportUnDocument("A"));
    d.Poser("un/B.txt", ExportUnDocument("B"));
    d.Poser("un/C.txt", ExportUnDocument("C"));
    ASSERT_EQ(::mkfifo(d.Sous("tube").c_str(), 0600), 0);
    Execution commande;
    std::thread fil([&] { commande = Lancer(d, {"-q", "un/A.txt", "tube", "un/B.txt"}); });
    int fd = ::open(d.Sous("tube").c_str(), O_WRONLY | O_CLOEXEC);
    if (c.autre) {
      EXPECT_EQ(Lancer(d, {"-q", "un/C.txt"}).code(), 0);
    }
    const std::string t = ExportUnDocument("T");
    EXPECT_EQ(::write(fd, t.data(), t.size()), static_cast<ssize_t>(t.size()));
    ::close(fd);
    fil.join();
    EXPECT_EQ(commande.code(), 0) << c.autre;
    EXPECT_EQ(commande.erreur, "") << c.autre;
    EXPECT_EQ(d.Lire("un/Vellumcast.log"), c.journal) << c.autre;
    // The FIFO has no directory to work in: its run works where the command does.
    EXPECT_EQ(d.Lire("Vellumcast.log"), TraceUnDocument("T")) << c.autre;
    EXPECT_EQ(d.Lire("tube.ics"), ResultatUnDocument("T")) << c.autre;
  }
}

TEST(LigneDeFinTest, CountsTheExportsAndNamesThoseThatFailed) {
  struct Cas {
    size_t converties;
    std::vector<std::string> echecs;
    bool silencieux;
    const char* ligne;
  } cas[] = {
      {2, {}, false, "vellumcast: 2 exports converted\n"},
      {2, {}, true, ""},
      {1, {}, false, "vellumcast: 1 export converted\n"},
      {0, {"a.txt"}, true, "vellumcast: 0 exports converted, 1 failed: a.txt\n"},
      {3,
       {"b.txt", "c d.txt"},
       false,
       "vellumcast: 3 exports converted, 2 failed: b.txt, c d.txt\n"},
      {1, {"x\x1b[2J.txt"}, false, "vellumcast: 1 export converted, 1 failed: x?[2J.txt\n"},
  };
  for (const Cas& c : cas) {
    EXPECT_EQ(LigneDeFin(c.converties, c.echecs, c.silencieux), c.ligne);
  }
}

}  // namespace
}  // namespace vellumcast
