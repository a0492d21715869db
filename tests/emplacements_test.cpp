// Where a run writes, end to end: an input that is no regular file leaves the
// run where it was started, and a result that would be one of the run's own
// files, or a standard stream, is refused before anything is written.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "attendus.h"
#include "processus.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

namespace fs = std::filesystem;

const std::string kProgramme = VELLUMCAST_BINAIRE;

const std::string kExport =
    "Subject:Budget\r\nSTARTDATETIME:01/02/2009 10:00:00\r\nEndDateTime:01/02/2009 11:00:00\r\n"
    "ApptUNID:ABC\r\n$UpdatedBy:me\r\n\r\nnotes\r\n\f\r\n";
const std::string kResultat = PrologueAttendu() +
                              BlocAttendu("ABC", 1, "SUMMARY:Budget\nDESCRIPTION:notes\\n\n \n",
                                          "20090201T100000", "20090201T110000") +
                              "END:VCALENDAR\r\n";
const std::string kTrace = "saut de page\r\nUID:ABC-1\r\n";

// `vellumcast` found on the PATH, as a user types it; names in the C locale.
const std::vector<std::string> kEnvironnement = {
    "PATH=" + fs::path(kProgramme).parent_path().string() + ":/usr/bin:/bin", "LC_ALL=C"};

struct NonReguliere {
  const char* nom;
  const char* commande;  // run by bash where the program is started
  const char* resultat;  // where the result lands; "" when it is named after /dev/fd/N
  bool vide;             // the input is empty
};

// The directory holds export.txt, its gzip copy, the named FIFO in/agenda.fifo
// and an empty out/; the FIFO's directory never receives anything.
TEST(EntreeNonReguliereTest, RunWorksWhereItWasStartedAndNamesTheResultAfterTheInput) {
  const NonReguliere cas[] = {
      // The README's command, as written.
      {"ProcessSubstitution", "vellumcast <(zcat export.txt.gz)", "", false},
      {"NamedFifoInAnotherDirectory",
       "cat export.txt >in/agenda.fifo & exec vellumcast in/agenda.fifo", "agenda.ics", false},
      {"PipeNamedByItsDescriptor", "cat export.txt | vellumcast /proc/self/fd/0", "0.ics", false},
      {"CharacterDevice", "vellumcast /proc/self/fd/0 </dev/null", "0.ics", true},
      {"ProcessSubstitutionWithOutput", "vellumcast <(zcat export.txt.gz) -o out/r.ics",
       "out/r.ics", false},
  };
  for (const NonReguliere& c : cas) {
    Temporaire d;
    d.Poser("export.txt", kExport);
    d.Poser("export.txt.gz", "");
    ASSERT_EQ(Executer({"/bin/sh", "-c", "gzip -c export.txt >export.txt.gz"}, d.chemin()).code(),
              0);
    fs::create_directory(d.Sous("out"));
    fs::create_directory(d.Sous("in"));
    ASSERT_EQ(::mkfifo(d.Sous("in/agenda.fifo").c_str(), 0644), 0);
    Execution e = Executer({"/bin/bash", "-c", c.commande}, d.chemin(), nullptr, &kEnvironnement);
    ASSERT_TRUE(e.fini) << c.nom;
    std::string resultat = c.resultat;
    if (resultat.empty()) {
      // bash names the substitution /dev/fd/N: the result is N.ics.
      for (const std::string& nom : d.Noms()) {
        if (nom.ends_with(".ics")) resultat = nom;
      }
      if (resultat.empty()) {
        ADD_FAILURE() << c.nom << ": no result where the program was started";
        continue;
      }
      EXPECT_EQ(resultat.find_first_not_of("0123456789"), resultat.size() - 4) << resultat;
    }
    const std::string journal =
        (resultat.starts_with("out/") ? "out/" : "") + std::string("Vellumcast.log");
    EXPECT_EQ(e.code(), 0) << c.nom << ": " << e.sortie;
    EXPECT_EQ(e.sortie, (c.vide ? "" : kTrace) + "Fichier source termine\r\n") << c.nom;
    EXPECT_EQ(e.erreur, "vellumcast: " + resultat + ": " +
                            (c.vide ? "0 events written from 0 documents"
                                    : "1 event written from 1 document") +
                            " read, 0 repeats of recurring documents converted once\n")
        << c.nom;
    EXPECT_EQ(d.Lire(resultat), c.vide ? PrologueAttendu() + "END:VCALENDAR\r\n" : kResultat)
        << c.nom;
    EXPECT_EQ(d.Lire(journal), c.vide ? "" : kTrace) << c.nom;
    std::vector<std::string> ici = {"export.txt", "export.txt.gz", "in", "out"};
    std::vector<std::string> sortie;
    for (const std::string& nom : {journal, resultat}) {
      (nom.starts_with("out/") ? sortie : ici).push_back(nom.substr(nom.rfind('/') + 1));
    }
    std::sort(ici.begin(), ici.end());
    std::sort(sortie.begin(), sortie.end());
    EXPECT_EQ(d.Noms(), ici) << c.nom;
    EXPECT_EQ(d.Noms("out"), sortie) << c.nom;
    EXPECT_EQ(d.Noms("in"), std::vector<std::string>{"agenda.fifo"}) << c.nom;
  }
}

