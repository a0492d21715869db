// File-system faults met by the real program, end to end: a directory it may
// not write, a result name taken by a directory, a write that fails part-way
// (file-size limit), a FIFO or a device under a name it writes, an unusable
// /tmp, and an input it may not read. Each checks the exit status, standard
// output, and that nothing else beside the input was emptied or removed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "attendus.h"
#include "processus.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

namespace fs = std::filesystem;

// How the child is started.
struct Consignes : Conditions {
  std::vector<std::string> argv;
  std::string repertoire;
  std::string entree;  // standard input
};

// Runs the child with its standard output captured; kills it after 10 s.
Execution Lancer(const Consignes& c) {
  Execution fin = Executer(c.argv, c.repertoire, &c.entree, nullptr, 10, c);
  if (!fin.fini) ADD_FAILURE() << "the program hung";
  return fin;
}

// One document with identifier ABC and the body `corps` (lines ended by CR LF).
std::string Export(const std::string& corps) {
  return "Subject: Fault\r\nSTARTDATETIME: 01/02/2009 09:30:00\r\n"
         "EndDateTime: 01/02/2009 10:30:00\r\nApptUNID: ABC\r\n$UpdatedBy: x\r\n\r\n" +
         corps + "\x0c\r\n";
}

// Its result, with `description` the DESCRIPTION line as the buffer holds it.
std::string Resultat(const std::string& description) {
  return PrologueAttendu() +
         BlocAttendu("ABC", 1, "SUMMARY:Fault\n" + description, "20090201T093000",
                     "20090201T103000") +
         "END:VCALENDAR\r\n";
}

// Every entry of a directory with its content (a link as "-> target", a
// directory as "<dir>"), to show that nothing else was touched.
std::map<std::string, std::string> Etat(const std::string& dossier) {
  std::map<std::string, std::string> etat;
  for (const auto& e : fs::directory_iterator(dossier)) {
    std::string nom = e.path().filename();
    if (e.is_symlink()) {
      etat[nom] = "-> " + fs::read_symlink(e.path()).string();
    } else if (e.is_directory()) {
      etat[nom] = "<dir>";
    } else {
      etat[nom] = LireFichier(e.path());
    }
  }
  return etat;
}

class PannesTest : public testing::Test {
 protected:
  void SetUp() override {
    // A copy of the program in a directory of its own that anyone may enter,
    // so that the unprivileged user can run it wherever the build lies.
    programme_ = bin_.Sous("vellumcast");
    fs::copy_file(VELLUMCAST_BINAIRE, programme_);
    fs::permissions(programme_, fs::perms(0755));
    fs::permissions(bin_.chemin(), fs::perms(0755));
    fs::permissions(dir_.chemin(), fs::perms(0755));
  }

  // Hands the directory and what it holds to the unprivileged user (when we
  // are root: root ignores permission bits, so the cases run as that user).
  // False when that user could not reach the directory.
  bool Ceder() {
    if (::geteuid() != 0) return true;
    for (fs::path p = fs::path(dir_.chemin()).parent_path(); p != p.root_path();
         p = p.parent_path()) {
      struct stat st;
      if (::stat(p.c_str(), &st) != 0 || (st.st_mode & S_IXOTH) == 0) return false;
    }
    for (const auto& e : fs::directory_iterator(dir_.chemin())) {
      if (::lchown(e.path().c_str(), kPersonne, kPersonne) != 0) return false;
    }
    return ::chown(dir_.chemin().c_str(), kPersonne, kPersonne) == 0;
  }

  Consignes Avec(std::vector<std::string> args) {
    Consignes c;
    c.argv = {programme_};
    c.argv.insert(c.argv.end(), args.begin(), args.end());
    c.repertoire = dir_.chemin();
    return c;
  }

  Temporaire bin_;
  Temporaire dir_;
  std::string programme_;
};

