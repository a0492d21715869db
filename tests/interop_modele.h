// What a calendar program should read back from the conversion of an export,
// worked out from the export's text alone, without the conversion's code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellumcast::interop {

// One text property as a reader should see it after unfolding and unescaping.
// `verifiable` is false for values whose reading is not pinned down (control
// bytes, bytes 128 to 159): only their presence is checked.
struct TexteAttendu {
  bool verifiable = true;
  std::string valeur;  // UTF-8
};

// One event block, in the order the result holds them.
struct EvenementAttendu {
  std::string uid;
  bool uid_verifiable = true;  // printable ASCII without backslash, comma or semicolon
  std::string debut;           // yyyymmddThhmmss
  std::string fin;             // empty: no DTEND
  std::vector<TexteAttendu> resumes;
  std::vector<TexteAttendu> lieux;
  std::vector<TexteAttendu> descriptions;
};

// The UTF-8 form of ISO 8859-1 text, byte 0 read as a blank.
std::string Utf8DeLatin1(std::string_view latin1);

// The value a reader gets back from a text taken from the input: blanks at
// both ends are not kept by the readers (the converter drops the leading
// ones, iCalendar readers the trailing ones).
TexteAttendu TexteLu(std::string_view latin1);

// The events of `texte` when start years of `annee_limite` or later are left
// out. Only exports whose dates are well formed (day/month/year of 1, 1 and 4
// digits, hours:minutes[:seconds] of 1 or 2 digits) are predicted: for any
// other, `*incertitude` tells the first date that could not be read.
std::vector<EvenementAttendu> LireAttendus(std::string_view texte, int32_t annee_limite,
                                           std::string* incertitude);

}  // namespace vellumcast::interop
