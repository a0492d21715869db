// The summary of a run: what it wrote and each kind of loss, with the lines
// where they stand and what the user can do.
#include "bilan.h"

#include <gtest/gtest.h>

#include <span>
#include <string>

#include "banc.h"

namespace vellumcast {
namespace {

constexpr std::string_view kPremiere =
    "vellumcast: agenda.ics: 1 event written from 1 document read, 0 repeats of recurring "
    "documents converted once\n";

// The note on one unreadable date, on line 3.
const std::string kIlisible =
    "vellumcast: note: 1 date dropped as unreadable (line 3); a date is a day, a month and a "
    "year (or the year first) separated by \"/\", \".\" or \"-\", then an optional time such "
    "as 14:30, 14.30.00 or 2:30 PM\n";

constexpr std::string_view kAucun =
    "vellumcast: agenda.ics: 0 events written from 1 document read, 0 repeats of recurring "
    "documents converted once\n";

// What a row changes of the options.
struct Reglage {
  Jeu jeu = Jeu::kIso88591;
  OrdreDates ordre = OrdreDates::kJourMois;

  Options En() const {
    Options o;
    o.jeu = jeu;
    o.ordre_dates = ordre;
    return o;
  }
};

struct Cas {
  const char* nom;
  std::string entree;
  Reglage reglage;
  std::string attendu;
};

Reglage Ordre(OrdreDates ordre) { return {Jeu::kIso88591, ordre}; }

// Each row converted in memory, its summary held against the one written.
void VerifierResumes(std::span<const Cas> cas) {
  for (const Cas& c : cas) {
    const Options options = c.reglage.En();
    Banc b(c.entree, options);
    b.passage.Convertir();
    EXPECT_EQ(b.conv.bilan().Texte("agenda.ics", options), c.attendu) << c.nom;
  }
}

Reglage En(Jeu jeu) { return {jeu, OrdreDates::kJourMois}; }

TEST(BilanTest, EachKindOfLossWithItsLinesAndItsRemedy) {
  const std::string corps = "$UpdatedBy: x\r\n\r\nbody\r\n\f\r\n";
  const Cas cas[] = {
      {"Nothing",
       "Subject: A\r\nSTARTDATETIME: 01/02/2009 10:00:00\r\n" + corps,
       {},
       std::string(kPremiere)},
      {"YearLimit",
       "STARTDATETIME: 01/02/2015 10:00:00\r\n" + corps +
           "STARTDATETIME: 01/02/2009 10:00:00, 01/02/2013 10:00:00\r\nApptUNID: R\r\n" + corps +
           "STARTDATETIME: 01/02/2009 10:00:00, 01/02/2013 10:00:00\r\nApptUNID: R\r\n" + corps,
       {},
       "vellumcast: agenda.ics: 1 event written from 3 documents read, 1 repeat of recurring "
       "documents converted once\n"
       "vellumcast: note: 2 events left out because they start in 2012 or later (lines 1, 6); "
       "--year-limit 9999 keeps them\n"},
      {"NoStartAndCutShort",
       "Subject: none\r\n" + corps + "STARTDATETIME: 01/02\r\n" + corps +
           "STARTDATETIME: 01/02/2009 10:00:00 02/02\r\n" + corps,
       {},
       "vellumcast: agenda.ics: 1 event written from 3 documents read, 0 repeats of recurring "
       "documents converted once\n"
       "vellumcast: note: 2 documents gave no event: no start date, or none complete (lines 1, "
       "6); an event needs a STARTDATETIME item with a whole date\n"
       "vellumcast: note: 2 dates dropped, cut short by the line end or the end of the input "
       "(lines 6, 11); a date needs its day, month and year on its item line\n"},
      {"MonthFirst",
       "STARTDATETIME: 01/15/2009 09:30:00, 02/13/2009 10:00\r\n" + corps,
       {},
       std::string(kAucun) +
           "vellumcast: note: 2 dates left out that are not calendar dates (line 1): an event "
           "without a valid start is left out, one without a valid end has none; each would be "
           "a date read month first: try --date-order mdy\n"},
      {"DayFirstUnderMonthFirst", "STARTDATETIME: 15/01/2009 09:30:00\r\n" + corps,
       Ordre(OrdreDates::kMoisJour),
       std::string(kAucun) +
           "vellumcast: note: 1 date left out that is not a calendar date (line 1): an event "
           "without a valid start is left out, one without a valid end has none; it would be a "
           "date read day first: try --date-order dmy\n"},
      {"OrdersThatDisagreeGiveNoHint",
       "STARTDATETIME: 01/15/2009 10:00, 31/04/2009 10:00\r\n" + corps,
       {},
       std::string(kAucun) +
           "vellumcast: note: 2 dates left out that are not calendar dates (line 1): an event "
           "without a valid start is left out, one without a valid end has none\n"},
      {"InvalidEndKeepsItsEvent",
       "STARTDATETIME: 01/02/2009 10:00\r\nEndDateTime: 29/02/2009 11:00\r\n" + corps,
       {},
       std::string(kPremiere) +
           "vellumcast: note: 1 date left out that is not a calendar date (line 2): an event "
           "without a valid start is left out, one without a valid end has none\n"},
      {"AllDayTwoDigitYearsUnreadableAndZoneWords",
       "STARTDATETIME: 15/01/09, 20/01/2009 14h30, 21/01/2009 09:00 EST, 22/01/2009 09:00 EST, "
       "23/01/2009 9:00 PM PST\r\n" +
           corps,
       {},
       "vellumcast: agenda.ics: 4 events written from 1 document read, 0 repeats of recurring "
       "documents converted once\n"
       "vellumcast: note: 1 date dropped as unreadable (line 1); a date is a day, a month and a "
       "year (or the year first) separated by \"/\", \".\" or \"-\", then an optional time "
       "such as 14:30, 14.30.00 or 2:30 PM\n"
       "vellumcast: note: 1 date with a two-digit year (line 1): 00 to 68 read as 2000 to 2068, "
       "69 to 99 as 1969 to 1999\n"
       "vellumcast: note: 1 all-day event written (line 1)\n"
       "vellumcast: note: 3 zone words not applied (line 1): EST 2, PST 1; their times are "
       "taken as local to the time zone France\n"},
      {"ControlCharacters",
       "Subject: d\x92\xE9quipe \x96 \x80\r\nSTARTDATETIME: 01/02/2009 10:00:00\r\n"
       "$UpdatedBy: x\r\n\r\n\x93quoted\x94\r\nend\x85\r\nmore\x85\r\n\f\r\n",
       {},
       std::string(kPremiere) +
           "vellumcast: note: 7 characters 0x80 to 0x9F read as control characters (lines 1, 5, "
           "6, ...); if the export was written on Windows, try --charset windows-1252\n"},
      {"ValidUtf8ReadAsSingleBytes",
       "Subject: Caf\xC3\xA9 \xE2\x82\xAC\r\nSTARTDATETIME: 01/02/2009 10:00:00\r\n"
       "$UpdatedBy: x\r\n\r\n\xCE\xB1\r\n\f\r\n",
       {},
       std::string(kPremiere) +
           "vellumcast: note: 3 characters above 0x7F, all valid UTF-8, read as single bytes "
           "(lines 1, 5); if the export is UTF-8, try --charset utf-8\n"},
      {"Windows1252HasNoNote",
       "Subject: d\x92\xE9quipe\r\nSTARTDATETIME: 01/02/2009 10:00:00\r\n" + corps,
       En(Jeu::kWindows1252), std::string(kPremiere)},
      {"InvalidUtf8",
       "Subject: Caf\xE9 \xC3\xA9\r\nSTARTDATETIME: 01/02/2009 10:00:00\r\n"
       "$UpdatedBy: x\r\n\r\n\xF0\x9F\x98\r\n\f\r\n",
       En(Jeu::kUtf8),
       std::string(kPremiere) +
           "vellumcast: note: 4 bytes not valid UTF-8 written as U+FFFD (lines 1, 5); the "
           "export may not be UTF-8: try --charset windows-1252\n"},
  };
  VerifierResumes(cas);
}

// Identifiers and dates go through the texts' conversion: every byte it
// writes into a UID, DTSTAMP, DTSTART or DTEND line counts, once per line
// written, on the input line of the identifier or of the date list.
TEST(BilanTest, IdentifierAndDateLinesCountAsWrittenOnTheirItemLines) {
  const std::string corps = "$UpdatedBy: x\r\n\r\nbody\r\n\f\r\n";
  const Cas cas[] = {
      // The UID line of the one event written; a date holding such a byte
      // is unreadable, and never written.
      {"ControlBytesInIdentifierAndDate",
       "Subject: A\r\nApptUNID: X\x85Y\r\n"
       "STARTDATETIME: 01/02/2009 10:00:00, 02/02/2009\x9a 10:00:00\r\n" +
           corps,
       {},
       std::string(kPremiere) + kIlisible +
           "vellumcast: note: 1 character 0x80 to 0x9F read as a control character (line 2); "
           "if the export was written on Windows, try --charset windows-1252\n"},
      // The second document's event takes the identifier read on line 2.
      {"IdentifierKeptFromTheDocumentBefore",
       "Subject: A\r\nApptUNID: X\x85\r\nSTARTDATETIME: 01/02/2009 10:00:00\r\n" + corps +
           "STARTDATETIME: 02/02/2009 10:00:00\r\n" + corps,
       {},
       "vellumcast: agenda.ics: 2 events written from 2 documents read, 0 repeats of recurring "
       "documents converted once\n"
       "vellumcast: note: 2 characters 0x80 to 0x9F read as control characters (line 2); if the "
       "export was written on Windows, try --charset windows-1252\n"},
      // An identifier that is not UTF-8 tells that the export is not either.
      {"IdentifierNotUtf8TakesTheUtf8HintAway",
       "Subject: Caf\xC3\xA9\r\nApptUNID: d\xE9j\xE0\r\nSTARTDATETIME: 01/02/2009 10:00:00\r\n" +
           corps,
       {},
       std::string(kPremiere)},
      // Two events of one recurring document: its identifier is written twice.
      {"Utf8IdentifierWrittenTwice",
       "ApptUNID: \xC3\xA9t\xC3\xA9\r\n"
       "STARTDATETIME: 01/02/2009 10:00:00, 08/02/2009 10:00:00\r\n" +
           corps,
       {},
       "vellumcast: agenda.ics: 2 events written from 1 document read, 0 repeats of recurring "
       "documents converted once\n"
       "vellumcast: note: 4 characters above 0x7F, all valid UTF-8, read as single bytes "
       "(line 1); if the export is UTF-8, try --charset utf-8\n"},
      {"InvalidUtf8InIdentifierAndEndDate",
       "ApptUNID: X\xFFY\r\nSTARTDATETIME: 01/02/2009 10:00:00\r\n"
       "EndDateTime: 01/02/2009 11:00:00\xC3\r\n" +
           corps,
       En(Jeu::kUtf8),
       std::string(kPremiere) + kIlisible +
           "vellumcast: note: 1 byte not valid UTF-8 written as U+FFFD (line 1); the "
           "export may not be UTF-8: try --charset windows-1252\n"},
  };
  VerifierResumes(cas);
}

}  // namespace
}  // namespace vellumcast
