// The date lists: how a list's text is cut into dates, what each date reads
// as, the recurrence a comma shows and what the reader reports.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "banc.h"
#include "lecture_dates.h"
#include "tampon.h"

namespace vellumcast {
namespace {

// Keeps what the reader reports, as words.
class Releve : public Rapporteur {
 public:
  void Signaler(Perte perte) override {
    static const char* const kNoms[] = {"annee-limite", "sans-debut", "coupee",  "ilisible",
                                        "invalide",     "siecle",     "journee", "zone",
                                        "ambigue",      "serie",      "sans-id", "uid-partage",
                                        "controle",     "utf8",       "pas-utf8"};
    static_assert(std::size(kNoms) == kPertes);
    texte += (texte.empty() ? "" : " ") + std::string(kNoms[static_cast<int>(perte)]);
  }
  void PasUtf8() override {}
  std::string texte;
};

struct Cas {
  Cas(std::string v, std::vector<std::string> d, bool r = false, std::string p = "",
      OrdreDates o = OrdreDates::kJourMois, Liste l = Liste::kDebuts)
      : valeur(std::move(v)),
        dates(std::move(d)),
        recurrent(r),
        pertes(std::move(p)),
        ordre(o),
        liste(l) {}
  std::string valeur;
  std::vector<std::string> dates;  // as TexteDate writes them
  bool recurrent;
  std::string pertes;  // what was reported, in order
  OrdreDates ordre;
  Liste liste;
};

// Reads `c.valeur` as one list, handed over in pieces of `morceau` bytes.
void Verifier(const Cas& c, size_t morceau) {
  Erreurs erreurs;
  Tampon liste(&erreurs, 1 << 20);
  bool recurrent = false;
  Releve releve;
  LectureDates lecture(c.ordre, c.liste, &liste, &recurrent, &releve);
  for (size_t i = 0; i < c.valeur.size(); i += morceau) lecture.Lire(c.valeur.substr(i, morceau));
  lecture.Finir();
  std::vector<std::string> dates;
  Date d;
  while (liste.Suivant(&d)) dates.push_back(TexteDate(d));
  EXPECT_EQ(dates, c.dates) << "'" << c.valeur << "' in pieces of " << morceau;
  EXPECT_EQ(recurrent, c.recurrent) << "'" << c.valeur << "'";
  EXPECT_EQ(releve.texte, c.pertes) << "'" << c.valeur << "'";
}

void VerifierTous(const std::vector<Cas>& cas) {
  for (const Cas& c : cas) {
    Verifier(c, c.valeur.size() + 1);
    Verifier(c, 1);
  }
}

TEST(LectureDatesTest, ListsCutAtBlanksAndCommas) {
  VerifierTous({
      {"01/02/2009 10:00:00", {"20090201T100000"}},
      {"01/02/2009 10:00:00, 08/02/2009 10:00:00", {"20090201T100000", "20090208T100000"}, true},
      {"01/02/2009 10:00:00,08/02/2009 10:00:00", {"20090201T100000", "20090208T100000"}, true},
      {"01/02/2009 10:00:00 08/02/2009 10:00:00", {"20090201T100000", "20090208T100000"}},
      {"   01/02/2009 10:00:00", {"20090201T100000"}},
      {"01/02/2009 10:00:00   ", {"20090201T100000"}},
      {"\t01/02/2009\t10:00\t", {"20090201T100000"}},
      {"01/02/2009 10:00:00,", {"20090201T100000"}, true},
      {"01/02/2009 10:00:00, ", {"20090201T100000"}, true},
      // A comma after blanks separates the dates without a recurrence.
      {"01/02/2009 10:00:00 ,08/02/2009 10:00:00", {"20090201T100000", "20090208T100000"}},
      {"", {}},
      {"    ", {}},
      {" , ,", {}},
  });
}

TEST(LectureDatesTest, RegionalFormsAndTheirOrder) {
  using O = OrdreDates;
  VerifierTous({
      {"15.01.2009 14:30:00", {"20090115T143000"}},
      {"15-01-2009 14:30:00", {"20090115T143000"}},
      {"2009-01-15 14:30:00", {"20090115T143000"}},
      {"2009-01-15T14:30:00", {"20090115T143000"}},
      {"2009/1/5 9:05", {"20090105T090500"}, false, "", O::kMoisJour},
      {"01/15/2009 02:30:00 PM", {"20090115T143000"}, false, "", O::kMoisJour},
      {"15.01.2009 14.30.00", {"20090115T143000"}},
      {"15.01.2009 14.30", {"20090115T143000"}},
      {"1/2/2009 9:30", {"20090201T093000"}},
      {"1/2/2009 9:30:5", {"20090201T093005"}},
      {"09-01-15 10:00", {"20090115T100000"}, false, "siecle", O::kAnneeMois},
      {"15/01/2009 10:00", {"20090115T100000"}, false, "", O::kAnneeMois},
      {"15/01/09 14:30", {"20090115T143000"}, false, "siecle"},
      {"15/01/68", {"20680115"}, false, "siecle"},
      {"15/01/69", {"19690115"}, false, "siecle"},
      {"01/01/00 00:00", {"20000101T000000"}, false, "siecle"},
      {"15/01/2009", {"20090115"}},
      {"15/01/2009 16/01/2009", {"20090115", "20090116"}},
      {"15.01.2009 16.01.2009", {"20090115", "20090116"}},
      // Three short fields after a date are its time.
      {"15.01.09 16.01.09", {"20090115T160109"}, false, "siecle"},
      {"15.01.09, 16.01.09", {"20090115", "20090116"}, true, "siecle siecle"},
  });
}

// Six digits, with colons among them or none, read as hours, minutes and
// seconds, as exports have long been read.
TEST(LectureDatesTest, SixDigitTimes) {
  VerifierTous({
      {"01/02/2009 143000", {"20090201T143000"}},
      {"01/02/2009 14:30:00:", {"20090201T143000"}},
      {"01/02/2009 :14:30::00", {"20090201T143000"}},
      {"2009-02-01T143000", {"20090201T143000"}},
      {"01/02/2009 023000 PM", {"20090201T143000"}},
      {"01/02/2009 256000", {"!20090201T256000"}},
      {"01/02/2009 1430", {}, false, "ilisible"},
      {"01/02/2009 1430000", {}, false, "ilisible"},
  });
}

TEST(LectureDatesTest, TwelveHourClock) {
  VerifierTous({
      {"15/01/2009 12:00 AM", {"20090115T000000"}},
      {"15/01/2009 12:30 AM", {"20090115T003000"}},
      {"15/01/2009 12:00 PM", {"20090115T120000"}},
      {"15/01/2009 01:00 PM", {"20090115T130000"}},
      {"15/01/2009 11:59 PM", {"20090115T235900"}},
      {"15/01/2009 2:30PM", {"20090115T143000"}},
      {"15/01/2009 02:30 p.m.", {"20090115T143000"}},
      {"15/01/2009 02:30 A.M.", {"20090115T023000"}},
      {"15/01/2009 02:30 pm", {"20090115T143000"}},
      {"15/01/2009 0:30 AM", {"!20090115T003000"}},
      {"15/01/2009 13:00 PM", {"!20090115T130000"}},
      {"15/01/2009 2:30 PM CET", {"20090115T143000 [CET]"}},
  });
}

TEST(LectureDatesTest, ZoneWordsBelongToTheirDate) {
  VerifierTous({
      {"15/01/2009 14:30:00 CET", {"20090115T143000 [CET]"}},
      {"15/01/2009 14:30:00 CET, 16/01/2009 14:30:00",
       {"20090115T143000 [CET]", "20090116T143000"},
       true},
      {"15/01/2009 14:30:00 W. Europe Standard Time 16/01/2009 10:00",
       {"20090115T143000 [W. Europe Standard Time]", "20090116T100000"}},
      {"2009-01-15T14:30:00Z", {"20090115T143000 [Z]"}},
      {"2009-01-15T14:30:00+01:00", {"20090115T143000 [+01:00]"}},
      {"15/01/2009 14:30 -05:00", {"20090115T143000 [-05:00]"}},
      {"15/01/2009 14:30 GMT+1", {"20090115T143000 [GMT+1]"}},
      {"15/01/2009 14:30 AMT", {"20090115T143000 [AMT]"}},
      // The longest word kept is 39 bytes.
      {"15/01/2009 14:30 " + std::string(50, 'z'),
       {"20090115T143000 [" + std::string(39, 'z') + "]"}},
  });
}

TEST(LectureDatesTest, TextThatFitsNoDateIsOneUnreadableDate) {
  VerifierTous({
      {"01/02/2009 9", {}, false, "ilisible"},
      {"01/02/2009 14h30", {}, false, "ilisible"},
      {"15.01.2009 kl. 14.30", {}, false, "ilisible"},
      {"01/02/2009 14:30:00.000", {}, false, "ilisible"},
      {"01/02/2009 :10:00", {}, false, "ilisible"},
      {"01 /02/2009 10:00:00", {}, false, "ilisible"},
      {"01/02/2009 10:00:00 9 x", {"20090201T100000"}, false, "ilisible"},
      {"a/b/2009 10:00", {}, false, "ilisible"},
      {"1/2/9 10:00", {}, false, "ilisible"},
      {"1/2/200910 10:00", {}, false, "ilisible"},
      {"15/01.2009 10:00", {}, false, "ilisible"},
      {"2009-01-15 14:30:00 PM", {"!20090115T143000"}},
      // The reader goes on with the next word that begins a date.
      {"xx yy 02/02/2009 10:00, zz, 03/02/2009",
       {"20090202T100000", "20090203"},
       true,
       "ilisible ilisible"},
      {"01/02/2009 9, 02/02/2009 10:00", {"20090202T100000"}, true, "ilisible"},
      {"01/02 03/02/2009 10:00", {"20090203T100000"}, false, "ilisible"},
      {"15/01/2009 PM", {}, false, "ilisible"},
  });
}

TEST(LectureDatesTest, ALineEndBeforeTheYearCutsTheDateShort) {
  VerifierTous({
      {"01/02", {}, false, "coupee"},
      {"01/02 ", {}, false, "coupee"},
      {"01/0", {}, false, "coupee"},
      {"01/02/2", {}, false, "coupee"},
      {"01/02/200", {}, false, "coupee"},
      {"01/02/2009 10:00 1", {"20090201T100000"}, false, "coupee"},
      {"01/02/2009 10:00:00 CET 9", {"20090201T100000 [CET]"}, false, "coupee"},
      {"01/02, 03/02/2009", {"20090203"}, true, "ilisible"},
      {"2009-01", {}, false, "ilisible"},
  });
}

TEST(LectureDatesTest, NoCalendarDateKeepsItsPlaceAndTheOrdersThatWouldMakeItOne) {
  using O = OrdreDates;
  VerifierTous({
      {"31/02/2009 10:00", {"!20090231T100000"}},
      {"01/15/2009 10:00", {"!20091501T100000 mdy"}},
      {"01/15/2009 10:00", {"20090115T100000"}, false, "", O::kMoisJour},
      {"15/01/2009 10:00", {"!20091501T100000 dmy ymd"}, false, "", O::kMoisJour},
      {"09/13/01 10:00", {"!20091301T100000 mdy"}, false, "siecle", O::kAnneeMois},
      {"15/01/09 10:00", {"20090115T100000"}, false, "siecle"},
      {"13/13/2009 10:00", {"!20091313T100000"}},
      {"29/02/2009", {"!20090229"}},
      {"29/02/2008", {"20080229"}},
      {"2009-02-30", {"!20090230"}},
      {"01/02/2009 24:00", {"!20090201T240000"}},
      {"01/02/2009 23:60", {"!20090201T236000"}},
      {"01/02/2009 10:00:60", {"!20090201T100060"}},
      {"31/01/2009, 01/02/2009", {"20090131", "20090201"}, true},
  });
}

TEST(LectureDatesTest, AnEndAt24IsTheNextDaysMidnight) {
  const Liste fins = Liste::kFins;
  VerifierTous({
      {"31/12/2009 24:00", {"20100101T000000"}, false, "", OrdreDates::kJourMois, fins},
      {"28/02/2009 24:00:00", {"20090301T000000"}, false, "", OrdreDates::kJourMois, fins},
      {"28/02/2009 24:01", {"!20090228T240100"}, false, "", OrdreDates::kJourMois, fins},
      {"28/02/2009 24:00 PM", {"!20090228T240000"}, false, "", OrdreDates::kJourMois, fins},
  });
}

// Through the item handler: the list ends at its line, whose line end is taken.
TEST(RecupererDatesTest, TheListEndsAtItsLine) {
  const Cas cas[] = {
      {"01/02/2009 10:00:00", {"20090201T100000"}},
      {"01/02/2009", {"20090201"}},
      {"", {}},
  };
  for (const Cas& c : cas) {
    Banc b(c.valeur + "\r\n08/02/2009 10:00:00\r\n");
    b.sonde.RECUPERER_DATES(Liste::kDebuts);
    EXPECT_EQ(b.Dates(Liste::kDebuts), c.dates) << c.valeur;
    EXPECT_TRUE(b.source.END_OF_LINE) << c.valeur;
    EXPECT_EQ(b.source.NEXTCAR(), '0') << c.valeur;
  }
  // At the end of the input, the list ends with it.
  Banc b("01/02/2009 10:00:00,");
  b.sonde.RECUPERER_DATES(Liste::kFins);
  EXPECT_EQ(b.Dates(Liste::kFins), std::vector<std::string>{"20090201T100000"});
  EXPECT_TRUE(b.etat().RDV_RECURRENT);
  EXPECT_TRUE(b.source.AtEnd());
}

TEST(RecupererDatesTest, ALaterItemReplacesTheList) {
  Banc b("01/02/2009 10:00:00 02/02/2009 10:00:00\r\n05/02/2009 10:00:00\r\n");
  b.sonde.RECUPERER_DATES(Liste::kDebuts);
  b.sonde.RECUPERER_DATES(Liste::kDebuts);
  EXPECT_EQ(b.Dates(Liste::kDebuts), std::vector<std::string>{"20090205T100000"});
}

TEST(ChercherRecurrenceTest, ACommaAnywhereOnTheLine) {
  struct Cas {
    std::string entree;
    bool recurrent;
  } cas[] = {{"a, b\r\nx,", true}, {"ab\r\nx,", false}, {"\r\nx,", false},
             {"x,", true},         {"x", false},        {"", false}};
  for (const Cas& c : cas) {
    Banc b(c.entree);
    b.sonde.CHERCHER_RECURRENCE();
    EXPECT_EQ(b.etat().RDV_RECURRENT, c.recurrent) << c.entree;
    if (c.entree.find('\n') != std::string::npos) {
      EXPECT_EQ(b.source.NEXTCAR(), 'x') << c.entree;
    }
  }
}

}  // namespace
}  // namespace vellumcast
