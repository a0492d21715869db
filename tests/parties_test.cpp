// A result in parts, end to end: the parts' names beside the result's or
// after -o's, each a whole calendar, the summary that names them and the
// parts an earlier run left, and a part refused under the input's name.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "attendus.h"
#include "processus.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

// An export of one document per identifier, one date each, a day apart.
std::string Export(const std::vector<std::string>& uids) {
  std::string t;
  int jour = 1;
  for (const std::string& uid : uids) {
    t += "Subject: s\r\nSTARTDATETIME: 0" + std::to_string(jour++) +
         "/02/2009 10:00:00\r\nApptUNID: " + uid + "\r\n$UpdatedBy: xx\r\n\r\nb\r\n\x0c\r\n";
  }
  return t;
}

// The block of the `numero`-th event of that export, whose identifier is `uid`.
std::string Bloc(const std::string& uid, int numero) {
  return BlocAttendu(uid, numero, "SUMMARY:s\nDESCRIPTION:b\\n\n \n",
                     "2009020" + std::to_string(numero) + "T100000");
}

std::string Calendrier(const std::string& blocs) {
  return PrologueAttendu() + blocs + "END:VCALENDAR\r\n";
}

std::string Resume(const std::string& resultat, int evenements) {
  return "vellumcast: " + resultat + ": " + std::to_string(evenements) +
         (evenements == 1 ? " event" : " events") + " written from " + std::to_string(evenements) +
         (evenements == 1 ? " document" : " documents") +
         " read, 0 repeats of recurring documents converted once\n";
}

Execution Lancer(const Temporaire& dossier, std::vector<std::string> args) {
  args.insert(args.begin(), VELLUMCAST_BINAIRE);
  static const std::vector<std::string> kEnvironnement = {"LC_ALL=C", "TZ=Europe/Paris"};
  return Executer(args, dossier.chemin(), nullptr, &kEnvironnement, 30);
}

struct CasParties {
  const char* nom;
  std::vector<std::string> args;
  std::vector<std::string> poses;  // files an earlier run left, empty
  std::string erreur;              // standard error, by hand
  // Every file of the directory but the export and the log, with its bytes.
  std::vector<std::pair<std::string, std::string>> fichiers;
};

TEST(PartiesTest, TheResultInPartsOfAtMostNEvents) {
  const std::string ab = Bloc("A", 1) + Bloc("B", 2);
  const std::string c = Bloc("C", 3);
  const std::string abc = ab + c;
  const std::vector<CasParties> cas = {
      {"ThreeEventsInPartsOfTwo",
       {"x.txt", "--split", "2"},
       {},
       Resume("x-1.ics to x-2.ics", 3) + "vellumcast: the result in 2 parts: x-1.ics, x-2.ics\n",
       {{"x-1.ics", Calendrier(ab)}, {"x-2.ics", Calendrier(c)}}},
      {"PartsOfExactlyTheCountMakeNoEmptyPart",
       {"x.txt", "--split=3"},
       {},
       Resume("x-1.ics", 3) + "vellumcast: the result in 1 part: x-1.ics\n",
       {{"x-1.ics", Calendrier(abc)}}},
      {"PartsAfterOutputFileLessItsExtension",
       {"x.txt", "--split", "2", "-o", "sous/cal.ics"},
       {"sous/"},
       Resume("sous/cal-1.ics to sous/cal-2.ics", 3) +
           "vellumcast: the result in 2 parts: sous/cal-1.ics, sous/cal-2.ics\n",
       {{"sous/cal-1.ics", Calendrier(ab)}, {"sous/cal-2.ics", Calendrier(c)}}},
      {"PartsAnEarlierRunLeftAreNamedAndKept",
       {"x.txt", "--split", "2"},
       {"x-3.ics", "x-10.ics", "x-03.ics", "x-4a.ics"},
       Resume("x-1.ics to x-2.ics", 3) +
           "vellumcast: the result in 2 parts: x-1.ics, x-2.ics\n"
           "vellumcast: note: left from an earlier run, not erased and no part of this result: "
           "x-3.ics, x-10.ics\n",
       {{"x-03.ics", ""},
        {"x-1.ics", Calendrier(ab)},
        {"x-10.ics", ""},
        {"x-2.ics", Calendrier(c)},
        {"x-3.ics", ""},
        {"x-4a.ics", ""}}},
      {"WithoutTheOptionOneFile", {"x.txt"}, {}, Resume("x.ics", 3), {{"x.ics", Calendrier(abc)}}},
  };
  for (const CasParties& k : cas) {
    SCOPED_TRACE(k.nom);
    Temporaire d;
    d.Poser("x.txt", Export({"A", "B", "C"}));
    std::string dossier;
    for (const std::string& pose : k.poses) {
      if (pose.ends_with('/')) {
        dossier = pose;
        d.Poser(pose + "x.keep");
      } else {
        d.Poser(pose);
      }
    }
    Execution e = Lancer(d, k.args);
    EXPECT_EQ(e.code(), 0);
    EXPECT_EQ(e.erreur, k.erreur);
    std::vector<std::string> attendus;
    for (const auto& [nom, contenu] : k.fichiers) {
      EXPECT_EQ(d.Lire(nom), contenu) << nom;
      if (nom.starts_with(dossier)) attendus.push_back(nom.substr(dossier.size()));
    }
    attendus.insert(attendus.end(), {"Vellumcast.log"});
    if (dossier.empty()) attendus.insert(attendus.end(), {"x.txt"});
    if (!dossier.empty()) attendus.insert(attendus.end(), {"x.keep"});
    std::sort(attendus.begin(), attendus.end());
    EXPECT_EQ(d.Noms(dossier), attendus);
  }
}

// The second part would be the export itself: the run stops there, as it
// does for a result of that name, and the export is left whole.
TEST(PartiesTest, APartUnderTheInputsNameStopsWithError5) {
  Temporaire d;
  const std::string texte = Export({"A", "B", "C"});
  d.Poser("x-2.ics", texte);
  Execution e = Lancer(d, {"x-2.ics", "-o", "x.ics", "--split", "2"});
  EXPECT_EQ(e.code(), 5);
  EXPECT_EQ(d.Lire("x-2.ics"), texte);
  EXPECT_EQ(d.Lire("x-1.ics"), Calendrier(Bloc("A", 1) + Bloc("B", 2)));
  EXPECT_NE(e.erreur.find("x-2.ics"), std::string::npos) << e.erreur;
  EXPECT_NE(e.erreur.find("it is the input"), std::string::npos) << e.erreur;
}

TEST(PartiesTest, SplitTakesAWholeNumberFromOne) {
  Temporaire d;
  d.Poser("x.txt", Export({"A"}));
  for (const char* valeur : {"0", "-1", "1.5", "", "x", "1234567890123"}) {
    Execution e = Lancer(d, {"x.txt", "--split", valeur});
    EXPECT_EQ(e.code(), 64) << valeur;
    EXPECT_EQ(e.erreur,
              "vellumcast: option --split needs a whole number of events from 1 up, not '" +
                  std::string(valeur) + "'\nTry 'vellumcast --help'.\n")
        << valeur;
  }
  EXPECT_EQ(d.Noms(), std::vector<std::string>{"x.txt"});
}

}  // namespace
}  // namespace vellumcast
