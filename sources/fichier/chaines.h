// Short texts and the character operations on them.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "statut.h"

namespace vellumcast {

constexpr int LONG_MAX_CHAINE = 255;

// A text of at most 255 single-byte characters; what does not fit is dropped.
class CHAINE {
 public:
  CHAINE() = default;
  CHAINE(std::string_view s) { Ajouter(s); }  // NOLINT: texts convert freely

  void Ajouter(char c) {
    if (n_ < LONG_MAX_CHAINE) c_[n_++] = c;
  }
  void Ajouter(std::string_view s) {
    size_t place = static_cast<size_t>(LONG_MAX_CHAINE - n_);
    if (s.size() > place) s = s.substr(0, place);
    // Item names are short: eight bytes at a time, the last eight overlapping,
    // instead of a general copy that costs more to start than to run.
    char* d = c_ + n_;
    size_t n = s.size();
    if (n >= 8) {
      for (size_t i = 0; i + 8 < n; i += 8) std::memcpy(d + i, s.data() + i, 8);
      std::memcpy(d + n - 8, s.data() + n - 8, 8);
    } else {
      for (size_t i = 0; i < n; ++i) d[i] = s[i];
    }
    n_ = static_cast<uint8_t>(n_ + n);
  }
  void Vider() { n_ = 0; }
  // Drops the last character.
  void Retirer() {
    if (n_ > 0) --n_;
  }
  int size() const { return n_; }
  bool empty() const { return n_ == 0; }
  char operator[](int i) const { return c_[i]; }
  std::string_view vue() const { return {c_, n_}; }
  operator std::string_view() const { return vue(); }  // NOLINT

 private:
  uint8_t n_ = 0;
  char c_[LONG_MAX_CHAINE];
};

// These five run for nearly every character read: they are inline.
// Whether `ch` begins with `msg`, byte for byte.
inline bool STARTSWITH(std::string_view ch, std::string_view msg) { return ch.starts_with(msg); }
// The last character of `ch`, or code 0 when it is empty.
inline char LASTCHAR(std::string_view ch) { return ch.empty() ? '\0' : ch.back(); }
// Codes 48 to 57.
inline bool ISAFIGURE(char c) { return c >= '0' && c <= '9'; }
// Codes 65 to 90.
inline bool ISUPPERCASE(char c) { return c >= 'A' && c <= 'Z'; }
// A to Z made small; every other code unchanged.
inline char TOLOWERCASE(char c) { return ISUPPERCASE(c) ? static_cast<char>(c + 32) : c; }
// The decimal digits of `i`, without sign or leading zeros.
CHAINE INT2STR(int32_t i);
// The value of the digits of `ch`, other characters passed over; sets
// `*debordement` (error 215) when a step leaves the signed 32-bit range.
int32_t STR2INT(std::string_view ch, Statut* debordement);
// Whether `ch1` begins with the word `ch2`, A to Z folded: the word ends `ch1`
// or is followed by a blank, "=" or ">". False for an empty `ch2`.
bool EQUIVAL(std::string_view ch1, std::string_view ch2);

}  // namespace vellumcast
