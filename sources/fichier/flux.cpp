// The byte streams' system calls: reads, writes, closes and their failures.
#include "flux.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vellumcast {

Lecteur::Lecteur(Erreurs* erreurs, std::string nom, int fd, bool proprietaire)
    : erreurs_(erreurs),
      nom_(std::move(nom)),
      fd_(fd),
      proprietaire_(proprietaire),
      possede_(new char[kTailleTampon]),
      tampon_(possede_.get()) {}

Lecteur::Lecteur(Erreurs* erreurs, std::string_view texte)
    : erreurs_(erreurs), fini_(true), possede_(new char[texte.size() + 1]) {
  tampon_ = possede_.get();
  texte.copy(tampon_, texte.size());
  fin_ = texte.size();
}

Lecteur::~Lecteur() {
  if (proprietaire_ && fd_ >= 0) ::close(fd_);
}

bool Lecteur::Remplir() {
  if (fini_ || fd_ < 0) return false;
  if (erreurs_ != nullptr && erreurs_->echec()) return false;
  for (;;) {
    ssize_t n = ::read(fd_, tampon_, kTailleTampon);
    if (n > 0) {
      pos_ = 0;
      fin_ = static_cast<size_t>(n);
      octets_lus_ += fin_;
      return true;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) au_bout_ = true;
    if (n < 0 && erreurs_ != nullptr) {
      erreurs_->Signaler(Statut::Fichier(Operation::kLecture, errno, nom_));
    }
    // The end holds, so one Ctrl-D ends documents typed on a terminal; the
    // console asks again with Reprendre when it wants a new line or key.
    fini_ = true;
    pos_ = fin_ = 0;
    return false;
  }
}

void Lecteur::Reprendre() {
  if (fd_ >= 0 && ::isatty(fd_) == 1) fini_ = false;
}

bool Lecteur::Fermer() {
  bool ok = true;
  if (proprietaire_ && fd_ >= 0) ok = ::close(fd_) == 0;
  proprietaire_ = false;
  fd_ = -1;
  fini_ = true;
  pos_ = fin_ = 0;
  return ok;
}

Ecrivain::Ecrivain(Erreurs* erreurs, std::string nom, int fd, bool proprietaire)
    : erreurs_(erreurs),
      nom_(std::move(nom)),
      fd_(fd),
      proprietaire_(proprietaire),
      tampon_(new char[kTailleTampon]) {}

Ecrivain::Ecrivain(Erreurs* erreurs, std::string nom, std::string* cible)
    : erreurs_(erreurs), nom_(std::move(nom)), cible_(cible), tampon_(new char[kTailleTampon]) {}

Ecrivain::~Ecrivain() { Fermer(); }

void Ecrivain::EcrireLong(std::string_view s) {
  Transmettre();
  if (s.size() >= kTailleTampon) {
    Envoyer(s.data(), s.size());
    return;
  }
  s.copy(tampon_.get(), s.size());
  n_ = s.size();
}

bool Ecrivain::Envoyer(const char* p, size_t n) {
  if (echec_) return false;
  if (cible_ != nullptr) {
    cible_->append(p, n);
    return true;
  }
  while (n > 0) {
    ssize_t k = ::write(fd_, p, n);
    if (k < 0 && errno == EINTR) continue;
    if (k > 0) {
      p += k;
      n -= static_cast<size_t>(k);
      continue;
    }
    int erreur = k < 0 ? errno : EIO;
    echec_ = true;
    if (erreurs_ != nullptr) {
      erreurs_->Signaler(Statut::Fichier(Operation::kEcriture, erreur, nom_));
    }
    return false;
  }
  return true;
}

bool Ecrivain::Transmettre() {
  size_t n = n_;
  n_ = 0;
  if (n > 0) Envoyer(tampon_.get(), n);
  return !echec_;
}

bool Ecrivain::Fermer() {
  if (ferme_) return !echec_;
  ferme_ = true;
  Transmettre();
  if (proprietaire_ && fd_ >= 0) {
    if (::close(fd_) != 0 && !echec_) {
      echec_ = true;
      if (erreurs_ != nullptr) {
        erreurs_->Signaler(Statut::Fichier(Operation::kEcriture, errno, nom_));
      }
    }
  }
  proprietaire_ = false;
  return !echec_;
}

}  // namespace vellumcast
