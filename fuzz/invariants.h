// What a whole conversion must give, whatever bytes it is handed: the checks
// the fuzz target applies to every input, shared with the regression tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "reglages.h"

namespace vellumcast {

// Reads per input byte that a conversion may never exceed (see invariants.cpp).
constexpr uint64_t kLecturesParOctet = 5;

// What one checked conversion gave.
struct Decompte {
  std::string erreur;     // the first broken rule; empty when every rule holds
  size_t blocs = 0;       // event blocks in the result
  uint64_t lectures = 0;  // calls to the reader
  std::string resultat;   // the result file
};

// The date order and the character set an input is converted under, drawn
// from its first byte, so that every reader path is fuzzed and a failing
// input replays under the same options.
Options OptionsTirees(std::string_view entree);

// Converts `entree` in memory under `options` (event buffer and date lists
// spill to disk past options.limite_memoire bytes) and checks the result
// against every rule.
Decompte VerifierConversion(std::string_view entree, const Options& options);

// Converts `entree` after a line of padding once from memory and once from a
// file whose first read ends `position` bytes into `entree`, and
// returns what differs between the two runs; empty when nothing does.
std::string VerifierFrontiere(std::string_view entree, size_t position, const Options& options);

// Checks a result file alone; empty when it is well formed. `blocs` receives
// the number of event blocks.
// `uids_stables`: the UIDs are made of identifiers and starts, not numbers.
std::string VerifierResultat(std::string_view resultat, size_t* blocs, bool uids_stables = false);

}  // namespace vellumcast
