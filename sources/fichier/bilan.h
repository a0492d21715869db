// What a run wrote, and what it left out or could not convert faithfully:
// told to the user on standard error once the run is complete.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "rapport.h"
#include "reglages.h"

namespace vellumcast {

class BilanConversion {
 public:
  void Document() { ++documents_; }
  // An event written, starting in local year `annee`.
  void Evenement(int annee) {
    ++evenements_;
    premiere_ = evenements_ == 1 ? annee : std::min(premiere_, annee);
    derniere_ = evenements_ == 1 ? annee : std::max(derniere_, annee);
  }
  uint64_t evenements() const { return evenements_; }
  // The first and last local years the events written start in.
  int premiere_annee() const { return premiere_; }
  int derniere_annee() const { return derniere_; }
  void Repetition() { ++repetitions_; }

  // One occurrence of `perte`, on input line `ligne`.
  void Noter(Perte perte, uint64_t ligne);
  // A series written, holding `occurrences` events, for the list on `ligne`.
  void Serie(int occurrences, uint64_t ligne) {
    Noter(Perte::kSerie, ligne);
    occurrences_series_ += static_cast<uint64_t>(occurrences);
  }
  // A date left out as no calendar date, on input line `ligne`; `ordres`
  // are the date orders, as bits, under which it would be one.
  void DateInvalide(uint8_t ordres, uint64_t ligne);
  // A zone word not applied, on input line `ligne`.
  void ZoneIgnoree(std::string_view mot, uint64_t ligne);
  // The bytes above 0x7F read so far did not all form UTF-8 sequences.
  void PasUtf8() { pas_utf8_ = true; }

  // The summary: its lines, each "vellumcast: ..." and LF. `resultat` is the
  // result's name as the run wrote it; `zone_machine`, when not empty, the
  // note on the machine's own time zone.
  std::string Texte(std::string_view resultat, const Options& options,
                    std::string_view zone_machine = {}) const;

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
  // The hint that ends the note on dates left out: the one other order
  // under which all of them would be dates; empty when there is none.
  std::string Ordre(const Options& options) const;
  // The zone words not applied, each with its count.
  std::string Mots() const;

  uint64_t documents_ = 0;
  uint64_t evenements_ = 0;
  uint64_t repetitions_ = 0;
  uint64_t occurrences_series_ = 0;
  int premiere_ = 0;
  int derniere_ = 0;
  std::array<Releve, kPertes> releves_;
  // The orders under which every date left out would be a calendar date.
  uint8_t ordres_ = 0xFF;
  // The first zone words not applied, each with its count.
  struct Mot {
    std::string texte;
    uint64_t nombre = 0;
  };
  std::array<Mot, 4> mots_;
  size_t n_mots_ = 0;
  bool autres_mots_ = false;
  bool pas_utf8_ = false;
};

// The note on the machine's own time zone, named `nom` (none when it has no
// name), when its offsets differ from those of the zone the times were
// written in.
std::string NoteZoneMachine(const Options& options, const std::optional<std::string>& nom);

}  // namespace vellumcast
