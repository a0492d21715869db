// The words after a time that state its offset from UTC exactly.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vellumcast {

// The offset, in seconds east of UTC, that `mot` states: 0 for UTC, UT, GMT
// and Z; +hh, +hhmm, +hh:mm and their "-" forms, alone or after UTC, UT or
// GMT, where one or two hour digits may be given (GMT+1, UTC-5, UTC+05:30),
// east of UTC with "+" whatever the tz database's Etc/GMT+1 means. Letters in
// any case. None for any other word.
std::optional<int32_t> DecalageDuMot(std::string_view mot);

}  // namespace vellumcast
