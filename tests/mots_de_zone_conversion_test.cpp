// The zone words after a date's time, end to end: a word stating an offset
// gives the instant and the event goes in UTC, the zone's own abbreviation
// in force at that time confirms the time silently, and any other word
// leaves the time local and is told in the summary. The lines and the
// summaries are written by hand (France: UTC+1 in winter, UTC+2 in summer;
// New York: UTC-5 in winter, UTC-4 in summer).
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "banc.h"
#include "oracle_fuseau.h"

namespace vellumcast {
namespace {

struct Cas {
  const char* nom;   // names the row when it fails
  const char* zone;  // given to --timezone; empty for the default France
  const char* debut;
  const char* fin;
  const char* lignes;  // the event's DTSTAMP, DTSTART and DTEND lines
  const char* note;    // the summary's note, or empty for none
};

constexpr const char* kUnEvenement =
    "vellumcast: agenda.ics: 1 event written from 1 document read, 0 repeats of recurring "
    "documents converted once\n";

// The lines of one event in UTC: 14:30 to 15:30 on the clock of the export
// (the stamp), at the UTC instants `debut` and `fin`.
constexpr const char* kUtc1430 =
    "DTSTAMP:20090115T143000Z\r\nDTSTART:20090115T143000Z\r\nDTEND:20090115T153000Z\r\n";
constexpr const char* kUtc1330 =
    "DTSTAMP:20090115T143000Z\r\nDTSTART:20090115T133000Z\r\nDTEND:20090115T143000Z\r\n";
constexpr const char* kUtc1930 =
    "DTSTAMP:20090115T143000Z\r\nDTSTART:20090115T193000Z\r\nDTEND:20090115T203000Z\r\n";
constexpr const char* kFranceHiver =
    "DTSTAMP:20090115T143000Z\r\nDTSTART;TZID=France:20090115T143000\r\n"
    "DTEND;TZID=France:20090115T153000\r\n";
constexpr const char* kFranceEte =
    "DTSTAMP:20090715T143000Z\r\nDTSTART;TZID=France:20090715T143000\r\n"
    "DTEND;TZID=France:20090715T153000\r\n";
constexpr const char* kNewYorkHiver =
    "DTSTAMP:20090115T143000Z\r\nDTSTART;TZID=America/New_York:20090115T143000\r\n"
    "DTEND;TZID=America/New_York:20090115T153000\r\n";
constexpr const char* kNewYorkEte =
    "DTSTAMP:20090715T143000Z\r\nDTSTART;TZID=America/New_York:20090715T143000\r\n"
    "DTEND;TZID=America/New_York:20090715T153000\r\n";

const Cas kCas[] = {
    // Words that state the offset: the instant, in UTC.
    {"UTC", "", "15/01/2009 14:30:00 UTC", "15/01/2009 15:30:00 UTC", kUtc1430, ""},
    {"UT", "", "15/01/2009 14:30:00 UT", "15/01/2009 15:30:00 UT", kUtc1430, ""},
    {"GMT", "", "15/01/2009 14:30:00 GMT", "15/01/2009 15:30:00 GMT", kUtc1430, ""},
    {"Z after a blank", "", "15/01/2009 14:30:00 Z", "15/01/2009 15:30:00 Z", kUtc1430, ""},
    {"Z against the time", "", "15/01/2009 14:30:00Z", "15/01/2009 15:30:00Z", kUtc1430, ""},
    {"utc in small letters", "", "15/01/2009 14:30:00 utc", "15/01/2009 15:30:00 utc", kUtc1430,
     ""},
    {"+01", "", "15/01/2009 14:30:00 +01", "15/01/2009 15:30:00 +01", kUtc1330, ""},
    {"+0100", "", "15/01/2009 14:30:00 +0100", "15/01/2009 15:30:00 +0100", kUtc1330, ""},
    {"+01:00", "", "15/01/2009 14:30:00 +01:00", "15/01/2009 15:30:00 +01:00", kUtc1330, ""},
    {"+01:00 against the time", "", "15/01/2009 14:30:00+01:00", "15/01/2009 15:30:00+01:00",
     kUtc1330, ""},
    {"-05:00", "", "15/01/2009 14:30:00 -05:00", "15/01/2009 15:30:00 -05:00", kUtc1930, ""},
    {"GMT+1 is east of UTC", "", "15/01/2009 14:30:00 GMT+1", "15/01/2009 15:30:00 GMT+1", kUtc1330,
     ""},
    {"UTC-5 is west of UTC", "", "15/01/2009 14:30:00 UTC-5", "15/01/2009 15:30:00 UTC-5", kUtc1930,
     ""},
    {"+05:30 keeps its minutes", "", "15/01/2009 14:30:00 +05:30", "15/01/2009 15:30:00 +05:30",
     "DTSTAMP:20090115T143000Z\r\nDTSTART:20090115T090000Z\r\nDTEND:20090115T100000Z\r\n", ""},
    {"+02:00 in summer", "", "15/07/2009 14:30:00 +02:00", "15/07/2009 15:30:00 +02:00",
     "DTSTAMP:20090715T143000Z\r\nDTSTART:20090715T123000Z\r\nDTEND:20090715T133000Z\r\n", ""},
    {"-05:00 with the New York zone", "America/New_York", "15/01/2009 14:30:00 -05:00",
     "15/01/2009 15:30:00 -05:00", kUtc1930, ""},
    // GMT is also London's own winter abbreviation: it states the offset first.
    {"GMT with the London zone", "Europe/London", "15/01/2009 14:30:00 GMT",
     "15/01/2009 15:30:00 GMT", kUtc1430, ""},
    // One date in UTC takes the other with it.
    {"UTC start, local end", "", "15/01/2009 14:30:00 UTC", "15/01/2009 16:30:00", kUtc1430, ""},
    {"Local start, +01:00 end", "", "15/01/2009 14:30:00", "15/01/2009 15:30:00 +01:00", kUtc1330,
     ""},

    // The zone's own abbreviation at that time: local, silently.
    {"CET in winter", "", "15/01/2009 14:30:00 CET", "15/01/2009 15:30:00 CET", kFranceHiver, ""},
    {"cet in small letters", "", "15/01/2009 14:30:00 cet", "15/01/2009 15:30:00 cet", kFranceHiver,
     ""},
    {"CEST in summer", "", "15/07/2009 14:30:00 CEST", "15/07/2009 15:30:00 CEST", kFranceEte, ""},
    {"EST in winter in New York", "America/New_York", "15/01/2009 14:30:00 EST",
     "15/01/2009 15:30:00 EST", kNewYorkHiver, ""},
    {"EDT in summer in New York", "America/New_York", "15/07/2009 14:30:00 EDT",
     "15/07/2009 15:30:00 EDT", kNewYorkEte, ""},

    // Any other word: local, and told.
    {"CEST in winter", "", "15/01/2009 14:30:00 CEST", "15/01/2009 15:30:00 CEST", kFranceHiver,
     "vellumcast: note: 2 zone words not applied (lines 2, 3): CEST 2; their times are taken as "
     "local to the time zone France\n"},
    {"CET in summer", "", "15/07/2009 14:30:00 CET", "15/07/2009 15:30:00", kFranceEte,
     "vellumcast: note: 1 zone word not applied (line 2): CET 1; its time is taken as local to "
     "the time zone France\n"},
    {"EST with France", "", "15/01/2009 14:30:00 EST", "15/01/2009 15:30:00 PST", kFranceHiver,
     "vellumcast: note: 2 zone words not applied (lines 2, 3): EST 1, PST 1; their times are "
     "taken as local to the time zone France\n"},
    {"A zone name of several words", "", "15/01/2009 14:30:00 W. Europe Standard Time",
     "15/01/2009 15:30:00", kFranceHiver,
     "vellumcast: note: 1 zone word not applied (line 2): W. Europe Standard Time 1; its time is "
     "taken as local to the time zone France\n"},
    {"EDT in winter in New York", "America/New_York", "15/01/2009 14:30:00 EDT",
     "15/01/2009 15:30:00 EDT", kNewYorkHiver,
     "vellumcast: note: 2 zone words not applied (lines 2, 3): EDT 2; their times are taken as "
     "local to the time zone America/New_York\n"},
    {"CET in New York", "America/New_York", "15/01/2009 14:30:00", "15/01/2009 15:30:00 CET",
     kNewYorkHiver,
     "vellumcast: note: 1 zone word not applied (line 3): CET 1; its time is taken as local to "
     "the time zone America/New_York\n"},
};

// The event's date lines, each ended by CR LF, in the order written.
std::string LignesDeDates(const std::string& ics) {
  std::string lignes;
  size_t debut = ics.find("BEGIN:VEVENT");
  for (size_t fin; debut != std::string::npos && (fin = ics.find('\n', debut)) != ics.npos;
       debut = fin + 1) {
    const std::string_view ligne(ics.data() + debut, fin + 1 - debut);
    if (ligne.starts_with("DTSTAMP") || ligne.starts_with("DTSTART") ||
        ligne.starts_with("DTEND")) {
      lignes += ligne;
    }
  }
  return lignes;
}

void Verifier(const Cas& c) {
  Options options;
  if (*c.zone != '\0') {
    std::string erreur;
    ASSERT_TRUE(Fuseau::Charger(c.zone, kDossierTz, &options.fuseau, &erreur)) << erreur;
  }
  const std::string entree = std::string("Subject: m\r\nSTARTDATETIME: ") + c.debut +
                             "\r\nEndDateTime: " + c.fin +
                             "\r\nApptUNID: A\r\n$UpdatedBy: me\r\n\r\nb\r\n\f\r\n";
  Banc b(entree, options);
  const Produit p = b.Convertir();
  ASSERT_FALSE(p.echec) << c.nom << ": " << p.erreur;
  EXPECT_EQ(LignesDeDates(p.ics), c.lignes) << c.nom;
  EXPECT_EQ(b.conv.bilan().Texte("agenda.ics", options), std::string(kUnEvenement) + c.note)
      << c.nom;
}

TEST(MotsDeZoneConversionTest, EachZoneWordOfTheFranceZoneGivesItsDateLinesAndNote) {
  for (const Cas& c : kCas) {
    if (*c.zone == '\0') Verifier(c);
  }
}

TEST(MotsDeZoneConversionTest, EachZoneWordWithTimezoneGivesItsDateLinesAndNote) {
  if (BaseTzAbsente()) GTEST_SKIP() << "no tz database at " << kDossierTz;
  for (const Cas& c : kCas) {
    if (*c.zone != '\0') Verifier(c);
  }
}

}  // namespace
}  // namespace vellumcast
