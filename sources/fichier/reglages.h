// What a conversion can be told beyond its input.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fuseau.h"

namespace vellumcast {

constexpr int32_t kAnneeLimite = 2012;
constexpr size_t kLimiteMemoire = size_t{1} << 20;

// The character set the export's texts are read in.
enum class Jeu { kIso88591, kWindows1252, kUtf8 };

// The order of a date's fields: day first, month first, year first. A date
// whose first field has four digits is read year first whatever the order.
enum class OrdreDates { kJourMois, kMoisJour, kAnneeMois };
constexpr int kOrdres = 3;

struct Options {
  // Start dates of this year or later give no event.
  int32_t annee_limite = kAnneeLimite;
  Jeu jeu = Jeu::kIso88591;
  OrdreDates ordre_dates = OrdreDates::kJourMois;
  // The zone the export's local times were kept in; France by default.
  Fuseau fuseau;
  // Each event's UID is its document's identifier and its local start, so
  // that converting again gives the same UIDs.
  bool uids_stables = false;
  // A document whose dates follow one exact rule becomes one recurring event.
  bool series = false;
  // Past this many events the result goes on in a new part; 0: one file.
  size_t evenements_par_partie = 0;
  // Past this many bytes the event buffer, a date list or the capture moves to disk.
  size_t limite_memoire = kLimiteMemoire;
};

}  // namespace vellumcast
