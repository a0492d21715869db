// Europe/Paris built in: the default zone needs no tz database on the machine.
#pragma once

#include <string_view>

#include "tzfile.h"

namespace vellumcast {

// Europe/Paris's transitions up to 1995, as the tz database gives them.
const DonneesTz& DonneesParis();

// The rule Europe/Paris has followed since 1996, the European Union's.
constexpr std::string_view kRegleParis = "CET-1CEST,M3.5.0,M10.5.0/3";

}  // namespace vellumcast
