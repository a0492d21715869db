// The result file of a run, or its parts: NAME-1.ics, NAME-2.ics, ... of at
// most a given number of events each, so that a calendar service that
// limits the size of an import takes each part whole.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "flux.h"
#include "repertoire.h"
#include "source_resultat.h"
#include "statut.h"

namespace vellumcast {

// The name of part `k` (from 1) of the result `resultat`: its name less its
// extension, "-k", ".ics".
std::string NomDePartie(const std::string& resultat, size_t k);

class Parties {
 public:
  // Why a file may not be created under a name: a failed status, or ok.
  using Refus = std::function<Statut(const std::string& nom)>;

  // The files are created in `repertoire` and written through `result`.
  Parties(Repertoire* repertoire, Erreurs* erreurs, Resultat* result)
      : repertoire_(repertoire), erreurs_(erreurs), result_(result) {}

  // Creates the result `nom` or, with `taille` above 0, its first part, and
  // writes to it from now on; `refus` checks the name of every later part.
  Statut Ouvrir(const std::string& nom, size_t taille, Refus refus);
  // Whether the next event belongs in a new part.
  bool Pleine() const { return taille_ > 0 && dans_partie_ == taille_; }
  // Closes the part written and creates the next; false, with the failure
  // in the run's errors, when it cannot be.
  bool Suivante();
  // One event more in the part written.
  void Compter() { ++dans_partie_; }
  // Closes the last file written.
  void Fermer();
  // Sends what the file written has received to it.
  void Transmettre();

  // The parts written so far, in order; empty without parts.
  const std::vector<std::string>& noms() const { return noms_; }

 private:
  Statut Creer(const std::string& nom);

  Repertoire* repertoire_;
  Erreurs* erreurs_;
  Resultat* result_;
  std::unique_ptr<Ecrivain> fichier_;
  std::string resultat_;
  size_t taille_ = 0;
  size_t dans_partie_ = 0;
  Refus refus_;
  std::vector<std::string> noms_;
};

}  // namespace vellumcast
