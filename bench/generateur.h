// A seeded generator of synthetic calendar exports, for measuring the
// conversion: the same parameters always give the same bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vellumcast::banc {

// The generator's random source, splitmix64: small, fast and the same on
// every platform, so that a seed gives the same bytes everywhere.
class Alea {
 public:
  explicit Alea(uint64_t graine) : etat_(graine) {}
  uint64_t Suivant() {
    uint64_t z = (etat_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // A value from 0 to n - 1.
  uint64_t Moins(uint64_t n) { return n == 0 ? 0 : Suivant() % n; }
  // A value from a to b inclusive.
  int Entre(int a, int b) { return a + static_cast<int>(Moins(static_cast<uint64_t>(b - a + 1))); }
  bool Chance(double p) { return static_cast<double>(Suivant() >> 11) * 0x1.0p-53 < p; }

 private:
  uint64_t etat_;
};

struct ParametresExport {
  uint64_t documents = 1000;
  uint64_t graine = 1;
  // Share of the dates that fall before 2012 (and so give events).
  double avant_2012 = 0.5;
  // Share of the documents that are recurring (several dates, a comma in the lists).
  double part_recurrents = 0.3;
  // Share of the realistic documents that carry an embedded calendar
  // ("$ICAL_ORIG_STREAM:" and about 1 KB of iCalendar lines), as real exports do.
  double part_ical = 0.07;
  // Distinct recurring identifiers; 0 means one for every ten recurring
  // documents, at most 3,000 (a few thousand, as a real calendar holds).
  uint64_t recurrents = 0;
  // Tiny documents (a subject, a date list, an identifier, a one-line body)
  // instead of realistic ones of about 1 KB.
  bool petits = false;
  // When `annee_max` is not 0: every date lies in the years `annee_min` to
  // `annee_max`, at any hour and minute of the day (`avant_2012` then plays
  // no part).
  int annee_min = 0;
  int annee_max = 0;
  // With those years: no start or end time from 01:00 to 03:59 on the last
  // Sunday of March or of October, the hours around the summer time changes.
  bool hors_changements = false;
};

// Writes the export, in ISO 8859-1 with CR LF line ends, piece by piece to `ecrire`.
void GenererExport(const ParametresExport& p, const std::function<void(std::string_view)>& ecrire);

// The whole export in memory, for the micro-benchmarks.
std::string ExportEnMemoire(const ParametresExport& p);

}  // namespace vellumcast::banc
