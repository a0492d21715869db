// The buffer's move to disk and its reading back, line by line.
#include "tampon.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vellumcast {

namespace {

constexpr size_t kMorceau = 1 << 16;

// Where the temporary files go.
std::string DossierTemporaire() {
  const char* dossier = std::getenv("TMPDIR");
  return dossier != nullptr && *dossier != '\0' ? dossier : "/tmp";
}

// A file for reading and writing in `dossier` that no name reaches: made
// without one where the file system can, else named and unlinked at once.
// -1, with errno set, when neither works.
int CreerAnonyme(const std::string& dossier) {
  int fd = ::open(dossier.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0) return fd;
  std::string modele = dossier + "/vellumcast-XXXXXX";
  fd = ::mkostemp(modele.data(), O_CLOEXEC);
  if (fd >= 0) ::unlink(modele.c_str());
  return fd;
}

}  // namespace

Tampon::Tampon(Erreurs* erreurs, size_t limite)
    : erreurs_(erreurs), limite_(std::max<size_t>(limite, 1)) {}

Tampon::~Tampon() {
  if (fd_ >= 0) ::close(fd_);
}

void Tampon::Vider() {
  mem_.clear();
  lu_ = 0;
  morceau_.clear();
  if (fd_ >= 0 && sur_disque_ > 0) {
    if (::ftruncate(fd_, 0) != 0) {
      erreurs_->Signaler(Statut::Fichier(Operation::kEcriture, errno, dossier_));
    }
  }
  sur_disque_ = 0;
}

void Tampon::Deborder() {
  if (fd_ < 0) {
    dossier_ = DossierTemporaire();
    fd_ = CreerAnonyme(dossier_);
    if (fd_ < 0) {
      erreurs_->Signaler(Statut::Fichier(Operation::kOuverture, errno, dossier_));
      mem_.clear();
      return;
    }
    // Once on disk, memory only gathers a piece at a time.
    limite_ = kMorceau;
  }
  const char* p = mem_.data();
  size_t n = mem_.size();
  while (n > 0) {
    ssize_t k = ::pwrite(fd_, p, n, static_cast<off_t>(sur_disque_));
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) {
      erreurs_->Signaler(Statut::Fichier(Operation::kEcriture, k < 0 ? errno : ENOSPC, dossier_));
      break;
    }
    p += k;
    n -= static_cast<size_t>(k);
    sur_disque_ += static_cast<size_t>(k);
  }
  mem_.clear();
}

std::string_view Tampon::Lire(size_t pos) {
  if (pos >= sur_disque_) return std::string_view(mem_).substr(pos - sur_disque_);
  if (pos < debut_morceau_ || pos >= debut_morceau_ + morceau_.size()) {
    morceau_.resize(std::min(kMorceau, sur_disque_ - pos));
    size_t fait = 0;
    while (fait < morceau_.size()) {
      ssize_t k = ::pread(fd_, morceau_.data() + fait, morceau_.size() - fait,
                          static_cast<off_t>(pos + fait));
      if (k < 0 && errno == EINTR) continue;
      if (k <= 0) {
        erreurs_->Signaler(Statut::Fichier(Operation::kLecture, k < 0 ? errno : EIO, dossier_));
        morceau_.clear();
        return {};
      }
      fait += static_cast<size_t>(k);
    }
    debut_morceau_ = pos;
  }
  return std::string_view(morceau_).substr(pos - debut_morceau_);
}

void Tampon::Copier(const std::function<void(std::string_view)>& recevoir) {
  size_t pos = 0;
  while (pos < size()) {
    std::string_view d = Lire(pos);
    if (d.empty()) return;
    recevoir(d);
    pos += d.size();
  }
}

bool Tampon::Extraire(char* cible, size_t n) {
  if (size() - std::min(lu_, size()) < n) return false;
  while (n > 0) {
    std::string_view d = Lire(lu_);
    if (d.empty()) return false;
    const size_t k = std::min(n, d.size());
    std::memcpy(cible, d.data(), k);
    cible += k;
    n -= k;
    lu_ += k;
  }
  return true;
}

}  // namespace vellumcast
