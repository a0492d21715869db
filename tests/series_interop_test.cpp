// Recurring documents written as series with --series: libical expands each
// written rule back to exactly the document's starts and ends, or the
// document stays separate events.
#include <gtest/gtest.h>
#include <libical/ical.h>

#include <string>
#include <utility>
#include <vector>

#include "banc.h"

namespace vellumcast {
namespace {

// An event's start and end as local date-times ("20090105T090000"), or days
// ("20090105"); the end empty when there is none.
using Occurrence_ = std::pair<std::string, std::string>;

std::string Texte(icaltimetype t) { return icaltime_as_ical_string(t); }

// Every occurrence of every event of `ics`, as libical expands them: a rule
// from its DTSTART, each occurrence lasting as long as DTEND says; and the
// rules written, in order.
std::vector<Occurrence_> Developper(const std::string& ics, std::vector<std::string>* regles) {
  std::vector<Occurrence_> occurrences;
  icalcomponent* cal = icalparser_parse_string(ics.c_str());
  if (cal == nullptr) return occurrences;
  for (icalcomponent* e = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT);
       e != nullptr; e = icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT)) {
    const icaltimetype debut = icalcomponent_get_dtstart(e);
    const bool a_fin = icalcomponent_get_first_property(e, ICAL_DTEND_PROPERTY) != nullptr;
    const icaldurationtype duree =
        a_fin ? icaltime_subtract(icalcomponent_get_dtend(e), debut) : icaldurationtype{};
    auto ajouter = [&](icaltimetype t) {
      occurrences.emplace_back(Texte(t), a_fin ? Texte(icaltime_add(t, duree)) : "");
    };
    icalproperty* rrule = icalcomponent_get_first_property(e, ICAL_RRULE_PROPERTY);
    if (rrule == nullptr) {
      ajouter(debut);
      continue;
    }
    const icalrecurrencetype r = icalproperty_get_rrule(rrule);
    regles->push_back(icalrecurrencetype_as_string(const_cast<icalrecurrencetype*>(&r)));
    icalrecur_iterator* it = icalrecur_iterator_new(r, debut);
    for (icaltimetype t = icalrecur_iterator_next(it); !icaltime_is_null_time(t);
         t = icalrecur_iterator_next(it)) {
      ajouter(t);
    }
    icalrecur_iterator_free(it);
  }
  icalcomponent_free(cal);
  return occurrences;
}

struct Ligne {
  const char* nom;
  std::string debuts;  // the STARTDATETIME and EndDateTime values
  std::string fins;
  std::string regle;  // the rule written by hand, empty when no series is written
  // The occurrences expected, written by hand: the document's dates before
  // the year limit.
  std::vector<Occurrence_> occurrences;
};

Occurrence_ Heure(const char* debut, const char* fin) { return {debut, fin}; }

