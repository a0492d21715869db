// Civil calendar arithmetic, against days and weekdays written by hand.
#include "calendrier.h"

#include <gtest/gtest.h>

namespace vellumcast {
namespace {

TEST(CalendrierTest, DaysFrom1970AndBack) {
  struct Cas {
    int annee, mois, jour;
    int64_t jours;
    int semaine;  // 0 Sunday .. 6 Saturday
  } cas[] = {
      {1970, 1, 1, 0, 4},        {1969, 12, 31, -1, 3},      {1969, 12, 28, -4, 0},
      {1969, 12, 27, -5, 6},     {2000, 2, 29, 11016, 2},    {2000, 3, 1, 11017, 3},
      {1900, 3, 1, -25508, 4},   {2009, 1, 15, 14259, 4},    {2038, 1, 19, 24855, 2},
      {1600, 2, 29, -135081, 2}, {9999, 12, 31, 2932896, 5}, {1, 1, 1, -719162, 1},
  };
  for (const Cas& c : cas) {
    EXPECT_EQ(JoursDepuis1970(c.annee, c.mois, c.jour), c.jours) << c.annee << "-" << c.mois;
    Jour j = JourDe(c.jours);
    EXPECT_EQ(j.annee * 10000 + j.mois * 100 + j.jour, c.annee * 10000 + c.mois * 100 + c.jour);
    EXPECT_EQ(JourDeSemaine(c.jours), c.semaine) << c.annee << "-" << c.mois << "-" << c.jour;
  }
}

TEST(CalendrierTest, MonthLengthsAndLeapYears) {
  EXPECT_EQ(JoursDuMois(2009, 2), 28);
  EXPECT_EQ(JoursDuMois(2008, 2), 29);
  EXPECT_EQ(JoursDuMois(1900, 2), 28);
  EXPECT_EQ(JoursDuMois(2000, 2), 29);
  EXPECT_EQ(JoursDuMois(2009, 4), 30);
  EXPECT_EQ(JoursDuMois(2009, 12), 31);
}

TEST(CalendrierTest, SecondsRoundTripAcrossMidnightBefore1970) {
  const HeureCivile h{1969, 12, 31, 23, 59, 59};
  EXPECT_EQ(h.Secondes(), -1);
  EXPECT_EQ(HeureCivile::De(-1), h);
  const HeureCivile t{2009, 3, 29, 1, 30, 0};
  EXPECT_EQ(t.Secondes(), 1238290200);
  EXPECT_EQ(HeureCivile::De(1238290200), t);
}

}  // namespace
}  // namespace vellumcast
