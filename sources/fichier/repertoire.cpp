// The working directory: its files opened for writing only when they are
// regular files, erased by name, and the trace log locked by one run at a
// time.
#include "repertoire.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "noms.h"

namespace vellumcast {

namespace {

// Why a name opened for writing is refused: what it is, when it can be told.
std::string PasUnFichier(mode_t mode) {
  const char* genre = S_ISFIFO(mode)   ? "a FIFO"
                      : S_ISCHR(mode)  ? "a character device"
                      : S_ISBLK(mode)  ? "a block device"
                      : S_ISSOCK(mode) ? "a socket"
                      : S_ISDIR(mode)  ? "a directory"
                                       : nullptr;
  std::string raison = "not a regular file";
  if (genre != nullptr) raison += std::string(" but ") + genre;
  return raison;
}

}  // namespace

Statut OuvrirEnEcriture(const std::string& nom, int drapeaux, int* fd) {
  int f = ::open(nom.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | drapeaux, 0644);
  struct stat st {};
  if (f < 0) {
    int erreur = errno;
    // A FIFO no one reads, or a socket: what it is, for the reason.
    if (erreur == ENXIO) {
      ::stat(nom.c_str(), &st);
      return Statut::FichierCode(kAccesRefuse, nom).Raison(PasUnFichier(st.st_mode));
    }
    // A link planted under a fixed name is refused like any denied access.
    if (erreur == ELOOP && (drapeaux & O_NOFOLLOW) != 0) {
      return Statut::FichierCode(kAccesRefuse, nom).Raison("a symbolic link stands there");
    }
    return Statut::Fichier(Operation::kOuverture, erreur, nom);
  }
  if (::fstat(f, &st) != 0) {
    int erreur = errno;
    ::close(f);
    return Statut::Fichier(Operation::kOuverture, erreur, nom);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(f);
    return Statut::FichierCode(kAccesRefuse, nom).Raison(PasUnFichier(st.st_mode));
  }
  // A regular file never blocks; the flag only kept the open from waiting.
  ::fcntl(f, F_SETFL, ::fcntl(f, F_GETFL) & ~O_NONBLOCK);
  *fd = f;
  return Statut();
}

namespace {

constexpr off_t kFinRelevee = off_t{1} << 16;

// A hash (FNV-1a, 64 bits) of the last bytes, up to kFinRelevee, of the file
// of `taille` bytes that `fd` writes, read through a descriptor of its own;
// 0 when they cannot be read.
uint64_t EmpreinteDeFin(int fd, off_t taille) {
  const std::string chemin = "/proc/self/fd/" + std::to_string(fd);
  const int lecture = ::open(chemin.c_str(), O_RDONLY | O_CLOEXEC);
  if (lecture < 0) return 0;
  const off_t n = std::min(taille, kFinRelevee);
  std::string octets(static_cast<size_t>(n), '\0');
  const ssize_t lu = ::pread(lecture, octets.data(), octets.size(), taille - n);
  ::close(lecture);
  if (lu != n) return 0;
  uint64_t h = 0xcbf29ce484222325ull;
  for (char c : octets) {
    h ^= static_cast<unsigned char>(c);
    h *= 0x100000001b3ull;
  }
  return h;
}

}  // namespace

bool ReleverJournal(int fd, EtatJournal* etat) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return false;
  etat->appareil = st.st_dev;
  etat->inode = st.st_ino;
  etat->taille = st.st_size;
  etat->modification = st.st_mtim;
  etat->changement = st.st_ctim;
  etat->fin = EmpreinteDeFin(fd, st.st_size);
  return true;
}

bool MemeEtat(const EtatJournal& a, const EtatJournal& b) {
  auto meme = [](const std::timespec& x, const std::timespec& y) {
    return x.tv_sec == y.tv_sec && x.tv_nsec == y.tv_nsec;
  };
  return a.appareil == b.appareil && a.inode == b.inode && a.taille == b.taille &&
         meme(a.modification, b.modification) && meme(a.changement, b.changement) && a.fin == b.fin;
}

namespace {

// Takes the lock on `fd` for this run alone, waiting for the run that holds
// it when `prise` says so, and saying so once. False when another run holds
// it and this one does not wait. A file system that cannot lock at all
// leaves the run unguarded, not stopped.
bool Verrouiller(int fd, const PriseDuJournal& prise) {
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK) return true;
  if (!prise.attendre) return false;
  if (prise.attente) prise.attente();
  // A signal that stops the run and lets it go on interrupts the wait.
  while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
  }
  return true;
}

}  // namespace

Statut RepertoireCourant::OuvrirJournal(Erreurs* erreurs, std::unique_ptr<Ecrivain>* ecrivain) {
  int fd = -1;
  Statut statut = OuvrirEnEcriture(kNomJournal, O_CREAT, &fd);
  if (!statut.ok()) return statut;
  if (!Verrouiller(fd, prise_)) {
    ::close(fd);
    return Statut::FichierCode(kAccesRefuse, kNomJournal).Raison("in use by another run");
  }
  // Never closed: this copy holds the lock until the process ends.
  verrou_ = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  // The log an earlier export of the command left, untouched since, goes on;
  // any other is emptied, as a run of its own would.
  EtatJournal etat;
  const bool laisse = !prise_.laisses.empty() && ReleverJournal(fd, &etat) &&
                      std::any_of(prise_.laisses.begin(), prise_.laisses.end(),
                                  [&](const EtatJournal& e) { return MemeEtat(e, etat); });
  if (laisse ? ::lseek(fd, 0, SEEK_END) < 0 : ::ftruncate(fd, 0) != 0) {
    statut = Statut::Fichier(Operation::kOuverture, errno, kNomJournal);
    ::close(fd);
    return statut;
  }
  *ecrivain = std::make_unique<Ecrivain>(erreurs, kNomJournal, fd, true);
  return Statut();
}

Statut RepertoireCourant::CreerResultat(const std::string& nom, Erreurs* erreurs,
                                        std::unique_ptr<Ecrivain>* ecrivain) {
  int fd = -1;
  Statut statut = OuvrirEnEcriture(nom, O_CREAT | O_TRUNC, &fd);
  if (statut.ok()) *ecrivain = std::make_unique<Ecrivain>(erreurs, nom, fd, true);
  return statut;
}

Statut RepertoireCourant::CreerSansLien(const std::string& nom, Erreurs* erreurs,
                                        std::unique_ptr<Ecrivain>* ecrivain) {
  int fd = -1;
  Statut statut = OuvrirEnEcriture(nom, O_CREAT | O_TRUNC | O_NOFOLLOW, &fd);
  if (statut.ok()) *ecrivain = std::make_unique<Ecrivain>(erreurs, nom, fd, true);
  return statut;
}

Statut RepertoireCourant::Effacer(const std::string& nom) {
  if (::unlink(nom.c_str()) == 0 || errno == ENOENT) return Statut();
  return Statut::Fichier(Operation::kOuverture, errno, nom);
}

}  // namespace vellumcast
