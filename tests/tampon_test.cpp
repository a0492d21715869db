// The event buffer and the date lists move to disk past a bound, and the
// program reads its input through a buffer: neither may change a byte of the
// result.
#include "tampon.h"

#include <gtest/gtest.h>

#include <string>

#include "banc.h"
#include "processus.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

// ---------------------------------------------------------------- spill to disk

// Documents whose event buffer or date lists outgrow any small bound: a
// large body, long date lists, and a last document that leaves its buffer on
// disk when the run ends.
std::string GrandeEntree() {
  std::string e =
      "Subject: small\r\nSTARTDATETIME: 01/01/2009 10:00:00\r\nApptUNID: S\r\n"
      "$UpdatedBy: x\r\n\r\nbody\r\n\x0C\r\n";
  e += "Subject: big body\r\nSTARTDATETIME: 01/02/2009 10:00:00 02/02/2009 10:00:00\r\n"
       "EndDateTime: 01/02/2009 11:00:00\r\nApptUNID: BIG\r\n$UpdatedBy: x\r\n\r\n";
  for (int i = 0; i < 8000; ++i) e += "line " + std::to_string(i) + ", \\ \xE0 suivre;\r\n";
  e += "\x0C\r\nSubject: ";
  for (int i = 0; i < 300; ++i) e += static_cast<char>(i % 3 == 0 ? ',' : '\xE9');
  e += "\r\nSTARTDATETIME:";
  for (int i = 0; i < 5000; ++i) e += " 0" + std::to_string(1 + i % 9) + "/01/2010 10:00:00";
  e += "\r\nEndDateTime:";
  for (int i = 0; i < 4000; ++i) e += " 01/0" + std::to_string(1 + i % 9) + "/2010 11:00:00";
  e += "\r\nApptUNID: DATES\r\n";
  e += "\x0C\r\nSubject: last\r\nSTARTDATETIME: 02/01/2009 10:00:00\r\nApptUNID: L\r\n";
  e += "$UpdatedBy: x\r\n\r\n" + std::string(200000, 'q') + "\r\n";
  return e;
}

TEST(TamponTest, SpillPastASmallBoundGivesTheSameBytes) {
  const std::string entree = GrandeEntree();
  Options petit;
  petit.limite_memoire = 16;
  Produit memoire = Convertir(entree);
  Produit disque = Convertir(entree, petit);
  EXPECT_FALSE(memoire.deborde);
  EXPECT_TRUE(disque.deborde);
  EXPECT_EQ(memoire.log, disque.log);
  ASSERT_EQ(memoire.ics.size(), disque.ics.size());
  EXPECT_TRUE(memoire.ics == disque.ics);
  // 1 + 2 + 5000 + 1 blocks; only the first 4000 dates of the long list and
  // the big body's first date have an end.
  size_t blocs = 0, fins = 0;
  for (size_t p = 0; (p = memoire.ics.find("BEGIN:VEVENT", p)) != std::string::npos; ++p) ++blocs;
  for (size_t p = 0; (p = memoire.ics.find("DTEND;", p)) != std::string::npos; ++p) ++fins;
  EXPECT_EQ(blocs, 5004u);
  EXPECT_EQ(fins, 4001u);
}

