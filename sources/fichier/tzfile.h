// A file of the tz database (tzfile(5), RFC 8536): read from its directory
// under a checked name, and taken apart into transitions, types and rule.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "regle_posix.h"

namespace vellumcast {

// A local time type: its offset, whether it is summer time, its abbreviation.
struct TypeTz {
  int32_t decalage = 0;  // seconds east of UTC
  bool ete = false;
  std::string abreviation;
};

// What a file holds. From instants[k] on, types[types_des_instants[k]] is in
// force; before the first, types[0]; after the last, the rule when there is
// one, else the last type.
struct DonneesTz {
  std::vector<int64_t> instants;  // seconds since 1970-01-01T00:00:00Z, increasing
  std::vector<uint8_t> types_des_instants;
  std::vector<TypeTz> types;  // at least one
  std::string texte_regle;    // the footer's TZ string; empty when none
  std::optional<RegleTz> regle;
};

// Takes apart the bytes of a file of the tz database. Every count and index
// is checked against the bytes there are, and the footer's rule is read;
// false, with why in words, for anything that is not such a file, and for
// files with leap seconds.
bool LireTzfile(std::string_view octets, DonneesTz* donnees, std::string* erreur);

// Whether `nom` may name a file below the tz database: relative, without an
// empty, "." or ".." part, without control characters.
bool NomDeZonePermis(std::string_view nom);

// The bytes of the regular file at `chemin` (links followed), when it is
// small enough to be a zone file. False, with why in words naming the file.
bool LireFichierZone(const std::string& chemin, std::string* octets, std::string* erreur);

// The file of zone `nom` in the tz database at `dossier`, read and taken
// apart; false, with why in words that say where it looked.
bool ChargerZone(std::string_view nom, const std::string& dossier, DonneesTz* donnees,
                 std::string* erreur);

}  // namespace vellumcast
