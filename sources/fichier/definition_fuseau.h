// The VTIMEZONE that states a zone's yearly rule the way every calendar
// program reads it, or why no such VTIMEZONE exists.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "regle_posix.h"

namespace vellumcast {

struct DefinitionEcrite {
  std::vector<std::string> lignes;  // BEGIN:VTIMEZONE to END:VTIMEZONE, no line ends
  std::string pourquoi_utc;         // when there are no lines: why, in words
  // From this local time (seconds from 1970-01-01T00:00:00 on the local
  // clock) a reader of the lines follows `regle`; before it, readers differ.
  int64_t premier_changement = 0;
};

// The VTIMEZONE of `tzid` for `regle`: one STANDARD observance and, with a
// second time, one DAYLIGHT (the larger offset), each with a yearly rule and
// its first onset in 1970. Without lines when the rule cannot be said that
// way: changes outside their day, a day of the year rather than a weekday,
// offsets with seconds.
DefinitionEcrite EcrireDefinition(std::string_view tzid, const RegleTz& regle);

}  // namespace vellumcast
