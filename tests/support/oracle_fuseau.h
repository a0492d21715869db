// The C library as the oracle of the tz database: the instant mktime gives a
// local time under TZ=ZONE, with RFC 5545's choice at gaps and overlaps, and
// the table of zones that the interoperability tests go through.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "calendrier.h"
#include "fuseau.h"

namespace vellumcast {

// Where the tests look for the tz database.
constexpr const char* kDossierTz = "/usr/share/zoneinfo";

// Whether the machine lacks the tz database (a minimal system may).
bool BaseTzAbsente();

struct ZoneDuTableau {
  const char* nom;  // as given to --timezone; "France" for the default
  const char* tz;   // for the C library
  // Its periods may be explicit transitions that its rule does not hold.
  bool explicite;
};

// France, Europe/Paris, Europe/London, America/New_York, America/Sao_Paulo,
// Asia/Kolkata, Australia/Lord_Howe, Pacific/Chatham, Africa/Casablanca, UTC.
const std::vector<ZoneDuTableau>& ZonesDuTableau();

// The zone as the program takes it: built in for France, else read from the
// tz database as --timezone reads it; false, with why, when it cannot be read.
bool OuvrirZone(const ZoneDuTableau& z, Fuseau* fuseau, std::string* erreur);

// TZ set for the object's lifetime, then put back.
class SousTz {
 public:
  explicit SousTz(const char* tz);
  ~SousTz();
  SousTz(const SousTz&) = delete;
  SousTz& operator=(const SousTz&) = delete;

 private:
  std::optional<std::string> avant_;
};

// Under the current TZ: the C library's offset, in seconds east of UTC, at
// the instant `utc`.
int32_t DecalageC(int64_t utc);

// Under the current TZ: the instant of `h` as mktime gives it, with RFC
// 5545's choice where mktime makes its own (the offset before a gap, the
// first of two instants), and whether `h` is in a gap or occurs twice.
Placement OracleC(const HeureCivile& h);

// Under the current TZ: local times at each gap and overlap from 1970 to
// 2037: the first second inside it, its middle, its last second and the
// first second after it.
std::vector<HeureCivile> HeuresAuxChangements();

// One local time every 7 days and 13 hours from 1970-01-01T00:00:00 to the
// end of 2037.
std::vector<HeureCivile> TousLesSeptJoursEtTreizeHeures();

// "2009-01-15 14:30:00", for the failing rows.
std::string TexteHeure(const HeureCivile& h);

}  // namespace vellumcast
