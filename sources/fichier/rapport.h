// The kinds of loss a run can meet, and the narrow interface through which
// the readers report them to whoever keeps the count.
#pragma once

#include <cstddef>

namespace vellumcast {

// The kinds of loss the summary tells, in the order it tells them.
enum class Perte {
  kApresLimite,      // an event left out as it starts in the year limit or later
  kSansDebut,        // a document with no start date, or none complete
  kDateCoupee,       // a date cut short by its line end or the end of the input
  kDateIlisible,     // text of a date list that fits no date
  kDateInvalide,     // a date left out as it is no calendar date
  kAnneeSurDeux,     // a date whose year has two digits, read with its century
  kJournee,          // an all-day event written
  kZoneIgnoree,      // a zone word after a time, not applied
  kHeureAmbigue,     // a local time that does not exist or occurs twice
  kSerie,            // a series written, one event for a document's dates
  kSansIdentifiant,  // a document named by the hash of its texts and dates
  kUidPartage,       // an event whose UID another event of the run took
  kControles,        // a byte 0x80 to 0x9F read as a control character
  kUtf8Probable,     // a valid UTF-8 sequence read as single bytes
  kUtf8Invalide,     // a byte that is not valid UTF-8, written as U+FFFD
};
constexpr size_t kPertes = 15;

// What a reader tells of the text it is reading; the one who implements it
// knows where that text stands in the input.
class Rapporteur {
 public:
  virtual ~Rapporteur() = default;
  // One occurrence of `perte` in the text being read.
  virtual void Signaler(Perte perte) = 0;
  // The bytes above 0x7F read so far do not all form UTF-8 sequences.
  virtual void PasUtf8() = 0;
};

}  // namespace vellumcast
