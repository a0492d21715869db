// TZ strings as the tz database's footers write them, and the instants of
// their changes, against values worked out by hand.
#include "regle_posix.h"

#include <gtest/gtest.h>

#include "calendrier.h"

namespace vellumcast {
namespace {

using Forme = JourDeChangement::Forme;

constexpr int64_t Utc(int a, int mo, int j, int h, int mi = 0) {
  return HeureCivile{a, mo, j, h, mi, 0}.Secondes();
}

struct Lu {
  const char* texte;
  const char* normal;
  int32_t decalage_normal;
  const char* ete;  // nullptr: no second time
  int32_t decalage_ete;
  JourDeChangement debut, fin;
};

TEST(RegleTzTest, EveryFormOfTheFootersReadsAsWritten) {
  const JourDeChangement m3_5_0{Forme::kMois, 0, 3, 5, 0, 7200};
  const Lu cas[] = {
      {"CET-1CEST,M3.5.0,M10.5.0/3",
       "CET",
       3600,
       "CEST",
       7200,
       m3_5_0,
       {Forme::kMois, 0, 10, 5, 0, 10800}},
      {"<+0330>-3:30", "+0330", 12600, nullptr, 0, {}, {}},
      {"EST5EDT,M3.2.0,M11.1.0",
       "EST",
       -18000,
       "EDT",
       -14400,
       {Forme::kMois, 0, 3, 2, 0, 7200},
       {Forme::kMois, 0, 11, 1, 0, 7200}},
      // Dublin: the second time is winter's, behind the first.
      {"IST-1GMT0,M10.5.0,M3.5.0/1",
       "IST",
       3600,
       "GMT",
       0,
       {Forme::kMois, 0, 10, 5, 0, 7200},
       {Forme::kMois, 0, 3, 5, 0, 3600}},
      {"<-03>3", "-03", -10800, nullptr, 0, {}, {}},
      {"<+1030>-10:30<+11>-11,M10.1.0,M4.1.0",
       "+1030",
       37800,
       "+11",
       39600,
       {Forme::kMois, 0, 10, 1, 0, 7200},
       {Forme::kMois, 0, 4, 1, 0, 7200}},
      // Without its offset, the second time is one hour ahead.
      {"<-02>2<-01>,M3.5.0/-1,M10.5.0/0",
       "-02",
       -7200,
       "-01",
       -3600,
       {Forme::kMois, 0, 3, 5, 0, -3600},
       {Forme::kMois, 0, 10, 5, 0, 0}},
      {"IST-2IDT,M3.4.4/26,M10.5.0",
       "IST",
       7200,
       "IDT",
       10800,
       {Forme::kMois, 0, 3, 4, 4, 93600},
       {Forme::kMois, 0, 10, 5, 0, 7200}},
      {"<-04>4<-03>,M9.1.6/24,M4.1.6/24",
       "-04",
       -14400,
       "-03",
       -10800,
       {Forme::kMois, 0, 9, 1, 6, 86400},
       {Forme::kMois, 0, 4, 1, 6, 86400}},
      {"<+1245>-12:45<+1345>,M9.5.0/2:45,M4.1.0/3:45",
       "+1245",
       45900,
       "+1345",
       49500,
       {Forme::kMois, 0, 9, 5, 0, 9900},
       {Forme::kMois, 0, 4, 1, 0, 13500}},
      {"EST5EDT,0/0,J365/25",
       "EST",
       -18000,
       "EDT",
       -14400,
       {Forme::kRang, 0, 1, 1, 0, 0},
       {Forme::kJulien, 365, 1, 1, 0, 90000}},
      {"LMT-0:09:21", "LMT", 561, nullptr, 0, {}, {}},
      {"AAA+3BBB+2:30:15,M1.1.1/+167,M12.5.6/-167",
       "AAA",
       -10800,
       "BBB",
       -9015,
       {Forme::kMois, 0, 1, 1, 1, 601200},
       {Forme::kMois, 0, 12, 5, 6, -601200}},
      // No days given: the C library's.
      {"CET-1CEST",
       "CET",
       3600,
       "CEST",
       7200,
       {Forme::kMois, 0, 3, 2, 0, 7200},
       {Forme::kMois, 0, 11, 1, 0, 7200}},
  };
  const auto egaux = [](const JourDeChangement& a, const JourDeChangement& b) {
    return a.forme == b.forme && a.numero == b.numero && a.mois == b.mois &&
           a.semaine == b.semaine && a.jour_semaine == b.jour_semaine && a.heure == b.heure;
  };
  for (const Lu& c : cas) {
    SCOPED_TRACE(c.texte);
    RegleTz r;
    std::string erreur;
    ASSERT_TRUE(LireRegleTz(c.texte, &r, &erreur)) << erreur;
    EXPECT_EQ(r.nom_normal, c.normal);
    EXPECT_EQ(r.decalage_normal, c.decalage_normal);
    EXPECT_EQ(r.ete, c.ete != nullptr);
    if (c.ete == nullptr) continue;
    EXPECT_EQ(r.nom_ete, c.ete);
    EXPECT_EQ(r.decalage_ete, c.decalage_ete);
    EXPECT_TRUE(egaux(r.debut_ete, c.debut));
    EXPECT_TRUE(egaux(r.fin_ete, c.fin));
  }
}

TEST(RegleTzTest, MalformedRulesAreRefusedWithWhere) {
  const std::pair<const char*, const char*> cas[] = {
      {"", "an abbreviation of three characters or more is expected at character 1 of the rule"},
      {"CE-1",
       "an abbreviation of three characters or more is expected at character 1 of the rule"},
      {"CET", "a number is expected at character 4 of the rule"},
      {"CET-25", "a number from 0 to 24 is expected at character 5 of the rule"},
      {"<+03-3", "'>' is expected at character 7 of the rule"},
      {"CET-1CEST,M13.1.0,M10.5.0",
       "a number from 1 to 12 is expected at character 12 of the rule"},
      {"CET-1CEST,M3.6.0,M10.5.0", "a number from 1 to 5 is expected at character 14 of the rule"},
      {"CET-1CEST,M3.5.7,M10.5.0", "a number from 0 to 6 is expected at character 16 of the rule"},
      {"CET-1CEST,M3-5.0,M10.5.0", "'.' is expected at character 13 of the rule"},
      {"CET-1CEST,M3.5.0",
       "',' and the day of the second change are expected at character 17 of the rule"},
      {"CET-1CEST-2;M3.5.0,M10.5.0",
       "',' and the days of the changes are expected at character 12 of the rule"},
      {"CET-1CEST,M3.5.0/168,M10.5.0",
       "a number from 0 to 167 is expected at character 18 of the rule"},
      {"CET-1CEST,J0,J365", "a number from 1 to 365 is expected at character 12 of the rule"},
      {"CET-1CEST,366,1", "a number from 0 to 365 is expected at character 11 of the rule"},
      {"CET-1CEST,,M10.5.0", "a number is expected at character 11 of the rule"},
      {"CET-1:60", "a number from 0 to 59 is expected at character 7 of the rule"},
      {"CET-1CEST,M3.5.0,M10.5.0x", "nothing more is expected at character 25 of the rule"},
  };
  for (const auto& [texte, attendu] : cas) {
    RegleTz r;
    std::string erreur;
    EXPECT_FALSE(LireRegleTz(texte, &r, &erreur)) << texte;
    EXPECT_EQ(erreur, attendu) << texte;
  }
}

TEST(RegleTzTest, ChangesFallOnTheirDaysInUtc) {
  struct Cas {
    const char* texte;
    int annee;
    int64_t debut, fin;  // UTC, worked out from the calendar of that year
  } cas[] = {
      {"CET-1CEST,M3.5.0,M10.5.0/3", 2009, Utc(2009, 3, 29, 1), Utc(2009, 10, 25, 1)},
      {"EST5EDT,M3.2.0,M11.1.0", 2007, Utc(2007, 3, 11, 7), Utc(2007, 11, 4, 6)},
      // 28 March 2024 is the fourth Thursday; 26:00 is Friday 02:00.
      {"IST-2IDT,M3.4.4/26,M10.5.0", 2024, Utc(2024, 3, 29, 0), Utc(2024, 10, 26, 23)},
      // The first Saturdays of September and April 2024 are the 7th and the 6th.
      {"<-04>4<-03>,M9.1.6/24,M4.1.6/24", 2024, Utc(2024, 9, 8, 4), Utc(2024, 4, 7, 3)},
      {"<-02>2<-01>,M3.5.0/-1,M10.5.0/0", 2024, Utc(2024, 3, 31, 1), Utc(2024, 10, 27, 1)},
      {"IST-1GMT0,M10.5.0,M3.5.0/1", 2024, Utc(2024, 10, 27, 1), Utc(2024, 3, 31, 1)},
      // The first Sundays of October and April 2024 are the 6th and the 7th.
      {"<+1030>-10:30<+11>-11,M10.1.0,M4.1.0", 2024, Utc(2024, 10, 5, 15, 30), Utc(2024, 4, 6, 15)},
      // Day 0 of a year, and Dec 31 at 25:00, the next year's first instant.
      {"EST5EDT,0/0,J365/25", 2024, Utc(2024, 1, 1, 5), Utc(2025, 1, 1, 5)},
  };
  for (const Cas& c : cas) {
    RegleTz r;
    std::string erreur;
    ASSERT_TRUE(LireRegleTz(c.texte, &r, &erreur)) << c.texte;
    EXPECT_EQ(DebutEte(r, c.annee), c.debut) << c.texte;
    EXPECT_EQ(FinEte(r, c.annee), c.fin) << c.texte;
  }
}

TEST(RegleTzTest, JulianDaysSkipTheLeapDayAndCountedDaysDoNot) {
  const auto jour = [](Forme forme, int numero, int annee) {
    return JourDuChangement({forme, numero, 1, 1, 0, 0}, annee);
  };
  EXPECT_EQ(jour(Forme::kJulien, 59, 2024), JoursDepuis1970(2024, 2, 28));
  EXPECT_EQ(jour(Forme::kJulien, 60, 2024), JoursDepuis1970(2024, 3, 1));
  EXPECT_EQ(jour(Forme::kJulien, 60, 2023), JoursDepuis1970(2023, 3, 1));
  EXPECT_EQ(jour(Forme::kJulien, 365, 2024), JoursDepuis1970(2024, 12, 31));
  EXPECT_EQ(jour(Forme::kRang, 59, 2024), JoursDepuis1970(2024, 2, 29));
  EXPECT_EQ(jour(Forme::kRang, 60, 2023), JoursDepuis1970(2023, 3, 2));
  // Week 5 is the last: March 2024 has five Sundays, February 2023 four.
  EXPECT_EQ(JourDuChangement({Forme::kMois, 0, 3, 5, 0, 0}, 2024), JoursDepuis1970(2024, 3, 31));
  EXPECT_EQ(JourDuChangement({Forme::kMois, 0, 2, 5, 0, 0}, 2023), JoursDepuis1970(2023, 2, 26));
}

}  // namespace
}  // namespace vellumcast
