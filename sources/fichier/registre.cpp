// The registry's hashed index of identifiers and their word prefixes.
#include "registre.h"

#include "chaines.h"
#include "uids.h"

namespace vellumcast {

namespace {

// FNV-1a over the folded bytes: the hash of each prefix comes on the way.
uint64_t Suivant(uint64_t h, char c) {
  return (h ^ static_cast<unsigned char>(TOLOWERCASE(c))) * kFnvPremier;
}

// The final hash of a key: never 0, which marks a free slot.
uint64_t Hachage(uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdull;
  h ^= h >> 33;
  return h == 0 ? 1 : h;
}

bool EgauxPlies(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (TOLOWERCASE(a[i]) != TOLOWERCASE(b[i])) return false;
  }
  return true;
}

}  // namespace

Registre::Registre() : debuts_{0}, cles_(64) { Stocker("0"); }

size_t Registre::octets() const {
  return textes_.capacity() + debuts_.capacity() * sizeof(uint64_t) +
         cles_.capacity() * sizeof(Cle);
}

size_t Registre::Chercher(uint64_t hachage, std::string_view texte) const {
  size_t masque = cles_.size() - 1;
  for (size_t i = hachage & masque;; i = (i + 1) & masque) {
    const Cle& c = cles_[i];
    if (c.hachage == 0) return i;
    if (c.hachage == hachage &&
        EgauxPlies(std::string_view(textes_).substr(c.debut, c.longueur), texte)) {
      return i;
    }
  }
}

void Registre::Agrandir() {
  std::vector<Cle> anciennes(cles_.size() * 2);
  anciennes.swap(cles_);
  size_t masque = cles_.size() - 1;
  for (const Cle& c : anciennes) {
    if (c.hachage == 0) continue;
    size_t i = c.hachage & masque;
    while (cles_[i].hachage != 0) i = (i + 1) & masque;
    cles_[i] = c;
  }
}

void Registre::Indexer(uint64_t hachage, size_t debut, size_t longueur) {
  size_t i = Chercher(hachage, std::string_view(textes_).substr(debut, longueur));
  if (cles_[i].hachage != 0) return;
  cles_[i].hachage = hachage;
  cles_[i].debut = debut;
  cles_[i].longueur = longueur;
  if (++occupees_ * 2 > cles_.size()) Agrandir();
}

void Registre::Stocker(std::string_view uid) {
  size_t debut = textes_.size();
  textes_.append(uid);
  debuts_.push_back(textes_.size());
  uint64_t h = kFnvBase;
  for (size_t k = 0; k < uid.size(); ++k) {
    if (k > 0 && (uid[k] == ' ' || uid[k] == '=' || uid[k] == '>')) {
      Indexer(Hachage(h), debut, k);
    }
    h = Suivant(h, uid[k]);
  }
  if (!uid.empty()) Indexer(Hachage(h), debut, uid.size());
}

bool Registre::DejaRencontre(std::string_view uid) {
  if (!uid.empty()) {
    uint64_t h = kFnvBase;
    for (char c : uid) h = Suivant(h, c);
    if (cles_[Chercher(Hachage(h), uid)].hachage != 0) return true;
  }
  Stocker(uid);
  return false;
}

}  // namespace vellumcast
