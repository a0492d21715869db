// The offsets a zone gives over time: its transitions, then its yearly rule,
// laid out in one table that places a local time by a binary search.
#pragma once

#include <cstdint>
#include <vector>

#include "regle_posix.h"
#include "tzfile.h"

namespace vellumcast {

// Where a local time falls.
struct Lieu {
  int64_t utc = 0;           // seconds since 1970-01-01T00:00:00Z
  int type = 0;              // the local time type in force then
  bool inexistante = false;  // skipped by a change: placed with the offset before it
  bool double_ = false;      // met twice: placed at the first
};

class Historique {
 public:
  // UTC at every instant.
  Historique();
  // A file's transitions, then its rule.
  explicit Historique(const DonneesTz& donnees);
  // The rule alone, in every year.
  explicit Historique(const RegleTz& regle);

  // The instant of the local time `locale` (seconds from 1970-01-01T00:00:00
  // on the local clock), with RFC 5545's choice at a gap or an overlap.
  Lieu Placer(int64_t locale) const;
  // The type in force at the instant `utc`.
  int TypeA(int64_t utc) const;
  const TypeTz& Type(int type) const { return types_[static_cast<size_t>(type)]; }
  // The instants in [debut, fin) at which the type may change, in order.
  std::vector<int64_t> Changements(int64_t debut, int64_t fin) const;

 private:
  // From `debut` on, types_[type] is in force.
  struct Periode {
    int64_t debut;
    int32_t decalage;
    int type;
  };

  int TypeDe(int32_t decalage, bool ete, const std::string& abreviation);
  void Ajouter(int64_t debut, int type);
  void EtendreParRegle(const RegleTz& regle, int premiere_annee, int derniere_annee);
  void Bornes();
  // Fills `seaux_` from `bornes_`.
  void Indexer();
  // The number of bornes at or below the local time `l`: the period that
  // gives it is periodes_[that number].
  size_t Chercher(int64_t l) const;
  // The number of 400-year cycles to take from `instant` so that it lies in
  // the table; the rule repeats itself over each.
  int64_t Cycles(int64_t instant) const;

  std::vector<TypeTz> types_;
  std::vector<Periode> periodes_;  // periodes_[0] from the beginning of time
  // bornes_[k]: the earliest local time that period k + 1 can give; local
  // times from there to its own first are skipped or met twice.
  std::vector<int64_t> bornes_;
  // Buckets of 2^kLargeurSeau seconds (about 49 days) of local time from
  // debut_seaux_ on: seaux_[s] is the number of bornes at or below the
  // bucket's start, so that a search scans the one or two of its bucket.
  static constexpr int kLargeurSeau = 22;
  std::vector<uint32_t> seaux_;
  int64_t debut_seaux_ = 0;
  // From `reduire_des_` on, and below `reduire_sous_`, the rule alone decides:
  // an instant there is taken whole cycles back into [base_, reduire_des_).
  int64_t base_ = 0;
  int64_t reduire_sous_ = INT64_MIN;
  int64_t reduire_des_ = INT64_MAX;
};

}  // namespace vellumcast
