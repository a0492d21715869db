// What a conversion can be told beyond its input.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vellumcast {

constexpr int32_t kAnneeLimite = 2012;
constexpr size_t kLimiteMemoire = size_t{1} << 20;

struct Options {
  // Start dates of this year or later give no event.
  int32_t annee_limite = kAnneeLimite;
  // Past this many bytes the event buffer, a date list or the capture moves to disk.
  size_t limite_memoire = kLimiteMemoire;
};

}  // namespace vellumcast
