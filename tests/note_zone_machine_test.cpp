// The note on the machine's own zone, run as the user runs the program: with
// TZ set in its environment, the summary names the machine's zone when its
// offsets are neither UTC's nor Paris's in the years of the events, and says
// nothing when --timezone is given. Standard error is written by hand.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "oracle_fuseau.h"
#include "processus.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

struct Cas {
  const char* nom;
  const char* tz;                    // TZ's value in the child's environment
  std::vector<std::string> options;  // before the export's name
  const char* date;                  // the one event's start
  const char* note;                  // the line after the summary's first, or empty
};

constexpr const char* kResume =
    "vellumcast: agenda.ics: 1 event written from 1 document read, 0 repeats of recurring "
    "documents converted once\n";

constexpr const char* kNewYork =
    "vellumcast: note: the times were written in the time zone France (Paris); this machine's "
    "time zone is America/New_York: if the export was made there, convert it with --timezone "
    "America/New_York\n";

const Cas kCas[] = {
    {"A New York zone", "America/New_York", {}, "15/01/2009 14:30:00", kNewYork},
    {"A New York zone after a colon", ":America/New_York", {}, "15/01/2009 14:30:00", kNewYork},
    {"UTC", "UTC", {}, "15/01/2009 14:30:00", ""},
    {"Europe/Paris", "Europe/Paris", {}, "15/01/2009 14:30:00", ""},
    // Berlin has had Paris's offsets since 1980, not in the summer of 1977.
    {"Paris's offsets in the years of the events", "Europe/Berlin", {}, "15/01/2009 14:30:00", ""},
    {"Other offsets in the years of the events",
     "Europe/Berlin",
     {},
     "15/01/1977 14:30:00",
     "vellumcast: note: the times were written in the time zone France (Paris); this machine's "
     "time zone is Europe/Berlin: if the export was made there, convert it with --timezone "
     "Europe/Berlin\n"},
    {"A POSIX rule names no zone",
     "EST5EDT,M3.2.0,M11.1.0",
     {},
     "15/01/2009 14:30:00",
     "vellumcast: note: the times were written in the time zone France (Paris), whose offsets "
     "this machine's time zone does not have; if the export was made in another zone, convert "
     "it with --timezone Area/City (Europe/London, America/New_York, ...)\n"},
    {"--timezone given",
     "America/New_York",
     {"--timezone", "Europe/London"},
     "15/01/2009 14:30:00",
     ""},
    {"--timezone=ZONE given",
     "America/New_York",
     {"--timezone=America/New_York"},
     "15/01/2009 14:30:00",
     ""},
};

// This process's environment without TZ and TZDIR, then TZ=`tz`.
std::vector<std::string> Environnement(const char* tz) {
  std::vector<std::string> env;
  for (char** v = environ; *v != nullptr; ++v) {
    const std::string_view variable(*v);
    if (!variable.starts_with("TZ=") && !variable.starts_with("TZDIR=")) env.emplace_back(*v);
  }
  env.push_back(std::string("TZ=") + tz);
  return env;
}

TEST(NoteZoneMachineTest, TheMachinesZoneIsNamedWhenItsOffsetsAreNotParissOrUtcs) {
  if (BaseTzAbsente()) GTEST_SKIP() << "no tz database at " << kDossierTz;
  for (const Cas& c : kCas) {
    Temporaire dossier;
    dossier.Poser("agenda.txt", std::string("Subject: m\r\nSTARTDATETIME: ") + c.date +
                                    "\r\nApptUNID: A\r\n$UpdatedBy: me\r\n\r\nb\r\n\f\r\n");
    std::vector<std::string> argv = {VELLUMCAST_BINAIRE};
    argv.insert(argv.end(), c.options.begin(), c.options.end());
    argv.emplace_back("agenda.txt");
    const std::vector<std::string> env = Environnement(c.tz);
    const Execution e = Executer(argv, dossier.chemin(), nullptr, &env);
    ASSERT_TRUE(e.fini) << c.nom;
    EXPECT_EQ(e.code(), 0) << c.nom;
    EXPECT_EQ(e.erreur, std::string(kResume) + c.note) << c.nom;
  }
}

}  // namespace
}  // namespace vellumcast
