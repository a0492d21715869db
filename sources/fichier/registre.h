// The identifier registry: the identifiers of the recurring documents met so
// far in the run, searched the way EQUIVAL compares them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellumcast {

class Registre {
 public:
  // The registry starts with its record 0, holding "0".
  Registre();

  // True when a stored identifier s gives EQUIVAL(s, uid); otherwise `uid` is
  // stored as a new record and the result is false. Costs the same however
  // many identifiers are stored. `uid` holds at most 255 bytes, as CH_UID does.
  bool DejaRencontre(std::string_view uid);

  // Number of records, record 0 included.
  size_t size() const { return debuts_.size() - 1; }
  // Record `k` as stored (record 0 is "0").
  std::string record(size_t k) const {
    return textes_.substr(debuts_[k], debuts_[k + 1] - debuts_[k]);
  }
  // Bytes held for the records and their index.
  size_t octets() const;

 private:
  // One key of the index: the A-to-Z-folded text of `longueur` bytes at
  // `debut` in textes_, known by its hash. A slot whose `hachage` is 0 is free.
  struct Cle {
    uint64_t hachage = 0;
    uint64_t debut : 48 = 0;
    uint64_t longueur : 16 = 0;
  };

  void Stocker(std::string_view uid);
  // Adds a key unless an equal one is already there.
  void Indexer(uint64_t hachage, size_t debut, size_t longueur);
  void Agrandir();
  // The slot of the key equal to `texte` (folded) with hash `hachage`, or the
  // free slot where it would go.
  size_t Chercher(uint64_t hachage, std::string_view texte) const;

  // Every record's text, one after the other; record k runs from debuts_[k]
  // to debuts_[k + 1]. One block instead of one allocation per identifier.
  std::string textes_;
  std::vector<uint64_t> debuts_;
  // Open addressing, at most half full. The keys are the texts EQUIVAL would
  // accept as its second argument for some record: each folded record whole,
  // and each of its prefixes followed by a blank, "=" or ">".
  std::vector<Cle> cles_;
  size_t occupees_ = 0;
};

}  // namespace vellumcast
