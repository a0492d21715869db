// A result as libical, the parser behind several desktop calendar programs,
// reads it back: its events, their dates and the instants it gives them.
#pragma once

#include <string>
#include <vector>

namespace vellumcast::interop {

// One VEVENT as libical reads it.
struct EvenementLu {
  std::string uid;
  int nb_debuts = 0, nb_fins = 0;
  std::string debut, tzid_debut, fin, tzid_fin;
  // The instants libical gives them, in UTC ("20090115T133000Z"), or the day
  // of an all-day event ("20090115").
  std::string instant_debut, instant_fin;
  std::vector<std::string> resumes, lieux, descriptions;
  std::vector<std::string> erreurs;  // its X-LIC-ERROR texts, parse and publishing rules
};

struct Lecture {
  bool analyse = false;              // the parser returned a calendar without error
  std::vector<std::string> erreurs;  // X-LIC-ERROR texts outside the events
  std::vector<EvenementLu> evenements;
};

// Parses `ics` and reads every event, with libical's parse errors and the
// errors of its publishing rules.
Lecture LireAvecLibical(const std::string& ics);

}  // namespace vellumcast::interop
