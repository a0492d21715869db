// Opening the input and the names a run writes, the prompt, the input's names.
#include "fichiers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "console.h"

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

std::string Developper(const std::string& nom) {
  struct stat brut;
  if (nom.empty() || nom.find('\0') != std::string::npos || ::stat(nom.c_str(), &brut) != 0) {
    return nom;
  }
  std::string absolu = nom;
  if (nom[0] != '/') {
    std::error_code ec;
    std::filesystem::path courant = std::filesystem::current_path(ec);
    if (ec) return nom;
    absolu = courant.string();
    if (absolu.back() != '/') absolu += '/';
    absolu += nom;
  }
  // An absolute form past the path limit, or through a directory that cannot
  // be searched, would not open: the name as given does.
  struct stat a, n;
  if (::stat(absolu.c_str(), &a) != 0) return nom;
  // Normalising "a/../b" is only right when "a" is no link: check it is the same file.
  std::string normal = std::filesystem::path(absolu).lexically_normal().string();
  if (::stat(normal.c_str(), &n) == 0 && a.st_dev == n.st_dev && a.st_ino == n.st_ino) {
    return normal;
  }
  return absolu;
}

Empreinte Relever(int fd, bool depuis_le_debut) {
  Empreinte e;
  struct stat st;
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return e;
  e.reguliere = true;
  e.depuis_le_debut = depuis_le_debut;
  e.taille = st.st_size;
  e.modification = st.st_mtim;
  return e;
}

bool Changee(const Empreinte& avant, const Lecteur& lecteur) {
  if (!avant.reguliere) return false;
  const Empreinte apres = Relever(lecteur.fd(), false);
  if (!apres.reguliere || apres.taille != avant.taille ||
      apres.modification.tv_sec != avant.modification.tv_sec ||
      apres.modification.tv_nsec != avant.modification.tv_nsec) {
    return true;
  }
  if (!avant.depuis_le_debut) return false;
  const auto taille = static_cast<uint64_t>(avant.taille);
  return lecteur.au_bout() ? lecteur.octets_lus() != taille : lecteur.octets_lus() > taille;
}

std::string NomDeBase(const std::string& nom) {
  size_t barre = nom.rfind('/');
  return barre == std::string::npos ? nom : nom.substr(barre + 1);
}

std::string NomResultat(const std::string& fic1name) {
  std::string reste = NomDeBase(fic1name);
  size_t point = reste.rfind('.');
  if (point != std::string::npos) reste.resize(point);
  return reste + ".ics";
}

namespace {

// Opens `nom` for reading; -1, with errno telling why, when it cannot be
// read as a file.
int OuvrirEntree(const std::string& nom) {
  if (nom.find('\0') != std::string::npos) {
    errno = EINVAL;
    return -1;
  }
  int fd = ::open(nom.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st;
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    int erreur = S_ISDIR(st.st_mode) ? EISDIR : errno;
    ::close(fd);
    errno = erreur;
    return -1;
  }
  return fd;
}

constexpr std::string_view kFinConsole = "\r\nNo input file given\r\n";

}  // namespace

Choix GETINPUTFILE(const std::string* argument, Console* console, Erreurs* erreurs, Entree* entree,
                   Statut* statut) {
  for (;;) {
    std::string nom;
    if (argument == nullptr) {
      console->Ecrire("Input file name : ");
      if (!console->LireLigne(&nom)) {
        console->Ecrire(kFinConsole);
        return Choix::kSansEntree;
      }
    } else {
      nom = *argument;
    }
    const std::string donne = nom;
    nom = Developper(nom);
    if (nom.empty()) {
      // An empty name reads the documents from standard input.
      entree->FIC1NAME.clear();
      entree->donne.clear();
      entree->PATH.clear();
      entree->fichier.reset();
      entree->empreinte = Relever(STDIN_FILENO, false);
      return Choix::kOuvert;
    }
    int fd = OuvrirEntree(nom);
    if (fd < 0) {
      console->Avertir("cannot open " + nom + ": " + std::strerror(errno));
      console->Ecrire("Input file not found. Abort ? [Y/N] : ");
      char touche = 0;
      if (!console->LireTouche(&touche)) {
        console->Ecrire(kFinConsole);
        return Choix::kSansEntree;
      }
      console->Ecrire("\r\n");
      if (touche == 'Y' || touche == 'y') return Choix::kAbandon;
      continue;
    }
    entree->FIC1NAME = nom;
    entree->donne = donne;
    entree->fichier = std::make_unique<Lecteur>(erreurs, nom, fd, true);
    entree->empreinte = Relever(fd, true);
    // A pipe, a FIFO or a device has no directory of its own to work in (a
    // process substitution names /dev/fd/): the run stays where it started.
    size_t barre = nom.rfind('/');
    entree->PATH = barre == std::string::npos || !entree->empreinte.reguliere
                       ? std::string()
                       : nom.substr(0, barre + 1);
    if (!entree->PATH.empty() && ::chdir(entree->PATH.c_str()) != 0) {
      *statut = Statut::Fichier(Operation::kOuverture, errno, entree->PATH);
      return Choix::kErreur;
    }
    return Choix::kOuvert;
  }
}

}  // namespace vellumcast