TEST_F(PannesTest, InputDirectoryNotWritableStopsAtTheTraceLogAndCreatesNothing) {
  dir_.Poser("agenda.txt", Export("Body\r\n"));
  dir_.Poser("notes.txt", "keep me");
  ASSERT_TRUE(Ceder()) << "the unprivileged user cannot reach " << dir_.chemin();
  fs::permissions(dir_.chemin(), fs::perms(0555));
  auto avant = Etat(dir_.chemin());
  Consignes c = Avec({dir_.Sous("agenda.txt")});
  c.sans_privilege = true;
  Execution f = Lancer(c);
  fs::permissions(dir_.chemin(), fs::perms(0755));
  EXPECT_EQ(f.code(), 5);
  EXPECT_EQ(f.sortie, "Runtime error 5 Vellumcast.log: Permission denied\r\n");
  EXPECT_EQ(Etat(dir_.chemin()), avant);
}

struct Conseil {
  const char* nom;
  const char* dossier;  // where the program starts, under the test's directory
  std::vector<std::string> args;
  const char* clavier;  // standard input
  const char* sortie;
  std::string erreur;
};

// The directory ro/ may not be written; rw/ may, but its result may not (its
// owner keeps it). The hint toward -o names the export as the user gave it.
TEST_F(PannesTest, FileThatCannotBeCreatedBesideTheExportPointsToOutput) {
  const std::string kConseil =
      "vellumcast: cannot write beside the export: write the result elsewhere with -o FILE, as "
      "in: vellumcast ";
  const std::string kJournal = "vellumcast: Vellumcast.log: Permission denied\n";
  const Conseil cas[] = {
      {"NameWithABlank",
       "",
       {"ro/mon agenda.txt"},
       "",
       "Runtime error 5 Vellumcast.log: Permission denied\r\n",
       kJournal + kConseil + "'ro/mon agenda.txt' -o ~/'mon agenda.ics'\n"},
      {"TypedName",
       "",
       {},
       "ro/mon agenda.txt\n",
       "Input file name : Runtime error 5 Vellumcast.log: Permission denied\r\n",
       kJournal + kConseil + "'ro/mon agenda.txt' -o ~/'mon agenda.ics'\n"},
      {"NameStartingWithADash",
       "ro",
       {"--", "-x.txt"},
       "",
       "Runtime error 5 Vellumcast.log: Permission denied\r\n",
       kJournal + "vellumcast: cannot write beside the export: write the result elsewhere with -o "
                  "FILE, as in: vellumcast -o ~/-x.ics -- -x.txt\n"},
      {"ResultNotTheUsers",
       "",
       {"rw/agenda.txt"},
       "",
       "Runtime error 5 agenda.ics: Permission denied\r\n",
       "vellumcast: agenda.ics: Permission denied\n" + kConseil +
           "rw/agenda.txt -o ~/agenda.ics\n"},
      // With -o the user already chose where to write.
      {"WithOutput",
       "",
       {"ro/mon agenda.txt", "-o", "ro/r.ics"},
       "",
       "Runtime error 5 Vellumcast.log: Permission denied\r\n",
       kJournal},
  };
  dir_.Poser("ro/mon agenda.txt", Export("Body\r\n"));
  dir_.Poser("ro/-x.txt", Export("Body\r\n"));
  dir_.Poser("rw/agenda.txt", Export("Body\r\n"));
  dir_.Poser("rw/agenda.ics", "not yours");
  fs::permissions(dir_.Sous("rw/agenda.ics"), fs::perms(0444));
  ASSERT_TRUE(Ceder()) << "the unprivileged user cannot reach " << dir_.chemin();
  fs::permissions(dir_.Sous("ro"), fs::perms(0555));
  for (const Conseil& c : cas) {
    Consignes consignes = Avec(c.args);
    consignes.repertoire = dir_.Sous(c.dossier);
    consignes.entree = c.clavier;
    consignes.sans_privilege = true;
    const std::vector<std::string> environnement = {"LC_ALL=C"};
    Execution f = Executer(consignes.argv, consignes.repertoire, &consignes.entree, &environnement,
                           10, consignes);
    EXPECT_EQ(f.code(), 5) << c.nom;
    EXPECT_EQ(f.sortie, c.sortie) << c.nom;
    EXPECT_EQ(f.erreur, c.erreur) << c.nom;
  }
  fs::permissions(dir_.Sous("ro"), fs::perms(0755));
  EXPECT_EQ(dir_.Noms("ro"), (std::vector<std::string>{"-x.txt", "mon agenda.txt"}));
}

