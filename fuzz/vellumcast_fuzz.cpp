// Coverage-guided fuzzing of a whole conversion: any bytes make an export, and
// the result must keep every rule of invariants.h. A broken rule aborts, so
// the fuzzer keeps the input as a crash.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "invariants.h"
#include "reglages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view entree(reinterpret_cast<const char*>(data), size);
  // One input in three runs with a tiny memory bound, so that the event buffer
  // and the date lists go through their temporary files as well.
  vellumcast::Options options = vellumcast::OptionsTirees(entree);
  if (size > 0 && data[0] % 3 == 0) options.limite_memoire = 1 + size % 97;
  vellumcast::Decompte bilan = vellumcast::VerifierConversion(entree, options);
  if (!bilan.erreur.empty()) {
    std::fprintf(stderr, "broken rule: %s\n", bilan.erreur.c_str());
    std::abort();
  }
  // Moving to disk must change nothing of what is written.
  vellumcast::Options en_memoire = options;
  en_memoire.limite_memoire = vellumcast::kLimiteMemoire;
  if (options.limite_memoire != vellumcast::kLimiteMemoire &&
      vellumcast::VerifierConversion(entree, en_memoire).resultat != bilan.resultat) {
    std::fprintf(stderr, "broken rule: the result differs once spilled to disk\n");
    std::abort();
  }
  // Another third is also read from a file whose first read ends inside it,
  // where the fast paths that take runs of bytes from the reader's buffer
  // must give what reading it from memory gives.
  if (size > 2 && data[0] % 3 == 1) {
    size_t position = (data[1] | static_cast<size_t>(data[2]) << 8) % (size + 1);
    std::string ecart = vellumcast::VerifierFrontiere(entree, position, options);
    if (!ecart.empty()) {
      std::fprintf(stderr, "broken rule: %s\n", ecart.c_str());
      std::abort();
    }
  }
  return 0;
}
