// The conversion takes runs of characters straight from the reader's buffer;
// these tests put every byte of a document on the buffer's boundary and check
// that reading through a descriptor, a buffer at a time, gives the same
// result as reading the whole input from memory.
#include <gtest/gtest.h>

#include <string>

#include "banc.h"

namespace vellumcast {
namespace {

// The same files and console, whatever the reads.
bool MemesSorties(const Produit& a, const Produit& b) {
  return a.ics == b.ics && a.log == b.log && a.console == b.console;
}

using namespace std::string_literals;

// Two documents using every handler that takes runs. The first gives events,
// so its texts reach the result: an item name, a folded subject with
// escapes, accents, a code 26 and a form feed inside, a location, dates
// apart by blanks and a short one, an identifier, a wrapped item, a body
// with escapes, accents, byte 0 and an empty line. The second is recurring
// (its dates apart by commas) and met again in every copy.
const std::string kDocument =
    "Form: Appointment\r\n"
    "Subject: R\xE9union d'\xE9quipe, budget; C:\\temp \x1a\f suite du sujet assez long pour "
    "plier deux fois, voire trois\r\n"
    "Location: B\xE2timent B, 2e \xE9tage\r\n"
    "$PublicAccess: 1\r\n"
    "CalendarDateTime: 01/02/2009 10:00:00\r\n"
    "STARTDATETIME: 01/02/2009 10:00:00 08/02/2009 10:00:00  1/3/2009 9:30\r\n"
    "EndDateTime: 01/02/2009 11:00:00 08/02/2009 11:00:00\r\n"
    "ApptUNID: C1257A3B 00412F6E\r\n"
    "RequiredAttendees: CN=Jean Dupont/O=Acme,\r\n"
    "  CN=H\xE9l\xE8ne Gar\xE7on/O=Acme\r\n"
    "$UpdatedBy: CN=Jean Dupont/O=Acme\r\n"
    "\r\n"
    "Pr\xE9voir la r\xE9union, budget; voir \\\\serveur\\partage merci\r\n"
    "\r\n"
    "fin \x00 du corps\r\n"
    "\f\r\n"
    "Subject: S\xE9rie\r\n"
    "CalendarDateTime: 01/02/2009 10:00:00, 08/02/2009 10:00:00\r\n"
    "STARTDATETIME: 01/02/2009 10:00:00, 08/02/2009 10:00:00,15/02/2009 10:00:00\r\n"
    "EndDateTime: 01/02/2009 11:00:00, 08/02/2009 11:00:00\r\n"
    "ApptUNID: SERIE=1\r\n"
    "$Revisions: 01/01/2009 10:00:00\r\n"
    "\r\n"
    "Chaque semaine.\r\n"
    "\f\r\n"s;

TEST(FrontiereTest, EveryByteOfADocumentOnTheReadBoundaryConvertsAsInMemory) {
  // A first line that grows one byte at a time moves the boundary of the
  // first read across each byte of the document that straddles it.
  const std::string corps = [] {
    std::string c;
    while (c.size() < Lecteur::kTailleTampon + 2 * kDocument.size()) c += kDocument;
    return c;
  }();
  for (size_t decalage = 0; decalage <= kDocument.size(); ++decalage) {
    std::string entree = "X-Pad: " + std::string(decalage, 'p') + "\r\n" + corps;
    SCOPED_TRACE("first line longer by " + std::to_string(decalage));
    Produit attendu = Convertir(entree);
    ASSERT_NE(attendu.ics.find("SUMMARY:"), std::string::npos);
    ASSERT_TRUE(MemesSorties(ConvertirParDescripteur(entree), attendu));
  }
}

TEST(FrontiereTest, InputEndingInsideEachItemConvertsAsInMemory) {
  for (size_t n = 0; n <= kDocument.size(); ++n) {
    std::string entree = kDocument + kDocument.substr(0, n);
    SCOPED_TRACE("second document cut after " + std::to_string(n) + " bytes");
    ASSERT_TRUE(MemesSorties(ConvertirParDescripteur(entree), Convertir(entree)));
  }
}

}  // namespace
}  // namespace vellumcast
