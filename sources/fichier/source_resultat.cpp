// The character reader: the skips that take more than one read.
#include "source_resultat.h"

namespace vellumcast {

void Source::PasserBlancs() {
  for (;;) {
    std::string_view d = Suite();
    size_t n = 0;
    while (n < d.size() && d[n] == ' ') ++n;
    if (n > 0) Prendre(n);
    // A carriage return among the blanks is dropped like any other.
    if (n < d.size() ? d[n] != '\r' : d.empty()) return;
  }
}

void Source::SauterLigne() {
  if (END_OF_LINE) return;
  if (Passer<'\n', kFinEntree>() == '\n') NEXTCAR();
}

}  // namespace vellumcast