TEST_F(PannesTest, ResultNameTakenByADirectoryIsError5AndTouchesNothingElse) {
  dir_.Poser("agenda.txt", Export("Body\r\n"));
  dir_.Poser("agenda.ics/inside.txt", "still here");
  dir_.Poser("notes.txt", "keep me");
  auto avant = Etat(dir_.chemin());
  Execution f = Lancer(Avec({dir_.Sous("agenda.txt")}));
  EXPECT_EQ(f.code(), 5);
  EXPECT_EQ(f.sortie, "Runtime error 5 agenda.ics: Is a directory\r\n");
  EXPECT_EQ(f.erreur, "vellumcast: agenda.ics: Is a directory\n");
  auto apres = Etat(dir_.chemin());
  // The trace log is created before the result file, and holds nothing yet.
  EXPECT_EQ(apres["Vellumcast.log"], "");
  apres.erase("Vellumcast.log");
  EXPECT_EQ(apres, avant);
  EXPECT_EQ(dir_.Lire("agenda.ics/inside.txt"), "still here");
}

TEST_F(PannesTest, FileSizeLimitMidResultGivesError101AndKeepsWhatWasWritten) {
  // A body long enough for the result to pass the limit inside the event block.
  std::string corps, description = "DESCRIPTION:";
  for (int i = 0; i < 2000; ++i) {
    corps += std::string(60, 'x') + "\r\n";
    description += std::string(60, 'x') + "\\n\n ";
  }
  description += "\n";
  const std::string attendu = Resultat(description);
  constexpr size_t kLimite = 10000;
  ASSERT_GT(attendu.size(), 64 * 1024u);
  dir_.Poser("agenda.txt", Export(corps));
  dir_.Poser("notes.txt", "keep me");
  Consignes c = Avec({dir_.Sous("agenda.txt")});
  c.taille_max = kLimite;
  Execution f = Lancer(c);
  EXPECT_EQ(f.code(), 101);
  EXPECT_EQ(f.sortie,
            "saut de page\r\nUID:ABC-1\r\nRuntime error 101 agenda.ics: File too large\r\n");
  // Everything written before the failure, up to the limit, and nothing else.
  EXPECT_EQ(dir_.Lire("agenda.ics"), attendu.substr(0, kLimite));
  EXPECT_EQ(dir_.Lire("Vellumcast.log"), "saut de page\r\nUID:ABC-1\r\n");
  EXPECT_EQ(dir_.Lire("agenda.txt"), Export(corps));
  EXPECT_EQ(dir_.Lire("notes.txt"), "keep me");
  EXPECT_EQ(dir_.Noms(),
            (std::vector<std::string>{"Vellumcast.log", "agenda.ics", "agenda.txt", "notes.txt"}));
}

