// The date lists and the recurrence they show, read by the handlers of an
// in-memory conversion.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "banc.h"

namespace vellumcast {
namespace {

struct CasDates {
  std::string valeur;
  std::vector<std::string> dates;
  bool recurrent;
};

TEST(RecupererDatesTest, ListsFromTheItemLineOnly) {
  const CasDates cas[] = {
      {"01/02/2009 10:00:00", {"20090201T100000"}, false},
      {"01/02/2009 10:00:00, 08/02/2009 10:00:00", {"20090201T100000", "20090208T100000"}, true},
      {"01/02/2009 10:00:00,08/02/2009 10:00:00", {"20090201T100000", "20090208T100000"}, true},
      {"01/02/2009 10:00:00 08/02/2009 10:00:00", {"20090201T100000", "20090208T100000"}, false},
      {"   01/02/2009 10:00:00", {"20090201T100000"}, false},
      {"01/02/2009 10:00:00   ", {"20090201T100000"}, false},
      {"01/02/2009 10:00:00,", {"20090201T100000"}, true},
      {"01/02/2009 10:00:00, ", {"20090201T100000"}, true},
      {"01/02/2009 10:00:00 ,08/02/2009 10:00:00", {"20090201T100000", "200902,08T100000"}, false},
      {"01/02/2009 10:00:00 PM", {"20090201T100000"}, false},
      {"01/02/2009", {}, false},
      {"01/02/2009 ", {}, false},
      {"01/02", {}, false},
      {"", {}, false},
      {"    ", {}, false},
      {"01/02/2009 9", {"20090201T9"}, false},
      {"01/02/2009 :10:00", {"20090201T1000"}, false},
  };
  for (const CasDates& c : cas) {
    Banc b(c.valeur + "\r\n08/02/2009 10:00:00\r\n");
    b.sonde.RECUPERER_DATES(0);
    EXPECT_EQ(b.DatesDebut(), c.dates) << c.valeur;
    EXPECT_EQ(b.etat().RDV_RECURRENT, c.recurrent) << c.valeur;
    // The list's line end is consumed, and nothing after it.
    EXPECT_TRUE(b.source.END_OF_LINE) << c.valeur;
    EXPECT_EQ(b.source.NEXTCAR(), '0') << c.valeur;
  }
}

TEST(RecupererDatesTest, OneDigitFieldsGetTheirZero) {
  const CasDates cas[] = {
      {"1/2/2009 9:30", {"20090201T093000"}, false},
      {"1/2/2009 9:30:5", {"20090201T093005"}, false},
      {"7/11/2010 10:5", {"20101107T100500"}, false},
      {"01/02/2009 10:00:00", {"20090201T100000"}, false},
      {"01/02/2009 0930", {"20090201T0930"}, false},
      {"01/02/2009 123:4", {"20090201T1234"}, false},
      {"01/02/2009 9h30", {"20090201T9h30"}, false},
      {"01/02/2009 9:30:00:00", {"20090201T9300000"}, false},
      {"01/02/2009 9::30", {"20090201T930"}, false},
      {"1 /2/2009 9:30", {"2009021T093000"}, false},
      {"a/b/2009 10:00", {"2009baT100000"}, false},
      {"1/2/9 10:00", {"90201T100000"}, false},
  };
  for (const CasDates& c : cas) {
    Banc b(c.valeur + "\r\n");
    b.sonde.RECUPERER_DATES(0);
    EXPECT_EQ(b.DatesDebut(), c.dates) << c.valeur;
  }
}

TEST(RecupererDatesTest, EndOfInputEndsTheTimePartAndKeepsTheDate) {
  const CasDates cas[] = {
      {"01/02/2009 10:00:00", {"20090201T100000"}, false},
      {"01/02/2009 10:00:00,", {"20090201T100000"}, true},
      {"01/02/2009 10", {"20090201T10"}, false},
      {"01/02/2009 ", {}, false},
      {"01/02/2009", {}, false},
      {"01/0", {}, false},
  };
  for (const CasDates& c : cas) {
    Banc b(c.valeur);
    b.sonde.RECUPERER_DATES(0);
    EXPECT_EQ(b.DatesDebut(), c.dates) << c.valeur;
    EXPECT_EQ(b.etat().RDV_RECURRENT, c.recurrent) << c.valeur;
    EXPECT_TRUE(b.source.AtEnd());
  }
}

TEST(RecupererDatesTest, ALaterItemReplacesTheList) {
  Banc b("01/02/2009 10:00:00 02/02/2009 10:00:00\r\n05/02/2009 10:00:00\r\n");
  b.sonde.RECUPERER_DATES(0);
  b.sonde.RECUPERER_DATES(0);
  EXPECT_EQ(b.DatesDebut(), std::vector<std::string>{"20090205T100000"});
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
