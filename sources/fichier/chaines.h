// Short texts, the character operations on them, and the trace log.
#pragma once

#include <cstdint>
#include <string_view>

#include "statut.h"

namespace vellumcast {

class Console;
class Ecrivain;

constexpr int LONG_MAX_CHAINE = 255;

// A text of at most 255 single-byte characters; what does not fit is dropped.
class CHAINE {
 public:
  CHAINE() = default;
  CHAINE(std::string_view s) { Ajouter(s); }  // NOLINT: texts convert freely

  void Ajouter(char c) {
    if (n_ < LONG_MAX_CHAINE) c_[n_++] = c;
  }
  void Ajouter(std::string_view s);
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

// Whether `ch` begins with `msg`, byte for byte.
bool STARTSWITH(std::string_view ch, std::string_view msg);
// The last character of `ch`, or code 0 when it is empty.
char LASTCHAR(std::string_view ch);
// Codes 48 to 57.
bool ISAFIGURE(char c);
// Codes 65 to 90.
bool ISUPPERCASE(char c);
// A to Z made small; every other code unchanged.
char TOLOWERCASE(char c);
// The decimal digits of `i`, without sign or leading zeros.
CHAINE INT2STR(int32_t i);
// The value of the digits of `ch`, other characters passed over; sets
// `*debordement` (error 215) when a step leaves the signed 32-bit range.
int32_t STR2INT(std::string_view ch, Statut* debordement);
// Whether `ch1` begins with the word `ch2`, A to Z folded: the word ends `ch1`
// or is followed by a blank, "=" or ">". False for an empty `ch2`.
bool EQUIVAL(std::string_view ch1, std::string_view ch2);

// The trace: each line goes to the log when TRACE is set, then to the console.
class Trace {
 public:
  Trace(Erreurs* erreurs, Console* console) : erreurs_(erreurs), console_(console) {}

  Ecrivain* LOGFILE = nullptr;
  bool TRACE = false;

  // Writes `ch` and CR LF to the log (when TRACE is set), then to the console.
  // Nothing is written once the run has failed.
  void REPORT(std::string_view ch);

 private:
  Erreurs* erreurs_;
  Console* console_;
};

}  // namespace vellumcast