TEST_F(PannesTest, ErrorStopAfterACaptureLeavesTheCaptureInItsFile) {
  // A document that embeds a calendar, then one whose result passes the limit
  // while the run goes on: larger than the writer's buffer.
  std::string corps;
  for (int i = 0; i < 6000; ++i) corps += std::string(60, 'x') + "\r\n";
  const std::string entree =
      "Subject: Cap\r\n$ICAL_ORIG_STREAM: BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\n"
      "SUMMARY:Team meeting\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n$UpdatedBy: x\r\n\r\n\x0c\r\n" +
      Export(corps);
  dir_.Poser("agenda.txt", entree);
  Consignes c = Avec({dir_.Sous("agenda.txt")});
  c.taille_max = 10000;
  Execution f = Lancer(c);
  EXPECT_EQ(f.code(), 101);
  EXPECT_EQ(f.sortie,
            "iCal d\xe9tect\xe9\r\nVEVENT detecte\r\nfin iCal\r\nsaut de page\r\nsaut de page\r\n"
            "UID:ABC-1\r\nRuntime error 101 agenda.ics: File too large\r\n");
  EXPECT_EQ(dir_.Lire("~ical.tmp"), "BEGIN:VEVENT\r\nSUMMARY:Team meeting\r\nEND:VEVENT\r\n");
}

TEST_F(PannesTest, FileSizeLimitAtTheClosingLineNeverEndsWithStatus0) {
  // The whole result but its last line fits: the failure comes at the final flush.
  const std::string attendu = Resultat("DESCRIPTION:Body\\n\n \n");
  dir_.Poser("agenda.txt", Export("Body\r\n"));
  Consignes c = Avec({dir_.Sous("agenda.txt")});
  c.taille_max = attendu.size() - 1;
  Execution f = Lancer(c);
  EXPECT_EQ(f.code(), 101);
  EXPECT_EQ(f.sortie,
            "saut de page\r\nUID:ABC-1\r\nRuntime error 101 agenda.ics: File too large\r\n");
  EXPECT_EQ(dir_.Lire("agenda.ics"), attendu.substr(0, attendu.size() - 1));
}

// What stands under a name the run writes beside the input.
enum class Piege {
  kFifo,         // a FIFO that no one reads: opening it for writing would wait
  kFifoLue,      // a FIFO that the test holds open for reading
  kLienAppareil  // a link to a device
};

struct Special {
  const char* nom;      // the test's name
  const char* fichier;  // the name the run writes
  Piege piege;
  const char* sortie;  // standard output
};

// A row as the test log shows it: by its name.
void PrintTo(const Special& cas, std::ostream* os) { *os << cas.nom; }

class NomSpecial : public PannesTest, public testing::WithParamInterface<Special> {};

TEST_P(NomSpecial, IsRuntimeError5AtOnceWithNothingWrittenThroughIt) {
  const Special& cas = GetParam();
  const std::string chemin = dir_.Sous(cas.fichier);
  // The embedded calendar's item has the run open "~ical.tmp" at once.
  dir_.Poser("agenda.txt", "$ICAL_ORIG_STREAM: BEGIN:VCALENDAR\r\n" + Export("Body\r\n"));
  int lecteur = -1;
  if (cas.piege == Piege::kLienAppareil) {
    const char* appareil = std::string(cas.fichier) == "Vellumcast.log" ? "/dev/null" : "/dev/full";
    fs::create_symlink(appareil, chemin);
  } else {
    ASSERT_EQ(::mkfifo(chemin.c_str(), 0644), 0);
    if (cas.piege == Piege::kFifoLue) lecteur = ::open(chemin.c_str(), O_RDONLY | O_NONBLOCK);
  }
  // A run that waits on the name is killed after 5 s; it must end long before.
  Execution f = Executer({programme_, dir_.Sous("agenda.txt")}, dir_.chemin(), nullptr, nullptr, 5);
  EXPECT_TRUE(f.fini) << "the run hung";
  EXPECT_EQ(f.code(), 5);
  EXPECT_EQ(f.sortie, cas.sortie);
  if (lecteur >= 0) {
    char c;
    EXPECT_LE(::read(lecteur, &c, 1), 0) << "bytes were written through the FIFO";
    ::close(lecteur);
  }
  struct stat st;
  ASSERT_EQ(::lstat(chemin.c_str(), &st), 0);
  EXPECT_TRUE(cas.piege == Piege::kLienAppareil ? S_ISLNK(st.st_mode) : S_ISFIFO(st.st_mode));
}

