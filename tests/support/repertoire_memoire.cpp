// A directory held in memory: each file a string, created empty.
#include "repertoire_memoire.h"

#include <fcntl.h>
#include <unistd.h>

#include "noms.h"

namespace vellumcast {

namespace {

int Nul() {
  static const int fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  return fd;
}

}  // namespace

Statut RepertoireMemoire::OuvrirJournal(Erreurs* erreurs, std::unique_ptr<Ecrivain>* ecrivain) {
  return CreerSansLien(kNomJournal, erreurs, ecrivain);
}

Statut RepertoireMemoire::CreerResultat(const std::string& nom, Erreurs* erreurs,
                                        std::unique_ptr<Ecrivain>* ecrivain) {
  return CreerSansLien(nom, erreurs, ecrivain);
}

Statut RepertoireMemoire::CreerSansLien(const std::string& nom, Erreurs* erreurs,
                                        std::unique_ptr<Ecrivain>* ecrivain) {
  Poser(nom, "");
  if (jeter_) {
    *ecrivain = std::make_unique<Ecrivain>(erreurs, nom, Nul(), false);
    return Statut();
  }
  for (auto& [n, contenu] : fichiers_) {
    if (n == nom) *ecrivain = std::make_unique<Ecrivain>(erreurs, nom, contenu.get());
  }
  return Statut();
}

Statut RepertoireMemoire::Effacer(const std::string& nom) {
  std::erase_if(fichiers_, [&](const auto& f) { return f.first == nom; });
  return Statut();
}

const std::string* RepertoireMemoire::Contenu(const std::string& nom) const {
  for (const auto& [n, contenu] : fichiers_) {
    if (n == nom) return contenu.get();
  }
  return nullptr;
}

void RepertoireMemoire::Poser(const std::string& nom, std::string contenu) {
  for (auto& [n, c] : fichiers_) {
    if (n == nom) {
      *c = std::move(contenu);
      return;
    }
  }
  fichiers_.emplace_back(nom, std::make_unique<std::string>(std::move(contenu)));
}

}  // namespace vellumcast
