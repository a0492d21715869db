// A byte buffer that moves to an anonymous temporary file past a bound, so
// that a huge body or date list never has to fit in memory. The file lies in
// $TMPDIR (/tmp when it is not set or empty), and has no name from the start.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "statut.h"

namespace vellumcast {

class Tampon {
 public:
  // Past `limite` bytes the content moves to the file.
  Tampon(Erreurs* erreurs, size_t limite);
  ~Tampon();
  Tampon(const Tampon&) = delete;
  Tampon& operator=(const Tampon&) = delete;

  void Ajouter(char c) {
    mem_.push_back(c);
    if (mem_.size() >= limite_) Deborder();
  }
  void Ajouter(std::string_view s) {
    mem_.append(s);
    if (mem_.size() >= limite_) Deborder();
  }
  // Lets `ecrire` write up to `au_plus` bytes at the end: it is handed where
  // to write and returns where it stopped.
  template <typename Ecriture>
  void Ecrire(size_t au_plus, Ecriture&& ecrire) {
    size_t taille = mem_.size();
    mem_.resize(taille + au_plus);
    char* fin = ecrire(mem_.data() + taille);
    mem_.resize(static_cast<size_t>(fin - mem_.data()));
    if (mem_.size() >= limite_) Deborder();
  }
  // Empties the buffer; the next reading starts from its beginning.
  void Vider();
  size_t size() const { return sur_disque_ + mem_.size(); }
  bool empty() const { return size() == 0; }
  // Whether the buffer has moved to disk. Used by tests.
  bool deborde() const { return fd_ >= 0; }

  // Hands the whole content to `recevoir`, a piece at a time.
  void Copier(const std::function<void(std::string_view)>& recevoir);

  // Record by record reading, from the first record on.
  void Rembobiner() { lu_ = 0; }
  // The next record of `T`'s size into `*t`; false when none is whole.
  template <typename T>
  bool Suivant(T* t) {
    return Extraire(reinterpret_cast<char*>(t), sizeof(T));
  }

 private:
  void Deborder();
  bool Extraire(char* cible, size_t n);
  // The bytes at offset `pos` onwards, as many as are at hand.
  std::string_view Lire(size_t pos);

  Erreurs* erreurs_;
  size_t limite_;
  std::string mem_;        // the bytes after those on disk
  int fd_ = -1;            // the file, already unlinked, once the content has moved there
  std::string dossier_;    // the directory it lies in, for the error reports
  size_t sur_disque_ = 0;  // bytes written to the file
  size_t lu_ = 0;          // reading position
  std::string morceau_;    // a piece of the file read back
  size_t debut_morceau_ = 0;
};

}  // namespace vellumcast
