// Runs that meet other processes, end to end: an input changed while the run
// reads it, and a second run in the directory of one still going, which
// waits for it or, told not to, stops. The first
// run is held mid-way without any timing: its standard output goes into a
// FIFO that the test stops reading after the first byte, so the run waits in
// its next write, its input open and partly read, until the test reads on.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "attendus.h"
#include "processus.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

// Documents `de` to `a` of 90 bytes each, identifiers D10000, D10001, ...
std::string Documents(int de, int a) {
  std::string texte;
  for (int k = de; k < a; ++k) {
    texte += "Subject: s\r\nSTARTDATETIME: 01/02/2009 10:00:00\r\nApptUNID: D" +
             std::to_string(10000 + k) + "\r\n$UpdatedBy: xx\r\n\r\nb\r\n\x0c\r\n";
  }
  return texte;
}

// The trace of the first `n` of them; over a megabyte for kDocuments, so that
// the run is held at its first 256 KiB, having read at most a megabyte.
std::string Trace(int n) {
  std::string trace;
  for (int k = 0; k < n; ++k) {
    trace +=
        "saut de page\r\nUID:D" + std::to_string(10000 + k) + "-" + std::to_string(k + 1) + "\r\n";
  }
  return trace;
}
constexpr int kDocuments = 40000;

// The event block of document `k`, the run's (k + 1)th.
std::string Bloc(int k) {
  return BlocAttendu("D" + std::to_string(10000 + k), k + 1, "SUMMARY:s\nDESCRIPTION:b\\n\n \n",
                     "20090201T100000");
}

// A run whose standard output goes into the FIFO `fifo`.
class RunRetenu {
 public:
  RunRetenu(const std::vector<std::string>& argv, const std::string& dossier,
            const std::string& fifo) {
    ::mkfifo(fifo.c_str(), 0600);
    // Open before the run opens it, so that neither waits for the other.
    fd_ = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    Conditions c;
    c.sortie_vers = fifo;
    fil_ = std::thread([=, this] { fin_ = Executer(argv, dossier, nullptr, nullptr, 60, c); });
  }
  ~RunRetenu() { Finir(); }

  // Waits for the run's first byte: from then on it is held.
  bool Attendre() {
    struct pollfd p = {fd_, POLLIN, 0};
    return fd_ >= 0 && ::poll(&p, 1, 60000) == 1 && Lire(1);
  }
  // Reads the rest and waits for the run's end.
  Execution Finir() {
    if (fd_ >= 0) ::fcntl(fd_, F_SETFL, 0);
    while (Lire(65536)) {
    }
    if (fil_.joinable()) fil_.join();
    fin_.sortie = sortie_;
    return fin_;
  }

 private:
  bool Lire(size_t n) {
    std::string t(n, '\0');
    ssize_t k = fd_ >= 0 ? ::read(fd_, t.data(), n) : 0;
    if (k > 0) sortie_.append(t, 0, static_cast<size_t>(k));
    return k > 0;
  }

  int fd_;
  std::thread fil_;
  Execution fin_;
  std::string sortie_;
};

struct Changement {
  const char* nom;
  void (*changer)(const std::string& chemin);
  int documents;  // what the run reads in all
};

// A row as the test log shows it: by its name.
void PrintTo(const Changement& cas, std::ostream* os) { *os << cas.nom; }

class EntreeChangee : public testing::TestWithParam<Changement> {};

