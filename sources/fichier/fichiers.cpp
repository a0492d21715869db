// The input-file prompt, the absolute form of its name, its fingerprint and
// the result's name.
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

int OuvrirExport(const std::string& nom, Erreurs* erreurs, Entree* entree) {
  entree->donne = nom;
  entree->FIC1NAME = Developper(nom);
  entree->fichier.reset();
  entree->PATH.clear();
  if (entree->FIC1NAME.empty()) {
    // An empty name reads the documents from standard input.
    entree->donne.clear();
    entree->empreinte = Relever(STDIN_FILENO, false);
    return 0;
  }
  int fd = OuvrirEntree(entree->FIC1NAME);
  if (fd < 0) return errno;
  entree->fichier = std::make_unique<Lecteur>(erreurs, entree->FIC1NAME, fd, true);
  entree->empreinte = Relever(fd, true);
  // A pipe, a FIFO or a device has no directory of its own to work in (a
  // process substitution names /dev/fd/): the run stays where it started.
  size_t barre = entree->FIC1NAME.rfind('/');
  if (barre != std::string::npos && entree->empreinte.reguliere) {
    entree->PATH = entree->FIC1NAME.substr(0, barre + 1);
  }
  return 0;
}

Choix GETINPUTFILE(const std::string* argument, Console* console, Erreurs* erreurs, Entree* entree,
                   Statut* statut) {
  for (;;) {
    std::string nom;
    if (argument == nullptr) {
      console->Ecrire("Input file name : ");
      if (!console->LireLigne(&nom)) {
        console->Ecrire(kFinConsole);
        return Choix::kConsoleFermee;
      }
    } else {
      nom = *argument;
    }
    if (int erreur = OuvrirExport(nom, erreurs, entree); erreur != 0) {
      console->Avertir("cannot open " + entree->FIC1NAME + ": " + std::strerror(erreur));
      console->Ecrire("Input file not found. Abort ? [Y/N] : ");
      char touche = 0;
      if (!console->LireTouche(&touche)) {
        console->Ecrire(kFinConsole);
        return Choix::kConsoleFermee;
      }
      console->Ecrire("\r\n");
      if (touche == 'Y' || touche == 'y') return Choix::kAbandon;
      continue;
    }
    if (!entree->PATH.empty() && ::chdir(entree->PATH.c_str()) != 0) {
      *statut = Statut::Fichier(Operation::kOuverture, errno, entree->PATH);
      return Choix::kErreur;
    }
    return Choix::kOuvert;
  }
}

}  // namespace vellumcast