INSTANTIATE_TEST_SUITE_P(
    Noms, NomSpecial,
    testing::Values(
        Special{"LogFifo", "Vellumcast.log", Piege::kFifo,
                "Runtime error 5 Vellumcast.log: not a regular file but a FIFO\r\n"},
        Special{"LogFifoBeingRead", "Vellumcast.log", Piege::kFifoLue,
                "Runtime error 5 Vellumcast.log: not a regular file but a FIFO\r\n"},
        Special{"LogLinkedToNullDevice", "Vellumcast.log", Piege::kLienAppareil,
                "Runtime error 5 Vellumcast.log: not a regular file but a character device\r\n"},
        Special{"ResultFifo", "agenda.ics", Piege::kFifo,
                "Runtime error 5 agenda.ics: not a regular file but a FIFO\r\n"},
        Special{"ResultFifoBeingRead", "agenda.ics", Piege::kFifoLue,
                "Runtime error 5 agenda.ics: not a regular file but a FIFO\r\n"},
        Special{"ResultLinkedToFullDevice", "agenda.ics", Piege::kLienAppareil,
                "Runtime error 5 agenda.ics: not a regular file but a character device\r\n"},
        Special{
            "CaptureFifo", "~ical.tmp", Piege::kFifo,
            "iCal d\xe9tect\xe9\r\nRuntime error 5 ~ical.tmp: not a regular file but a FIFO\r\n"},
        Special{
            "CaptureFifoBeingRead", "~ical.tmp", Piege::kFifoLue,
            "iCal d\xe9tect\xe9\r\nRuntime error 5 ~ical.tmp: not a regular file but a FIFO\r\n"}),
    [](const testing::TestParamInfo<Special>& i) { return std::string(i.param.nom); });

// A body over the memory bound spills to a file in $TMPDIR; /tmp, made
// read-only in a mount namespace of the run's own, is not needed.
TEST_F(PannesTest, SpillGoesToTmpdirWhenTmpIsReadOnly) {
  if (::geteuid() != 0) GTEST_SKIP() << "a mount namespace needs root";
  if (::access("/usr/bin/unshare", X_OK) != 0) GTEST_SKIP() << "no /usr/bin/unshare";
  if (Executer({"/usr/bin/unshare", "-m", "/bin/true"}, "/").code() != 0) {
    GTEST_SKIP() << "no mount namespace can be made here";
  }
  std::string corps, description = "DESCRIPTION:";
  for (int i = 0; i < 20000; ++i) {
    corps += std::string(60, 'x') + "\r\n";
    description += std::string(60, 'x') + "\\n\n ";
  }
  description += "\n";
  ASSERT_GT(corps.size(), size_t{1} << 20);
  dir_.Poser("agenda.txt", Export(corps));
  Temporaire deborde;
  // /tmp read-only, then the run's directory and $TMPDIR, wherever they lie,
  // writable again; 77 when any of it cannot be done.
  const std::string script =
      "mount --bind /tmp /tmp && mount -o remount,bind,ro /tmp || exit 77\n"
      "for d in \"$2\" \"$3\"; do\n"
      "  mount --bind \"$d\" \"$d\" && mount -o remount,bind,rw \"$d\" || exit 77\n"
      "done\n"
      "cd \"$2\" && exec \"$1\" -q agenda.txt\n";
  const std::vector<std::string> environnement = {"PATH=/usr/sbin:/usr/bin:/sbin:/bin",
                                                  "TMPDIR=" + deborde.chemin()};
  Execution f = Executer({"/usr/bin/unshare", "-m", "/bin/sh", "-c", script, "sh", programme_,
                          dir_.chemin(), deborde.chemin()},
                         dir_.chemin(), nullptr, &environnement, 30);
  if (f.code() == 77) GTEST_SKIP() << "/tmp could not be made read-only: " << f.erreur;
  EXPECT_EQ(f.code(), 0) << f.sortie;
  EXPECT_EQ(f.sortie, "saut de page\r\nUID:ABC-1\r\nFichier source termine\r\n");
  EXPECT_EQ(f.erreur, "");
  // Over a megabyte: compared without printing it.
  EXPECT_TRUE(dir_.Lire("agenda.ics") == Resultat(description)) << "the result differs";
  // The spill file never had a name there.
  EXPECT_TRUE(deborde.Noms().empty());
}

