// The libical reading of a result, shared by the interoperability tests.
#include "lecture_libical.h"

#include <libical/ical.h>

namespace vellumcast::interop {

namespace {

std::string Chaine(const char* c) { return c == nullptr ? std::string() : std::string(c); }

// The X-LIC-ERROR texts of `c` and of everything inside it.
void Relever(icalcomponent* c, const std::string& origine, std::vector<std::string>* erreurs) {
  for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_XLICERROR_PROPERTY); p != nullptr;
       p = icalcomponent_get_next_property(c, ICAL_XLICERROR_PROPERTY)) {
    erreurs->push_back(origine + icalcomponent_kind_to_string(icalcomponent_isa(c)) + ": " +
                       Chaine(icalproperty_get_xlicerror(p)));
  }
  for (icalcomponent* s = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); s != nullptr;
       s = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT)) {
    Relever(s, origine, erreurs);
  }
}

// The X-LIC-ERROR texts of the calendar's own lines and of its time zones.
void ReleverHorsEvenements(icalcomponent* cal, const std::string& origine,
                           std::vector<std::string>* erreurs) {
  for (icalproperty* p = icalcomponent_get_first_property(cal, ICAL_XLICERROR_PROPERTY);
       p != nullptr; p = icalcomponent_get_next_property(cal, ICAL_XLICERROR_PROPERTY)) {
    erreurs->push_back(origine + "VCALENDAR: " + Chaine(icalproperty_get_xlicerror(p)));
  }
  for (icalcomponent* s = icalcomponent_get_first_component(cal, ICAL_ANY_COMPONENT); s != nullptr;
       s = icalcomponent_get_next_component(cal, ICAL_ANY_COMPONENT)) {
    if (icalcomponent_isa(s) != ICAL_VEVENT_COMPONENT) Relever(s, origine, erreurs);
  }
}

void EffacerErreurs(icalcomponent* c) {
  while (icalproperty* p = icalcomponent_get_first_property(c, ICAL_XLICERROR_PROPERTY)) {
    icalcomponent_remove_property(c, p);
    icalproperty_free(p);
  }
  for (icalcomponent* s = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); s != nullptr;
       s = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT)) {
    EffacerErreurs(s);
  }
}

std::string Date(icalproperty* p, std::string* tzid) {
  icalparameter* tz = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER);
  *tzid = tz == nullptr ? "" : Chaine(icalparameter_get_tzid(tz));
  icalproperty_kind kind = icalproperty_isa(p);
  icaltimetype t =
      kind == ICAL_DTSTART_PROPERTY ? icalproperty_get_dtstart(p) : icalproperty_get_dtend(p);
  return Chaine(icaltime_as_ical_string(t));
}

// The instant of `t`, placed by its zone, in UTC; a day stays a day.
std::string Instant(icaltimetype t) {
  if (icaltime_is_null_time(t)) return {};
  if (t.is_date) return Chaine(icaltime_as_ical_string(t));
  return Chaine(
      icaltime_as_ical_string(icaltime_convert_to_zone(t, icaltimezone_get_utc_timezone())));
}

std::vector<std::string> Textes(icalcomponent* e, icalproperty_kind kind) {
  std::vector<std::string> textes;
  for (icalproperty* p = icalcomponent_get_first_property(e, kind); p != nullptr;
       p = icalcomponent_get_next_property(e, kind)) {
    textes.push_back(Chaine(icalvalue_get_text(icalproperty_get_value(p))));
  }
  return textes;
}

}  // namespace

Lecture LireAvecLibical(const std::string& ics) {
  Lecture l;
  icalerror_clear_errno();
  icalcomponent* cal = icalparser_parse_string(ics.c_str());
  l.analyse = cal != nullptr && icalerrno == ICAL_NO_ERROR &&
              icalcomponent_isa(cal) == ICAL_VCALENDAR_COMPONENT;
  if (cal == nullptr) return l;
  ReleverHorsEvenements(cal, "", &l.erreurs);
  // The publishing rules as well, on a copy without the parse errors. They ask
  // for an ORGANIZER the export does not have; it is supplied so that the
  // check, which stops at the first failing event, looks at every event for
  // everything else.
  icalcomponent* copie = icalcomponent_new_clone(cal);
  EffacerErreurs(copie);
  for (icalcomponent* e = icalcomponent_get_first_component(copie, ICAL_VEVENT_COMPONENT);
       e != nullptr; e = icalcomponent_get_next_component(copie, ICAL_VEVENT_COMPONENT)) {
    icalcomponent_add_property(e, icalproperty_new_organizer("mailto:organizer@example.invalid"));
  }
  icalrestriction_check(copie);
  ReleverHorsEvenements(copie, "rules ", &l.erreurs);
  std::vector<std::vector<std::string>> regles;
  for (icalcomponent* e = icalcomponent_get_first_component(copie, ICAL_VEVENT_COMPONENT);
       e != nullptr; e = icalcomponent_get_next_component(copie, ICAL_VEVENT_COMPONENT)) {
    regles.emplace_back();
    Relever(e, "rules ", &regles.back());
  }
  icalcomponent_free(copie);

  for (icalcomponent* e = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT);
       e != nullptr; e = icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT)) {
    EvenementLu lu;
    lu.uid = Chaine(icalcomponent_get_uid(e));
    for (icalproperty* p = icalcomponent_get_first_property(e, ICAL_DTSTART_PROPERTY); p != nullptr;
         p = icalcomponent_get_next_property(e, ICAL_DTSTART_PROPERTY)) {
      ++lu.nb_debuts;
      lu.debut = Date(p, &lu.tzid_debut);
    }
    for (icalproperty* p = icalcomponent_get_first_property(e, ICAL_DTEND_PROPERTY); p != nullptr;
         p = icalcomponent_get_next_property(e, ICAL_DTEND_PROPERTY)) {
      ++lu.nb_fins;
      lu.fin = Date(p, &lu.tzid_fin);
    }
    // The zone of a TZID is looked up in the calendar the event belongs to.
    lu.instant_debut = Instant(icalcomponent_get_dtstart(e));
    if (lu.nb_fins > 0) lu.instant_fin = Instant(icalcomponent_get_dtend(e));
    lu.resumes = Textes(e, ICAL_SUMMARY_PROPERTY);
    lu.lieux = Textes(e, ICAL_LOCATION_PROPERTY);
    lu.descriptions = Textes(e, ICAL_DESCRIPTION_PROPERTY);
    Relever(e, "", &lu.erreurs);
    if (l.evenements.size() < regles.size()) {
      for (const std::string& r : regles[l.evenements.size()]) lu.erreurs.push_back(r);
    }
    l.evenements.push_back(lu);
  }
  icalcomponent_free(cal);
  return l;
}

}  // namespace vellumcast::interop