// Many small documents of every kind, drawn from a fixed seed, so that item
// names, values, dates, identifiers and bodies all come in large numbers.
std::string Documents(unsigned graine) {
  auto hasard = [&graine](unsigned n) {
    graine = graine * 1103515245u + 12345u;
    return (graine >> 16) % n;
  };
  auto texte = [&](unsigned longueur) {
    static const std::string lettres = "abc de,f;g\\h\xE9\xE0i\x80j\tk";
    std::string t;
    for (unsigned i = 0; i < longueur; ++i) t += lettres[hasard(lettres.size())];
    return t;
  };
  auto date = [&] {
    std::string j = std::to_string(1 + hasard(28)), m = std::to_string(1 + hasard(12));
    std::string h = std::to_string(hasard(24)) + ":" + std::to_string(10 + hasard(50));
    if (hasard(2) != 0) {
      j = (j.size() == 1 ? "0" : "") + j;
      m = (m.size() == 1 ? "0" : "") + m;
      h = (h.size() == 4 ? "0" : "") + h + ":00";
    }
    return j + "/" + m + "/" + std::to_string(2008 + hasard(6)) + " " + h;
  };
  std::string e;
  for (int d = 0; d < 2500; ++d) {
    e += "Form: Appointment\r\nSubject: " + texte(hasard(120)) + "\r\n";
    if (hasard(2) != 0) e += "Location: " + texte(hasard(90)) + "\r\n";
    e += "$PublicAccess: " + std::to_string(hasard(2)) + "\r\n";
    std::string liste = date();
    for (unsigned k = hasard(4); k > 0; --k) liste += (hasard(2) != 0 ? ", " : " ") + date();
    if (hasard(3) == 0) e += "CalendarDateTime: " + liste + "\r\n";
    e += "STARTDATETIME: " + liste + "\r\n";
    if (hasard(4) != 0) e += "EndDateTime: " + liste + "\r\n";
    e += "ApptUNID: " + std::to_string(hasard(900)) + "ABCDEF" + "\r\nOrgTable: C0\r\n";
    if (hasard(10) == 0) {
      e += "$ICAL_ORIG_STREAM: BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nSUMMARY:" + texte(hasard(300)) +
           "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    }
    e += "$UpdatedBy: CN=x\r\n\r\n";
    for (unsigned k = hasard(4); k > 0; --k) e += texte(hasard(200)) + "\r\n";
    e += "\x0C\r\n";
  }
  return e;
}

// The program reads its input through a buffer of 64 KiB; the in-memory
// conversion sees the whole input at once. Shifting the input by a padding
// line moves every buffer boundary to another place in dates, values, bodies,
// identifiers and item names: the result must not change.
TEST(TamponTest, ReadBufferBoundariesChangeNothing) {
  const std::string entrees[] = {GrandeEntree() + "\x0C\r\n", Documents(2009)};
  for (const std::string& base : entrees) {
    for (size_t decalage : {0, 1, 7, 13, 31, 4093}) {
      const std::string entree = "Pad: " + std::string(decalage, 'p') + "\r\n" + base;
      Produit memoire = Convertir(entree);
      Temporaire dossier;
      dossier.Poser("grand.txt", entree);
      Execution r = Executer({VELLUMCAST_BINAIRE, "grand.txt"}, dossier.chemin());
      ASSERT_EQ(r.code(), 0) << decalage;
      EXPECT_TRUE(dossier.Lire("grand.ics") == memoire.ics) << decalage;
      EXPECT_TRUE(dossier.Lire("Vellumcast.log") == memoire.log) << decalage;
    }
  }
}

TEST(TamponTest, ReadsBackRecordsAcrossPieces) {
  struct Enregistrement {
    uint32_t numero;
    char octets[9];
  };
  Erreurs erreurs;
  Tampon t(&erreurs, 8);
  for (uint32_t i = 0; i < 30000; ++i) {
    Enregistrement e{i, "abcdefgh"};
    t.Ajouter(std::string_view(reinterpret_cast<const char*>(&e), sizeof e));
  }
  EXPECT_TRUE(t.deborde());
  Enregistrement e{};
  for (uint32_t i = 0; i < 30000; ++i) {
    ASSERT_TRUE(t.Suivant(&e)) << i;
    ASSERT_EQ(e.numero, i);
    ASSERT_EQ(std::string_view(e.octets), "abcdefgh");
  }
  EXPECT_FALSE(t.Suivant(&e));
  t.Vider();
  EXPECT_TRUE(t.empty());
  t.Ajouter("xy");
  // A record cut short is not read.
  EXPECT_FALSE(t.Suivant(&e));
  EXPECT_FALSE(erreurs.echec());
}

}  // namespace
}  // namespace vellumcast
