// Buffered byte streams over a descriptor or over memory: the only code that
// reads or writes bytes for the rest of the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "statut.h"

namespace vellumcast {

// Reads bytes through a large buffer, so that taking one byte costs no system call.
class Lecteur {
 public:
  static constexpr size_t kTailleTampon = 1 << 18;

  // Reads descriptor `fd`, named `nom` in error reports; closes it when `proprietaire`.
  Lecteur(Erreurs* erreurs, std::string nom, int fd, bool proprietaire);
  // Reads the bytes of `texte`, then nothing.
  Lecteur(Erreurs* erreurs, std::string_view texte);
  ~Lecteur();
  Lecteur(const Lecteur&) = delete;
  Lecteur& operator=(const Lecteur&) = delete;

  // The next byte, or -1 once nothing is left (or the read failed).
  int Octet() {
    if (pos_ == fin_ && !Remplir()) return -1;
    return static_cast<unsigned char>(tampon_[pos_++]);
  }
  // The bytes read ahead and not yet taken; refills when none are left.
  std::string_view Disponible() {
    if (pos_ == fin_) Remplir();
    return {tampon_ + pos_, fin_ - pos_};
  }
  void Avancer(size_t n) { pos_ += n; }
  // Drops the bytes read ahead; the next byte comes from the descriptor.
  void OublierAvance() { pos_ = fin_; }
  int fd() const { return fd_; }
  // Closes the descriptor; true when it closed cleanly (or was not owned).
  bool Fermer();
  // After an end of input met on a terminal, lets the next read wait for the
  // user again (a terminal can deliver more after Ctrl-D; a file cannot).
  void Reprendre();
  // The bytes the descriptor has delivered so far, and whether it has since
  // said that nothing is left.
  uint64_t octets_lus() const { return octets_lus_; }
  bool au_bout() const { return au_bout_; }

 private:
  bool Remplir();

  Erreurs* erreurs_;
  std::string nom_;
  int fd_ = -1;
  bool proprietaire_ = false;
  bool fini_ = false;
  bool au_bout_ = false;
  uint64_t octets_lus_ = 0;
  std::unique_ptr<char[]> possede_;
  char* tampon_ = nullptr;
  size_t pos_ = 0;
  size_t fin_ = 0;
};

// Writes bytes through a buffer to a descriptor or into a string. The first
// failure is reported to the run's errors; every later write is dropped.
class Ecrivain {
 public:
  static constexpr size_t kTailleTampon = 1 << 16;

  Ecrivain(Erreurs* erreurs, std::string nom, int fd, bool proprietaire);
  // Appends to `*cible`.
  Ecrivain(Erreurs* erreurs, std::string nom, std::string* cible);
  ~Ecrivain();
  Ecrivain(const Ecrivain&) = delete;
  Ecrivain& operator=(const Ecrivain&) = delete;

  void Ecrire(char c) {
    if (n_ == kTailleTampon) Transmettre();
    tampon_[n_++] = c;
  }
  void Ecrire(std::string_view s) {
    if (s.size() <= kTailleTampon - n_) {
      s.copy(tampon_.get() + n_, s.size());
      n_ += s.size();
    } else {
      EcrireLong(s);
    }
  }
  // Writes the buffered bytes; false when this writer has failed.
  bool Transmettre();
  // Flushes and closes; false when anything failed.
  bool Fermer();
  bool echec() const { return echec_; }

 private:
  void EcrireLong(std::string_view s);
  bool Envoyer(const char* p, size_t n);

  Erreurs* erreurs_;
  std::string nom_;
  int fd_ = -1;
  bool proprietaire_ = false;
  std::string* cible_ = nullptr;
  std::unique_ptr<char[]> tampon_;
  size_t n_ = 0;
  bool echec_ = false;
  bool ferme_ = false;
};

}  // namespace vellumcast