TEST_P(EntreeChangee, RunCompletesThenSaysSoAndEndsWithStatus1) {
  Temporaire dossier, tube;
  dossier.Poser("agenda.txt", Documents(0, kDocuments));
  RunRetenu run({VELLUMCAST_BINAIRE, "-q", dossier.Sous("agenda.txt")}, dossier.chemin(),
                tube.Sous("sortie"));
  ASSERT_TRUE(run.Attendre());
  GetParam().changer(dossier.Sous("agenda.txt"));
  Execution fin = run.Finir();
  EXPECT_EQ(fin.code(), 1);
  EXPECT_EQ(fin.erreur, "vellumcast: " + dossier.Sous("agenda.txt") +
                            " changed while it was read: the result may be incomplete; convert "
                            "it again\n");
  // Every document read is in the result, as with any input: the last block
  // is the last document's. Megabytes are compared without printing them.
  const int n = GetParam().documents;
  EXPECT_TRUE(fin.sortie == Trace(n) + "Fichier source termine\r\n");
  EXPECT_TRUE(dossier.Lire("agenda.ics").ends_with(Bloc(n - 1) + "END:VCALENDAR\r\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Changements, EntreeChangee,
    testing::Values(Changement{"TruncatedToHalf",
                               [](const std::string& chemin) {
                                 ASSERT_EQ(::truncate(chemin.c_str(), kDocuments / 2 * 90), 0);
                               },
                               kDocuments / 2},
                    Changement{"GrownByAQuarter",
                               [](const std::string& chemin) {
                                 int fd = ::open(chemin.c_str(), O_WRONLY | O_APPEND);
                                 const std::string plus = Documents(kDocuments, kDocuments * 5 / 4);
                                 ASSERT_EQ(::write(fd, plus.data(), plus.size()),
                                           static_cast<ssize_t>(plus.size()));
                                 ::close(fd);
                               },
                               kDocuments * 5 / 4}),
    [](const testing::TestParamInfo<Changement>& i) { return std::string(i.param.nom); });

// The export b.txt: one document, its trace and its result's event.
const std::string kExportB =
    "Subject: s\r\nSTARTDATETIME: 01/02/2009 10:00:00\r\nApptUNID: B\r\n$UpdatedBy: xx\r\n"
    "\r\nb\r\n\x0c\r\n";
const std::string kTraceB = "saut de page\r\nUID:B-1\r\n";

TEST(DeuxRunsTest, WithNoWaitSecondRunStopsWithError5AndTheFirstLogIsWhole) {
  Temporaire dossier, tube;
  dossier.Poser("a.txt", Documents(0, kDocuments));
  dossier.Poser("b.txt", kExportB);
  RunRetenu premier({VELLUMCAST_BINAIRE, "a.txt"}, dossier.chemin(), tube.Sous("sortie"));
  ASSERT_TRUE(premier.Attendre());

  Execution second = Executer({VELLUMCAST_BINAIRE, "--no-wait", "b.txt"}, dossier.chemin());
  EXPECT_EQ(second.code(), 5);
  EXPECT_EQ(second.sortie, "Runtime error 5 Vellumcast.log: in use by another run\r\n");
  EXPECT_EQ(second.erreur, "vellumcast: Vellumcast.log: in use by another run\n");
  // Nothing created, emptied or erased.
  EXPECT_EQ(dossier.Noms(),
            (std::vector<std::string>{"Vellumcast.log", "a.ics", "a.txt", "b.txt"}));

  Execution premiere = premier.Finir();
  EXPECT_EQ(premiere.code(), 0);
  EXPECT_TRUE(premiere.sortie == Trace(kDocuments) + "Fichier source termine\r\n");
  EXPECT_TRUE(dossier.Lire("Vellumcast.log") == Trace(kDocuments));
  EXPECT_TRUE(dossier.Lire("a.ics").ends_with(Bloc(kDocuments - 1) + "END:VCALENDAR\r\n"));
}

// The second run says once that it waits, and is still waiting while the
// first is held; once the first has ended it converts, and the log holds its
// trace alone, whole: the first run's bytes neither mixed in nor left over.
TEST(DeuxRunsTest, SecondRunWaitsForTheFirstAndEachLogIsWholeInTurn) {
  Temporaire dossier, tube;
  dossier.Poser("a.txt", Documents(0, kDocuments));
  dossier.Poser("b.txt", kExportB);
  RunRetenu premier({VELLUMCAST_BINAIRE, "a.txt"}, dossier.chemin(), tube.Sous("sortie"));
  ASSERT_TRUE(premier.Attendre());

  Suivi second;
  ASSERT_TRUE(second.Lancer({VELLUMCAST_BINAIRE, "b.txt"}, dossier.chemin()));
  const std::string attente = "vellumcast: waiting for another run in " + dossier.chemin() + "\n";
  ASSERT_TRUE(second.AttendreErreur(attente));
  EXPECT_FALSE(second.Fini());
  EXPECT_EQ(dossier.Lire("b.ics"), "<absent>");

  Execution premiere = premier.Finir();
  EXPECT_EQ(premiere.code(), 0);
  EXPECT_TRUE(premiere.sortie == Trace(kDocuments) + "Fichier source termine\r\n");
  EXPECT_TRUE(dossier.Lire("a.ics").ends_with(Bloc(kDocuments - 1) + "END:VCALENDAR\r\n"));

  Execution seconde = second.Finir();
  EXPECT_EQ(seconde.code(), 0);
  EXPECT_EQ(seconde.sortie, kTraceB + "Fichier source termine\r\n");
  EXPECT_EQ(seconde.erreur, attente +
                                "vellumcast: b.ics: 1 event written from 1 document read, 0 "
                                "repeats of recurring documents converted once\n");
  EXPECT_EQ(dossier.Lire("Vellumcast.log"), kTraceB);
  EXPECT_EQ(dossier.Lire("b.ics"),
            PrologueAttendu() +
                BlocAttendu("B", 1, "SUMMARY:s\nDESCRIPTION:b\\n\n \n", "20090201T100000") +
                "END:VCALENDAR\r\n");
}

}  // namespace
}  // namespace vellumcast
