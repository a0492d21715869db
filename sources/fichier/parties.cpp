// The result's parts: each created when the one before is full, after it
// is closed, so that a run holds one of them open at a time.
#include "parties.h"

#include <utility>

#include "fichiers.h"

namespace vellumcast {

std::string NomDePartie(const std::string& resultat, size_t k) {
  std::string nom = NomResultat(resultat);
  nom.resize(nom.size() - 4);  // ".ics"
  return nom + "-" + std::to_string(k) + ".ics";
}

Statut Parties::Ouvrir(const std::string& nom, size_t taille, Refus refus) {
  resultat_ = nom;
  taille_ = taille;
  refus_ = std::move(refus);
  if (taille_ == 0) return Creer(nom);
  noms_.push_back(NomDePartie(resultat_, 1));
  return Creer(noms_.back());
}

bool Parties::Suivante() {
  fichier_->Fermer();
  if (erreurs_->echec()) return false;
  noms_.push_back(NomDePartie(resultat_, noms_.size() + 1));
  Statut statut = refus_ ? refus_(noms_.back()) : Statut{};
  if (statut.ok()) statut = Creer(noms_.back());
  if (!statut.ok()) {
    erreurs_->Signaler(statut);
    return false;
  }
  dans_partie_ = 0;
  return true;
}

Statut Parties::Creer(const std::string& nom) {
  Statut statut = repertoire_->CreerResultat(nom, erreurs_, &fichier_);
  if (statut.ok()) result_->Vers(fichier_.get());
  return statut;
}

void Parties::Fermer() {
  if (fichier_ != nullptr) fichier_->Fermer();
}

void Parties::Transmettre() {
  if (fichier_ != nullptr) fichier_->Transmettre();
}

}  // namespace vellumcast
