// Stable UIDs: the hash of a document without identifier, the UIDs written.
#include "uids.h"

namespace vellumcast {

std::string Signature::Texte() const {
  static constexpr char kChiffres[] = "0123456789abcdef";
  std::string t(16, '0');
  for (int i = 15; i >= 0; --i) t[static_cast<size_t>(i)] = kChiffres[(h_ >> (4 * (15 - i))) & 15];
  return t;
}

uint32_t UidsEcrits::Compter(std::string_view uid) {
  if (2 * (occupees_ + 1) > cases_.size()) Agrandir();
  // Never 0, which marks a free slot.
  uint64_t h = Fnv1a(kFnvBase, uid);
  if (h == 0) h = 1;
  const size_t masque = cases_.size() - 1;
  for (size_t i = h & masque;; i = (i + 1) & masque) {
    Case& c = cases_[i];
    if (c.hachage == h) return c.nombre++;
    if (c.hachage == 0) {
      c.hachage = h;
      c.nombre = 1;
      ++occupees_;
      return 0;
    }
  }
}

void UidsEcrits::Agrandir() {
  std::vector<Case> anciennes(cases_.empty() ? 64 : 2 * cases_.size());
  anciennes.swap(cases_);
  const size_t masque = cases_.size() - 1;
  for (const Case& c : anciennes) {
    if (c.hachage == 0) continue;
    size_t i = c.hachage & masque;
    while (cases_[i].hachage != 0) i = (i + 1) & masque;
    cases_[i] = c;
  }
}

}  // namespace vellumcast
