// A directory held in memory, for running conversions without touching the disk.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "repertoire.h"

namespace vellumcast {

class RepertoireMemoire : public Repertoire {
 public:
  // When `jeter`, every file it creates writes to /dev/null, for timing,
  // and holds nothing.
  explicit RepertoireMemoire(bool jeter = false) : jeter_(jeter) {}

  // The log, emptied: no other run shares this directory.
  Statut OuvrirJournal(Erreurs* erreurs, std::unique_ptr<Ecrivain>* ecrivain) override;
  Statut CreerResultat(const std::string& nom, Erreurs* erreurs,
                       std::unique_ptr<Ecrivain>* ecrivain) override;
  Statut CreerSansLien(const std::string& nom, Erreurs* erreurs,
                       std::unique_ptr<Ecrivain>* ecrivain) override;
  Statut Effacer(const std::string& nom) override;
  // The content of `nom`, or null when there is no such file.
  const std::string* Contenu(const std::string& nom) const;
  void Poser(const std::string& nom, std::string contenu);

 private:
  bool jeter_;
  std::vector<std::pair<std::string, std::unique_ptr<std::string>>> fichiers_;
};

}  // namespace vellumcast
