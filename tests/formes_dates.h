// The forms of dates that exports made under regional settings hold, each
// with the lines the result must carry and the instants a calendar program
// must read back, all written by hand (the zone France: UTC+1 in winter,
// UTC+2 in summer).
#pragma once

#include <string>
#include <vector>

#include "reglages.h"

namespace vellumcast {

struct FormeDate {
  std::string nom;  // names the form when its row fails
  OrdreDates ordre;
  std::string debut;  // the start and end items' values
  std::string fin;
  // The date lines of its event (DTSTAMP, DTSTART, DTEND and the all-day
  // mark), each ended by CR LF; empty when the document gives no event.
  std::string lignes;
  // The instants read back: UTC "yyyymmddThhmmssZ", or the day of an
  // all-day event (the end exclusive).
  std::string instant_debut;
  std::string instant_fin;
};

inline std::vector<FormeDate> FormesDates() {
  const OrdreDates dmy = OrdreDates::kJourMois;
  const auto heure = [](const char* debut, const char* fin) {
    return "DTSTAMP:" + std::string(debut) + "Z\r\nDTSTART;TZID=France:" + debut +
           "\r\nDTEND;TZID=France:" + fin + "\r\n";
  };
  const std::string quinze = heure("20090115T143000", "20090115T153000");
  return {
      {"German 15.01.2009 14:30:00", dmy, "15.01.2009 14:30:00", "15.01.2009 15:30:00", quinze,
       "20090115T133000Z", "20090115T143000Z"},
      {"Danish 15-01-2009 14:30:00", dmy, "15-01-2009 14:30:00", "15-01-2009 15:30:00", quinze,
       "20090115T133000Z", "20090115T143000Z"},
      {"ISO 2009-01-15 14:30:00", dmy, "2009-01-15 14:30:00", "2009-01-15 15:30:00", quinze,
       "20090115T133000Z", "20090115T143000Z"},
      {"ISO 2009-01-15T14:30:00", dmy, "2009-01-15T14:30:00", "2009-01-15T15:30:00", quinze,
       "20090115T133000Z", "20090115T143000Z"},
      {"US 01/15/2009 02:30:00 PM", OrdreDates::kMoisJour, "01/15/2009 02:30:00 PM",
       "01/15/2009 03:30:00 PM", quinze, "20090115T133000Z", "20090115T143000Z"},
      {"Two-digit year 15/01/09 14:30", dmy, "15/01/09 14:30", "15/01/09 15:30", quinze,
       "20090115T133000Z", "20090115T143000Z"},
      {"Year first with two digits 09-01-15 14:30", OrdreDates::kAnneeMois, "09-01-15 14:30",
       "09-01-15 15:30", quinze, "20090115T133000Z", "20090115T143000Z"},
      {"Finnish 15.01.2009 14.30.00", dmy, "15.01.2009 14.30.00", "15.01.2009 15.30.00", quinze,
       "20090115T133000Z", "20090115T143000Z"},
      {"Zone word 15/01/2009 14:30:00 CET", dmy, "15/01/2009 14:30:00 CET",
       "15/01/2009 15:30:00 CET", quinze, "20090115T133000Z", "20090115T143000Z"},
      {"All-day 15/01/2009", dmy, "15/01/2009", "15/01/2009",
       "DTSTAMP:20090115T000000Z\r\nDTSTART;VALUE=DATE:20090115\r\nDTEND;VALUE=DATE:20090116\r\n"
       "X-MICROSOFT-CDO-ALLDAYEVENT:TRUE\r\n",
       "20090115", "20090116"},
      {"All-day over three days 01/02/2009 to 03/02/2009", dmy, "01/02/2009", "03/02/2009",
       "DTSTAMP:20090201T000000Z\r\nDTSTART;VALUE=DATE:20090201\r\nDTEND;VALUE=DATE:20090204\r\n"
       "X-MICROSOFT-CDO-ALLDAYEVENT:TRUE\r\n",
       "20090201", "20090204"},
      {"All-day start, timed end", dmy, "15/01/2009", "16/01/2009 10:00",
       "DTSTAMP:20090115T000000Z\r\nDTSTART;VALUE=DATE:20090115\r\nDTEND;VALUE=DATE:20090117\r\n"
       "X-MICROSOFT-CDO-ALLDAYEVENT:TRUE\r\n",
       "20090115", "20090117"},
      {"Timed start, all-day end", dmy, "15/01/2009 10:00", "16/01/2009",
       heure("20090115T100000", "20090117T000000"), "20090115T090000Z", "20090116T230000Z"},
      {"End at 24:00", dmy, "15/01/2009 22:00", "15/01/2009 24:00",
       heure("20090115T220000", "20090116T000000"), "20090115T210000Z", "20090115T230000Z"},
      {"Summer 15/07/2009 14:30", dmy, "15/07/2009 14:30", "15/07/2009 15:30",
       heure("20090715T143000", "20090715T153000"), "20090715T123000Z", "20090715T133000Z"},
      {"12:00 AM", dmy, "15/01/2009 12:00 AM", "15/01/2009 01:00 AM",
       heure("20090115T000000", "20090115T010000"), "20090114T230000Z", "20090115T000000Z"},
      {"12:30 AM", dmy, "15/01/2009 12:30 AM", "15/01/2009 01:30 AM",
       heure("20090115T003000", "20090115T013000"), "20090114T233000Z", "20090115T003000Z"},
      {"12:00 PM", dmy, "15/01/2009 12:00 PM", "15/01/2009 01:00 PM",
       heure("20090115T120000", "20090115T130000"), "20090115T110000Z", "20090115T120000Z"},
      {"01:00 PM", dmy, "15/01/2009 01:00 PM", "15/01/2009 02:00 PM",
       heure("20090115T130000", "20090115T140000"), "20090115T120000Z", "20090115T130000Z"},
      {"11:59 PM", dmy, "15/01/2009 11:59 PM", "16/01/2009 12:59 AM",
       heure("20090115T235900", "20090116T005900"), "20090115T225900Z", "20090115T235900Z"},
      {"2:30PM", dmy, "15/01/2009 2:30PM", "15/01/2009 3:30PM", quinze, "20090115T133000Z",
       "20090115T143000Z"},
      {"02:30 p.m.", dmy, "15/01/2009 02:30 p.m.", "15/01/2009 03:30 p.m.", quinze,
       "20090115T133000Z", "20090115T143000Z"},
      {"Not a calendar date 31/02/2009", dmy, "31/02/2009 10:00", "31/02/2009 11:00", "", "", ""},
      {"Month first under dmy 01/15/2009", dmy, "01/15/2009 10:00", "01/15/2009 11:00", "", "", ""},
  };
}

}  // namespace vellumcast
