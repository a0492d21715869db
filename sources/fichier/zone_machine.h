// The machine's own zone: its name, as the user would give it to --timezone,
// and whether its offsets are those of Paris.
#pragma once

#include <optional>
#include <string>

#include "fuseau.h"

namespace vellumcast {

// What decides the machine's zone; tests give their own.
struct Machine {
  std::optional<std::string> tz;                // TZ's value; none when unset
  std::string dossier = "/usr/share/zoneinfo";  // the tz database
  std::string localtime = "/etc/localtime";
  std::string timezone = "/etc/timezone";

  // This process's: TZ, and TZDIR when it is set and not empty.
  static Machine DeCetteMachine();
};

// The machine zone's name: TZ's value less a leading ":" when it names a file
// of the tz database; else, when TZ is unset, the name below the database
// that `localtime` links to; else the name in `timezone`. None when nothing
// names one, and when TZ holds a rule of its own.
std::optional<std::string> NomDeZoneMachine(const Machine& machine);

// The zone the C library takes: TZ's file or rule (UTC when empty or
// unreadable), else the file `localtime` (UTC when there is none).
Fuseau FuseauMachine(const Machine& machine);

enum class Ressemblance {
  kUtc,    // UTC's offset throughout
  kParis,  // Europe/Paris's offsets throughout
  kAutre,
};

// How `fuseau`'s offsets compare over the years `premiere` to `derniere`.
Ressemblance CommeParis(const Fuseau& fuseau, int premiere, int derniere);

}  // namespace vellumcast
