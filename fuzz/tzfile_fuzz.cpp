// Coverage-guided fuzzing of the zone files and TZ strings a run may be given:
// any bytes are a file of the tz database or a rule, read or refused; a zone
// read places local times from its bytes and writes its definition without
// breaking the shape of a VTIMEZONE.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuseau.h"
#include "tzfile.h"

namespace {

void Rompre(const char* regle) {
  std::fprintf(stderr, "broken rule: %s\n", regle);
  std::abort();
}

// Local times from the bytes, years from far back to far ahead.
void Placer(const vellumcast::Fuseau& fuseau, std::string_view octets) {
  for (size_t k = 0; k + 4 <= octets.size() && k < 64; k += 4) {
    const auto u = [&](size_t i) { return static_cast<unsigned char>(octets[k + i]); };
    const vellumcast::HeureCivile h{
        -5000 + (u(0) << 8 | u(1)) % 15000, 1 + u(2) % 12, 1 + u(3) % 28, u(2) % 24, u(3) % 60, 0};
    const vellumcast::Placement p = fuseau.Placer(h);
    if (p.inexistante && p.double_) Rompre("a local time both skipped and met twice");
    if (p.locale && (p.inexistante || p.double_)) Rompre("a skipped or double time written local");
    fuseau.Abreviation(h);
  }
}

void Forme(const vellumcast::Fuseau& fuseau) {
  const auto& lignes = fuseau.Definition();
  if (fuseau.ToutEnUtc() != lignes.empty()) Rompre("lines exactly when not all in UTC");
  if (!lignes.empty() &&
      (lignes.front() != "BEGIN:VTIMEZONE" || lignes.back() != "END:VTIMEZONE")) {
    Rompre("a definition is one VTIMEZONE");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view octets(reinterpret_cast<const char*>(data), size);
  vellumcast::DonneesTz donnees;
  std::string erreur;
  if (vellumcast::LireTzfile(octets, &donnees, &erreur)) {
    const vellumcast::Fuseau fuseau = vellumcast::Fuseau::DeDonnees("Fuzz/Zone", donnees);
    Forme(fuseau);
    Placer(fuseau, octets.substr(octets.size() / 2));
  } else if (erreur.empty()) {
    Rompre("a refused file says why");
  }
  // The same bytes as a TZ string.
  vellumcast::Fuseau fuseau;
  if (vellumcast::Fuseau::DeRegle(octets.substr(0, 64), &fuseau, &erreur)) {
    Forme(fuseau);
    Placer(fuseau, octets);
  }
  return 0;
}
