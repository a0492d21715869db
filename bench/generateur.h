// A seeded generator of synthetic calendar exports, for measuring the
// conversion: the same parameters always give the same bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vellumcast::banc {

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
};

// Writes the export, in ISO 8859-1 with CR LF line ends, piece by piece to `ecrire`.
void GenererExport(const ParametresExport& p, const std::function<void(std::string_view)>& ecrire);

// The whole export in memory, for the micro-benchmarks.
std::string ExportEnMemoire(const ParametresExport& p);

}  // namespace vellumcast::banc
