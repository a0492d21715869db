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
  Statut CreerSansLien(const std::string& nom, Erreurs* erreurs,
                       std::unique_ptr<Ecrivain>* ecrivain) override;
  Statut Effacer(const std::string& nom) override;
  // The content of `nom`, or null when there is no such file.
  const std::string* Contenu(const std::string& nom) const;
  void Poser(const std::string& nom, std::string contenu);

 private:
  std::vector<std::pair<std::string, std::unique_ptr<std::string>>> fichiers_;
};

}  // namespace vellumcast