struct Illisible {
  const char* nom;
  bool argument;       // the name given on the command line, else typed
  const char* entree;  // standard input
  const char* sortie;
};

// A row as the test log shows it: by its name.
void PrintTo(const Illisible& cas, std::ostream* os) { *os << cas.nom; }

class EntreeIllisible : public PannesTest, public testing::WithParamInterface<Illisible> {};

TEST_P(EntreeIllisible, AsksTheQuestionThenFollowsTheAnswer) {
  const Illisible& cas = GetParam();
  dir_.Poser("agenda.txt", Export("Body\r\n"));
  dir_.Poser("notes.txt", "keep me");
  fs::permissions(dir_.Sous("agenda.txt"), fs::perms::none);
  ASSERT_TRUE(Ceder()) << "the unprivileged user cannot reach " << dir_.chemin();
  auto avant = Etat(dir_.chemin());
  Consignes c =
      Avec(cas.argument ? std::vector<std::string>{"agenda.txt"} : std::vector<std::string>{});
  c.entree = cas.entree;
  c.sans_privilege = true;
  Execution f = Lancer(c);
  EXPECT_EQ(f.code(), 0);
  EXPECT_EQ(f.sortie, cas.sortie);
  EXPECT_EQ(Etat(dir_.chemin()), avant);
}

INSTANTIATE_TEST_SUITE_P(
    Reponses, EntreeIllisible,
    testing::Values(Illisible{"ArgumentThenYes", true, "y\n",
                              "Input file not found. Abort ? [Y/N] : \r\n"},
                    Illisible{"ArgumentNoThenYes", true, "n\nY\n",
                              "Input file not found. Abort ? [Y/N] : \r\n"
                              "Input file not found. Abort ? [Y/N] : \r\n"},
                    Illisible{"TypedNameNoThenYes", false, "agenda.txt\nn\nagenda.txt\ny\n",
                              "Input file name : Input file not found. Abort ? [Y/N] : \r\n"
                              "Input file name : Input file not found. Abort ? [Y/N] : \r\n"}),
    [](const testing::TestParamInfo<Illisible>& i) { return std::string(i.param.nom); });

TEST_F(PannesTest, UnreadableInputThenAReadableOneConverts) {
  dir_.Poser("secret.txt", Export("Hidden\r\n"));
  dir_.Poser("agenda.txt", Export("Body\r\n"));
  fs::permissions(dir_.Sous("secret.txt"), fs::perms::none);
  ASSERT_TRUE(Ceder()) << "the unprivileged user cannot reach " << dir_.chemin();
  Consignes c = Avec({});
  c.entree = "secret.txt\nn\nagenda.txt\n";
  c.sans_privilege = true;
  Execution f = Lancer(c);
  EXPECT_EQ(f.code(), 0);
  EXPECT_EQ(f.sortie,
            "Input file name : Input file not found. Abort ? [Y/N] : \r\n"
            "Input file name : saut de page\r\nUID:ABC-1\r\nFichier source termine\r\n");
  EXPECT_EQ(dir_.Lire("agenda.ics"), Resultat("DESCRIPTION:Body\\n\n \n"));
  fs::permissions(dir_.Sous("secret.txt"), fs::perms(0600));
  EXPECT_EQ(dir_.Lire("secret.txt"), Export("Hidden\r\n"));
}

}  // namespace
}  // namespace vellumcast
