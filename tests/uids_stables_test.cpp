// --stable-uids end to end: converting again gives the same UIDs, a document
// added elsewhere changes none of the others, and two events never share one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "processus.h"
#include "temporaire.h"
#include "uids.h"

namespace vellumcast {
namespace {

std::string Document(const std::string& items) {
  return "Subject: Meeting\r\n" + items + "$UpdatedBy: me\r\n\r\nnotes\r\n\f\r\n";
}

const std::string kExport =
    Document("STARTDATETIME: 01/02/2009 10:00:00, 08/02/2009 10:00:00\r\nApptUNID: ABC\r\n") +
    Document("STARTDATETIME: 03/02/2009\r\nApptUNID: DAY\r\n") +
    Document("Location: Room 3\r\nSTARTDATETIME: 04/02/2009 09:30\r\n") +
    Document("STARTDATETIME: 05/02/2009 10:00:00 05/02/2009 10:00:00\r\nApptUNID: TWICE\r\n");

// The UID lines of the result of `export_` converted with `options`.
std::vector<std::string> Uids(const std::string& export_, std::vector<std::string> options = {}) {
  Temporaire d;
  d.Poser("agenda.txt", export_);
  options.insert(options.begin(), {VELLUMCAST_BINAIRE, "-q", "--stable-uids"});
  options.emplace_back("agenda.txt");
  Execution e = Executer(options, d.chemin());
  EXPECT_EQ(e.code(), 0) << e.erreur;
  std::vector<std::string> uids;
  const std::string ics = d.Lire("agenda.ics");
  for (size_t p = ics.find("\nUID:"); p != std::string::npos; p = ics.find("\nUID:", p + 1)) {
    uids.push_back(ics.substr(p + 1, ics.find('\r', p) - p - 1));
  }
  return uids;
}

TEST(UidsStablesTest, EachEventNamedByItsDocumentAndItsStart) {
  // The document without an identifier is named by the FNV-1a hash of
  // "Subject:Meeting\nLocation:Room 3\nSTARTDATETIME: 04/02/2009 09:30\n".
  EXPECT_EQ(Uids(kExport), (std::vector<std::string>{
                               "UID:ABC-20090201T100000",
                               "UID:ABC-20090208T100000",
                               "UID:DAY-20090203",
                               "UID:a3400c47961128f7-20090204T093000",
                               "UID:TWICE-20090205T100000",
                               "UID:TWICE-20090205T100000-2",
                           }));
}

// Document 3 begins on line 15; document 4's start list stands on line 23.
TEST(UidsStablesTest, TheSummaryCountsTheDocumentsNamedByHashAndTheSharedStarts) {
  Temporaire d;
  d.Poser("agenda.txt", kExport);
  const std::vector<std::string> environnement = {"LC_ALL=C", "TZ=Europe/Paris"};
  Execution e = Executer({VELLUMCAST_BINAIRE, "--stable-uids", "agenda.txt"}, d.chemin(), nullptr,
                         &environnement);
  EXPECT_EQ(e.code(), 0);
  EXPECT_EQ(e.erreur,
            "vellumcast: agenda.ics: 6 events written from 4 documents read, 0 repeats of "
            "recurring documents converted once\n"
            "vellumcast: note: 1 all-day event written (line 9)\n"
            "vellumcast: note: 1 document without an identifier of its own (line 15): named by "
            "the hash of the subject, location and dates, the same in every run\n"
            "vellumcast: note: 1 event with the identifier and start of another (line 23): their "
            "UIDs end in -2, -3, ... in the order of the export\n");
}

TEST(UidsStablesTest, ConvertingAgainGivesTheSameUids) {
  EXPECT_EQ(Uids(kExport), Uids(kExport));
  // Nor do the year limit, the zone or the character set change them.
  EXPECT_EQ(Uids(kExport), Uids(kExport, {"--year-limit", "2030", "--timezone", "America/New_York",
                                          "--charset", "windows-1252"}));
}

TEST(UidsStablesTest, ADocumentAddedAtTheTopChangesNoOtherUid) {
  const std::vector<std::string> avant = Uids(kExport);
  std::vector<std::string> apres =
      Uids(Document("STARTDATETIME: 01/01/2009 10:00:00\r\nApptUNID: NEW\r\n") + kExport);
  ASSERT_EQ(apres.size(), avant.size() + 1);
  EXPECT_EQ(apres.front(), "UID:NEW-20090101T100000");
  apres.erase(apres.begin());
  EXPECT_EQ(apres, avant);
}

TEST(UidsStablesTest, ADocumentWithoutIdentifierIsNamedWhateverItsNeighbours) {
  const std::string seul = Document("Location: Room 3\r\nSTARTDATETIME: 04/02/2009 09:30\r\n");
  // Alone, after a document that has an identifier, or after one without.
  EXPECT_EQ(Uids(seul), std::vector<std::string>{"UID:a3400c47961128f7-20090204T093000"});
  EXPECT_EQ(Uids(Document("STARTDATETIME: 02/02/2009 10:00\r\nApptUNID: X\r\n") + seul).back(),
            "UID:a3400c47961128f7-20090204T093000");
  EXPECT_EQ(Uids(Document("STARTDATETIME: 02/02/2009 10:00\r\n") + seul).back(),
            "UID:a3400c47961128f7-20090204T093000");
}

// The UIDs written are held as hashes, outside the memory bound: at most 64
// bytes each (16-byte slots, a table at most half full that doubles).
TEST(UidsEcritsTest, AtMostSixtyFourBytesPerUidWritten) {
  UidsEcrits uids;
  constexpr size_t kUids = 100000;
  for (size_t k = 0; k < kUids; ++k) {
    ASSERT_EQ(uids.Compter("ABC-" + std::to_string(k)), 0u) << k;
  }
  EXPECT_EQ(uids.Compter("ABC-7"), 1u);
  EXPECT_EQ(uids.Compter("ABC-7"), 2u);
  EXPECT_LE(uids.octets(), 64 * kUids);
  EXPECT_GE(uids.octets(), 32 * kUids);
}

}  // namespace
}  // namespace vellumcast
