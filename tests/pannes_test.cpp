// File-system faults met by the real program, end to end: a directory it may
// not write, a result name taken by a directory, a write that fails part-way
// (file-size limit, full device) and an input it may not read. Each checks
// the exit status, standard output, and that nothing else beside the input
// was emptied or removed.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "banc.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

namespace fs = std::filesystem;

// The unprivileged user the permission cases run as when the tests run as root.
constexpr uid_t kPersonne = 65534;

// How the child is started.
struct Consignes {
  std::vector<std::string> argv;
  std::string repertoire;
  std::string entree;                 // standard input
  rlim_t taille_max = RLIM_INFINITY;  // RLIMIT_FSIZE, with SIGXFSZ ignored
  bool sans_privilege = false;        // run as kPersonne when we are root
};

struct Fin {
  int code = -1;  // exit status; -1 when killed or stopped by a signal
  std::string sortie;
};

// Runs the child with its standard output in a pipe; kills it after 10 s.
Fin Lancer(const Consignes& c) {
  Fin fin;
  int in[2], out[2];
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return fin;
  std::vector<char*> args;
  for (const std::string& a : c.argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    if (::chdir(c.repertoire.c_str()) != 0) ::_exit(126);
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit lim = {c.taille_max, c.taille_max};
    if (c.taille_max != RLIM_INFINITY && ::setrlimit(RLIMIT_FSIZE, &lim) != 0) ::_exit(125);
    if (c.sans_privilege && ::geteuid() == 0) {
      if (::setgroups(0, nullptr) != 0 || ::setgid(kPersonne) != 0 || ::setuid(kPersonne) != 0) {
        ::_exit(124);
      }
    }
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::signal(SIGPIPE, SIG_IGN);
  if (!c.entree.empty()) {
    // Small answers: the pipe holds them whole.
    if (::write(in[1], c.entree.data(), c.entree.size()) < 0) ADD_FAILURE() << "stdin";
  }
  ::close(in[1]);
  auto echeance = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (;;) {
    auto reste = std::chrono::duration_cast<std::chrono::milliseconds>(
        echeance - std::chrono::steady_clock::now());
    struct pollfd p = {out[0], POLLIN, 0};
    int n = ::poll(&p, 1, reste.count() > 0 ? static_cast<int>(reste.count()) : 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ADD_FAILURE() << "the program hung";
      ::kill(pid, SIGKILL);
      break;
    }
    char tampon[4096];
    ssize_t k = ::read(out[0], tampon, sizeof tampon);
    if (k <= 0) break;
    fin.sortie.append(tampon, static_cast<size_t>(k));
  }
  ::close(out[0]);
  int statut = 0;
  while (::waitpid(pid, &statut, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(statut)) fin.code = WEXITSTATUS(statut);
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
         "BEGIN:VEVENT\r\nUID:ABC-1\r\nCREATED:20091101T100000Z\r\nSUMMARY:Fault\n" + description +
         "DTSTAMP:20090201T093000Z\r\nDTSTART;TZID=France:20090201T093000\r\n"
         "DTEND;TZID=France:20090201T103000\r\nSTATUS:CONFIRMED\r\nCATEGORIES:MEETING\r\n"
         "TRANSP:OPAQUE\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
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
      std::string contenu;
      int fd = ::open(e.path().c_str(), O_RDONLY);
      char t[4096];
      ssize_t k;
      while (fd >= 0 && (k = ::read(fd, t, sizeof t)) > 0)
        contenu.append(t, static_cast<size_t>(k));
      if (fd >= 0) ::close(fd);
      etat[nom] = contenu;
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
  Fin f = Lancer(c);
  fs::permissions(dir_.chemin(), fs::perms(0755));
  EXPECT_EQ(f.code, 5);
  EXPECT_EQ(f.sortie, "Runtime error 5 Vellumcast.log\r\n");
  EXPECT_EQ(Etat(dir_.chemin()), avant);
}

TEST_F(PannesTest, ResultNameTakenByADirectoryIsError5AndTouchesNothingElse) {
  dir_.Poser("agenda.txt", Export("Body\r\n"));
  dir_.Poser("agenda.ics/inside.txt", "still here");
  dir_.Poser("notes.txt", "keep me");
  auto avant = Etat(dir_.chemin());
  Fin f = Lancer(Avec({dir_.Sous("agenda.txt")}));
  EXPECT_EQ(f.code, 5);
  EXPECT_EQ(f.sortie, "Runtime error 5 agenda.ics\r\n");
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
  Fin f = Lancer(c);
  EXPECT_EQ(f.code, 101);
  EXPECT_EQ(f.sortie, "saut de page\r\nUID:ABC-1\r\nRuntime error 101 agenda.ics\r\n");
  // Everything written before the failure, up to the limit, and nothing else.
  EXPECT_EQ(dir_.Lire("agenda.ics"), attendu.substr(0, kLimite));
  EXPECT_EQ(dir_.Lire("Vellumcast.log"), "saut de page\r\nUID:ABC-1\r\n");
  EXPECT_EQ(dir_.Lire("agenda.txt"), Export(corps));
  EXPECT_EQ(dir_.Lire("notes.txt"), "keep me");
  EXPECT_EQ(dir_.Noms(),
            (std::vector<std::string>{"Vellumcast.log", "agenda.ics", "agenda.txt", "notes.txt"}));
}

TEST_F(PannesTest, FileSizeLimitAtTheClosingLineNeverEndsWithStatus0) {
  // The whole result but its last line fits: the failure comes at the final flush.
  const std::string attendu = Resultat("DESCRIPTION:Body\\n\n \n");
  dir_.Poser("agenda.txt", Export("Body\r\n"));
  Consignes c = Avec({dir_.Sous("agenda.txt")});
  c.taille_max = attendu.size() - 1;
  Fin f = Lancer(c);
  EXPECT_EQ(f.code, 101);
  EXPECT_EQ(f.sortie, "saut de page\r\nUID:ABC-1\r\nRuntime error 101 agenda.ics\r\n");
  EXPECT_EQ(dir_.Lire("agenda.ics"), attendu.substr(0, attendu.size() - 1));
}

TEST_F(PannesTest, ResultLinkedToAFullDeviceGivesError101) {
  if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no writable /dev/full";
  dir_.Poser("agenda.txt", Export("Body\r\n"));
  dir_.Poser("notes.txt", "keep me");
  fs::create_symlink("/dev/full", dir_.Sous("agenda.ics"));
  Fin f = Lancer(Avec({dir_.Sous("agenda.txt")}));
  EXPECT_EQ(f.code, 101);
  EXPECT_EQ(f.sortie, "saut de page\r\nUID:ABC-1\r\nRuntime error 101 agenda.ics\r\n");
  auto apres = Etat(dir_.chemin());
  EXPECT_EQ(apres["agenda.ics"], "-> /dev/full");
  EXPECT_EQ(apres["Vellumcast.log"], "saut de page\r\nUID:ABC-1\r\n");
  EXPECT_EQ(apres["agenda.txt"], Export("Body\r\n"));
  EXPECT_EQ(apres["notes.txt"], "keep me");
  EXPECT_EQ(apres.size(), 4u);
}

struct Illisible {
  const char* nom;
  bool argument;       // the name given on the command line, else typed
  const char* entree;  // standard input
  const char* sortie;
};

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
  Fin f = Lancer(c);
  EXPECT_EQ(f.code, 0);
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
  Fin f = Lancer(c);
  EXPECT_EQ(f.code, 0);
  EXPECT_EQ(f.sortie,
            "Input file name : Input file not found. Abort ? [Y/N] : \r\n"
            "Input file name : saut de page\r\nUID:ABC-1\r\nFichier source termine\r\n");
  EXPECT_EQ(dir_.Lire("agenda.ics"), Resultat("DESCRIPTION:Body\\n\n \n"));
  fs::permissions(dir_.Sous("secret.txt"), fs::perms(0600));
  EXPECT_EQ(dir_.Lire("secret.txt"), Export("Hidden\r\n"));
}

}  // namespace
}  // namespace vellumcast