struct Collision {
  const char* sortie;  // the argument of -o
  const char* nom;     // the result's name as the message gives it
  const char* raison;
};

// Standard output and standard error go to the files "sortie" and "erreur";
// the log and a scratch file of an earlier run are there, each also under a
// second name, and neither is emptied, erased or written.
TEST(ResultatInterditTest, OutputOntoTheRunsOwnFilesOrAStandardStreamIsRefusedFirst) {
  const Collision cas[] = {
      {"~rdv.tmp", "~rdv.tmp", "it is a scratch file of the run"},
      {"out/~ical.tmp", "~ical.tmp", "it is a scratch file of the run"},
      {"out/~donnees.tmp", "~donnees.tmp", "it is a scratch file of the run"},
      {"~dates_debut.tmp", "~dates_debut.tmp", "it is a scratch file of the run"},
      {"Vellumcast.log", "Vellumcast.log", "it is the log"},
      {"lie.ics", "lie.ics", "it is the log"},
      {"vers.ics", "vers.ics", "it is a scratch file of the run"},
      {"sortie", "sortie", "it is standard output"},
      {"erreur", "erreur", "it is standard error"},
      {"./agenda.txt", "agenda.txt", "it is the input"},
  };
  for (const Collision& c : cas) {
    Temporaire d;
    d.Poser("agenda.txt", kExport);
    d.Poser("Vellumcast.log", "old log\r\n");
    d.Poser("~dates_fin.tmp", "old dates\r\n");
    fs::create_hard_link(d.Sous("Vellumcast.log"), d.Sous("lie.ics"));
    fs::create_symlink("~dates_fin.tmp", d.Sous("vers.ics"));
    fs::create_directory(d.Sous("out"));
    Execution e = Executer({"/bin/sh", "-c", "exec \"$0\" agenda.txt -o \"$1\" >sortie 2>erreur",
                            kProgramme, c.sortie},
                           d.chemin(), nullptr, &kEnvironnement);
    ASSERT_TRUE(e.fini) << c.sortie;
    EXPECT_EQ(e.code(), 5) << c.sortie;
    const std::string mots = std::string(c.nom) + ": " + c.raison;
    EXPECT_EQ(d.Lire("sortie"), "Runtime error 5 " + mots + "\r\n") << c.sortie;
    EXPECT_EQ(d.Lire("erreur"), "vellumcast: " + mots + "\n") << c.sortie;
    EXPECT_EQ(d.Noms(),
              (std::vector<std::string>{"Vellumcast.log", "agenda.txt", "erreur", "lie.ics", "out",
                                        "sortie", "vers.ics", "~dates_fin.tmp"}))
        << c.sortie;
    EXPECT_TRUE(d.Noms("out").empty()) << c.sortie;
    EXPECT_EQ(d.Lire("Vellumcast.log"), "old log\r\n") << c.sortie;
    EXPECT_EQ(d.Lire("~dates_fin.tmp"), "old dates\r\n") << c.sortie;
    EXPECT_EQ(d.Lire("agenda.txt"), kExport) << c.sortie;
  }
}

}  // namespace
}  // namespace vellumcast
