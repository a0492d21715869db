// The run's own files, the input and the standard streams, kept from the result.
#include "collisions.h"

#include <sys/stat.h>
#include <unistd.h>

#include "noms.h"

namespace vellumcast {

namespace {

// The names the run writes or erases besides the result, each with why the
// result may not be it.
struct Propre {
  const char* nom;
  const char* raison;
};
constexpr Propre kPropres[] = {
    {kNomJournal, "it is the log"},
    {kNomIcal, "it is a scratch file of the run"},
    {kNomRdv, "it is a scratch file of the run"},
    {kNomDatesDebut, "it is a scratch file of the run"},
    {kNomDatesFin, "it is a scratch file of the run"},
    {kNomDonnees, "it is a scratch file of the run"},
};

bool MemeFichier(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

std::string NomQuiEstLEntree(int fd_entree, const std::string& nom_resultat) {
  struct stat entree;
  if (::fstat(fd_entree, &entree) != 0) return {};
  for (const std::string& nom :
       {std::string(kNomJournal), nom_resultat, std::string(kNomIcal), std::string(kNomRdv),
        std::string(kNomDatesDebut), std::string(kNomDatesFin), std::string(kNomDonnees)}) {
    struct stat st;
    if (::stat(nom.c_str(), &st) == 0 && MemeFichier(st, entree)) return nom;
  }
  return {};
}

std::string RaisonContreResultat(const std::string& nom_resultat) {
  for (const Propre& p : kPropres) {
    if (nom_resultat == p.nom) return p.raison;
  }
  // A link or a second name leads to the same file under another name.
  struct stat resultat;
  if (::stat(nom_resultat.c_str(), &resultat) != 0) return {};
  struct stat st;
  if (::fstat(STDOUT_FILENO, &st) == 0 && MemeFichier(st, resultat)) {
    return "it is standard output";
  }
  if (::fstat(STDERR_FILENO, &st) == 0 && MemeFichier(st, resultat)) {
    return "it is standard error";
  }
  for (const Propre& p : kPropres) {
    if (::stat(p.nom, &st) == 0 && MemeFichier(st, resultat)) return p.raison;
  }
  return {};
}

}  // namespace vellumcast