TEST(SeriesInteropTest, EachRuleExpandsBackToTheDocumentsDates) {
  const Ligne lignes[] = {
      {"weekly",
       "05/01/2009 09:00, 12/01/2009 09:00, 19/01/2009 09:00, 26/01/2009 09:00",
       "05/01/2009 10:00, 12/01/2009 10:00, 19/01/2009 10:00, 26/01/2009 10:00",
       "FREQ=WEEKLY;COUNT=4",
       {Heure("20090105T090000", "20090105T100000"), Heure("20090112T090000", "20090112T100000"),
        Heure("20090119T090000", "20090119T100000"), Heure("20090126T090000", "20090126T100000")}},
      {"every two weeks",
       "05/01/2009 09:00, 19/01/2009 09:00, 02/02/2009 09:00",
       "05/01/2009 10:00, 19/01/2009 10:00, 02/02/2009 10:00",
       "FREQ=WEEKLY;COUNT=3;INTERVAL=2",
       {Heure("20090105T090000", "20090105T100000"), Heure("20090119T090000", "20090119T100000"),
        Heure("20090202T090000", "20090202T100000")}},
      {"Monday and Thursday weekly",
       "05/01/2009 18:30, 08/01/2009 18:30, 12/01/2009 18:30, 15/01/2009 18:30",
       "",
       "FREQ=WEEKLY;COUNT=4;BYDAY=MO,TH",
       {Heure("20090105T183000", ""), Heure("20090108T183000", ""), Heure("20090112T183000", ""),
        Heure("20090115T183000", "")}},
      {"daily",
       "05/01/2009 08:00, 06/01/2009 08:00, 07/01/2009 08:00",
       "05/01/2009 08:15, 06/01/2009 08:15, 07/01/2009 08:15",
       "FREQ=DAILY;COUNT=3",
       {Heure("20090105T080000", "20090105T081500"), Heure("20090106T080000", "20090106T081500"),
        Heure("20090107T080000", "20090107T081500")}},
      {"monthly on the 15th",
       "15/01/2009 14:00, 15/02/2009 14:00, 15/03/2009 14:00, 15/04/2009 14:00",
       "15/01/2009 15:00, 15/02/2009 15:00, 15/03/2009 15:00, 15/04/2009 15:00",
       "FREQ=MONTHLY;COUNT=4;BYMONTHDAY=15",
       {Heure("20090115T140000", "20090115T150000"), Heure("20090215T140000", "20090215T150000"),
        Heure("20090315T140000", "20090315T150000"), Heure("20090415T140000", "20090415T150000")}},
      {"monthly on the last Friday",
       "30/01/2009 16:00, 27/02/2009 16:00, 27/03/2009 16:00, 24/04/2009 16:00",
       "30/01/2009 17:00, 27/02/2009 17:00, 27/03/2009 17:00, 24/04/2009 17:00",
       "FREQ=MONTHLY;COUNT=4;BYDAY=-1FR",
       {Heure("20090130T160000", "20090130T170000"), Heure("20090227T160000", "20090227T170000"),
        Heure("20090327T160000", "20090327T170000"), Heure("20090424T160000", "20090424T170000")}},
      {"yearly, all day",
       "10/03/2008, 10/03/2009, 10/03/2010",
       "10/03/2008, 10/03/2009, 10/03/2010",
       "FREQ=YEARLY;COUNT=3",
       {Heure("20080310", "20080311"), Heure("20090310", "20090311"),
        Heure("20100310", "20100311")}},
      {"weekly with one date missing",
       "05/01/2009 09:00, 12/01/2009 09:00, 26/01/2009 09:00",
       "",
       "",
       {Heure("20090105T090000", ""), Heure("20090112T090000", ""), Heure("20090126T090000", "")}},
      {"weekly with two durations",
       "05/01/2009 09:00, 12/01/2009 09:00, 19/01/2009 09:00",
       "05/01/2009 10:00, 12/01/2009 11:00, 19/01/2009 10:00",
       "",
       {Heure("20090105T090000", "20090105T100000"), Heure("20090112T090000", "20090112T110000"),
        Heure("20090119T090000", "20090119T100000")}},
      {"weekly across the year limit",
       "05/12/2011 09:00, 12/12/2011 09:00, 19/12/2011 09:00, 26/12/2011 09:00, "
       "02/01/2012 09:00, 09/01/2012 09:00",
       "",
       "FREQ=WEEKLY;COUNT=4",
       {Heure("20111205T090000", ""), Heure("20111212T090000", ""), Heure("20111219T090000", ""),
        Heure("20111226T090000", "")}},
      // France's definition places these in summer time, which ended on 30
      // September in 1990: each is written in UTC, so no rule repeats them.
      {"weekly in UTC",
       "01/10/1990 10:00, 08/10/1990 10:00, 15/10/1990 10:00",
       "",
       "",
       {Heure("19901001T090000Z", ""), Heure("19901008T090000Z", ""),
        Heure("19901015T090000Z", "")}},
  };
  for (const Ligne& l : lignes) {
    Options options;
    options.series = true;
    const Produit p =
        Convertir("Subject:s\r\nSTARTDATETIME:" + l.debuts + "\r\nEndDateTime:" + l.fins +
                      "\r\nApptUNID:R\r\n$UpdatedBy:me\r\n\r\nb\r\n\f\r\n",
                  options);
    ASSERT_FALSE(p.echec) << l.nom << ": " << p.erreur;
    std::vector<std::string> regles;
    EXPECT_EQ(Developper(p.ics, &regles), l.occurrences) << l.nom;
    const std::vector<std::string> attendues =
        l.regle.empty() ? std::vector<std::string>{} : std::vector<std::string>{l.regle};
    // libical writes a rule's parts in its own order: compared as sets of parts.
    ASSERT_EQ(regles.size(), attendues.size()) << l.nom;
    if (!attendues.empty()) {
      EXPECT_NE(p.ics.find("RRULE:" + l.regle + "\r\n"), std::string::npos) << l.nom;
    }
  }
}

}  // namespace
}  // namespace vellumcast
