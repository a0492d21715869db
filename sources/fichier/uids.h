// The UIDs an import can match again: the hash that names a document without
// an identifier of its own, and the UIDs a run wrote, each taken once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellumcast {

// FNV-1a, 64 bits: the hash of the registry and of the stable UIDs.
constexpr uint64_t kFnvBase = 0xcbf29ce484222325ull;
constexpr uint64_t kFnvPremier = 0x100000001b3ull;

constexpr uint64_t Fnv1a(uint64_t h, std::string_view octets) {
  for (char c : octets) h = (h ^ static_cast<unsigned char>(c)) * kFnvPremier;
  return h;
}

// What names a document that has no identifier of its own: the FNV-1a hash
// of the bytes of its subject, location and date list items as read, each
// item's name and value followed by a line feed, in the document's order.
class Signature {
 public:
  void Ajouter(std::string_view octets) { h_ = Fnv1a(h_, octets); }
  void Vider() { h_ = kFnvBase; }
  // The hash in 16 lower-case hexadecimal digits.
  std::string Texte() const;

 private:
  uint64_t h_ = kFnvBase;
};

// The UIDs a run has written, held as 64-bit hashes, not as texts.
class UidsEcrits {
 public:
  // How many events took `uid` before this one, which now takes it too.
  uint32_t Compter(std::string_view uid);
  // Bytes held for the UIDs written. Used by tests.
  size_t octets() const { return cases_.capacity() * sizeof(Case); }

 private:
  struct Case {
    uint64_t hachage = 0;  // 0: free
    uint32_t nombre = 0;
  };
  void Agrandir();

  // Open addressing, at most half full.
  std::vector<Case> cases_;
  size_t occupees_ = 0;
};

}  // namespace vellumcast
