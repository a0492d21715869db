// What a run wrote, and what it left out or could not convert faithfully:
// told to the user on standard error once the run is complete.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "reglages.h"

namespace vellumcast {

class Source;

// The kinds of loss the summary tells, in the order it tells them.
enum class Perte {
  kAnneeLimite,   // an event left out as it starts in the year limit or later
  kSansDebut,     // a document with no start date, or none complete
  kDateCoupee,    // a date cut short by its line end or the end of the input
  kDateInvalide,  // a date written that is not a calendar date-time
  kControles,     // a byte 0x80 to 0x9F read as a control character
  kUtf8Probable,  // a valid UTF-8 sequence read as single bytes
  kUtf8Invalide,  // a byte that is not valid UTF-8, written as U+FFFD
};
constexpr size_t kPertes = 7;

class BilanConversion {
 public:
  // `source` tells the line being read, for the losses noted as it is read.
  explicit BilanConversion(const Source* source) : source_(source) {}

  void Document() { ++documents_; }
  void Evenement() { ++evenements_; }
  void Repetition() { ++repetitions_; }

  // One occurrence of `perte`, on input line `ligne`.
  void Noter(Perte perte, uint64_t ligne);
  // One occurrence of `perte` on the line being read.
  void Noter(Perte perte);
  // An invalid date that would be one with its day and month the other way round.
  void MoisPremier() { mois_premier_ = true; }
  // The bytes above 0x7F read so far did not all form UTF-8 sequences.
  void PasUtf8() { pas_utf8_ = true; }

  // The summary: its lines, each "vellumcast: ..." and LF. `resultat` is the
  // result's name as the run wrote it.
  std::string Texte(std::string_view resultat, const Options& options) const;

 private:
  struct Releve {
    uint64_t nombre = 0;
    std::array<uint64_t, 3> lignes{};  // the first three lines, each once
    size_t n_lignes = 0;
    bool autres = false;  // on further lines too
  };

  static std::string Lignes(const Releve& r);
  // The words of the note on `perte`, after "note: ".
  std::string Note(Perte perte, const Releve& r, const Options& options) const;

  const Source* source_;
  uint64_t documents_ = 0;
  uint64_t evenements_ = 0;
  uint64_t repetitions_ = 0;
  std::array<Releve, kPertes> releves_;
  bool mois_premier_ = false;
  bool pas_utf8_ = false;
};

}  // namespace vellumcast
