// Every regional form of a date and every form of the 12-hour clock, end to
// end: the program converts an export holding it, and its event carries the
// date lines written by hand for it.
#include "formes_dates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "processus.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

constexpr const char* kOrdres[] = {"dmy", "mdy", "ymd"};

// The date lines of the result's events: DTSTAMP, DTSTART, DTEND and the
// all-day mark.
std::string LignesDates(const std::string& ics) {
  std::string lignes;
  for (size_t debut = std::min(ics.find("BEGIN:VEVENT"), ics.size()); debut < ics.size();) {
    size_t fin = ics.find('\n', debut);
    fin = fin == std::string::npos ? ics.size() : fin + 1;
    std::string ligne = ics.substr(debut, fin - debut);
    if (ligne.starts_with("DT") || ligne.starts_with("X-MICROSOFT-CDO-ALLDAYEVENT")) {
      lignes += ligne;
    }
    debut = fin;
  }
  return lignes;
}

TEST(FormesDatesTest, EachFormGivesTheDateLinesWrittenForIt) {
  for (const FormeDate& f : FormesDates()) {
    Temporaire d;
    d.Poser("agenda.txt", "Subject: meeting\r\nSTARTDATETIME: " + f.debut + "\r\nEndDateTime: " +
                              f.fin + "\r\nApptUNID: F\r\n$UpdatedBy: me\r\n\r\nnotes\r\n\f\r\n");
    Execution e = Executer({VELLUMCAST_BINAIRE, "-q", "--date-order",
                            kOrdres[static_cast<int>(f.ordre)], "agenda.txt"},
                           d.chemin());
    EXPECT_EQ(e.code(), 0) << f.nom;
    EXPECT_EQ(LignesDates(d.Lire("agenda.ics")), f.lignes) << f.nom;
  }
}

}  // namespace
}  // namespace vellumcast
