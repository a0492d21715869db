// The date-valued lines of an event, in the three forms iCalendar gives
// them: a local date-time in a zone, a day, an instant in UTC.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "calendrier.h"

namespace vellumcast {

class Resultat;

enum class Forme {
  kLocale,  // NAME;TZID=ZONE:yyyymmddThhmmss
  kJour,    // NAME;VALUE=DATE:yyyymmdd
  kUtc,     // NAME:yyyymmddThhmmssZ
};

// The date lines of one event, as they are written.
struct DatesEvenement {
  Forme forme = Forme::kLocale;
  HeureCivile estampille;  // DTSTAMP's digits: the local start's, marked UTC
  HeureCivile debut;
  std::optional<HeureCivile> fin;
};

// Writes the line NAME with the value `h` in `forme`, and its line end;
// `tzid` names the zone of the local form.
void EcrireLigneDate(Resultat* result, std::string_view nom, Forme forme, const HeureCivile& h,
                     std::string_view tzid = {});

// The digits of `h`: "yyyymmddThhmmss", or "yyyymmdd" for a day.
std::string ChiffresDate(const HeureCivile& h, bool jour);

// The day after the day of `h`, at 00:00:00.
HeureCivile Lendemain(const HeureCivile& h);

}  // namespace vellumcast
