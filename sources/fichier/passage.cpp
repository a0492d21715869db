// One export's run: start-up, the conversion and the stop, in their order.
#include "passage.h"

#include <cerrno>
#include <utility>

namespace vellumcast {

Passage::Passage(Lecteur* entree, std::string nom_entree, const Empreinte& empreinte,
                 Repertoire* repertoire, Console* console, Erreurs* erreurs, const Options& options)
    : entree_(entree),
      nom_entree_(std::move(nom_entree)),
      empreinte_(empreinte),
      repertoire_(repertoire),
      console_(console),
      erreurs_(erreurs),
      source_(entree),
      result_(nullptr, erreurs),
      parties_(repertoire, erreurs, &result_),
      trace_(erreurs, console),
      conversion_(&source_, &result_, &trace_, repertoire, erreurs, options) {
  conversion_.EnParties(&parties_);
}

Statut Passage::Ouvrir(const std::string& nom_resultat, Parties::Refus refus) {
  Statut statut = repertoire_->OuvrirJournal(erreurs_, &journal_);
  if (!statut.ok()) return statut;
  trace_.LOGFILE = journal_.get();
  return parties_.Ouvrir(nom_resultat, conversion_.options().evenements_par_partie,
                         std::move(refus));
}

void Passage::Convertir() {
  conversion_.Prologue();
  conversion_.Documents();
  conversion_.EcrireCapture();
  conversion_.EffacerBrouillons();
  if (!Echec()) journal_->Fermer();
  if (!Echec()) FermerEntree();
  conversion_.FinCalendrier();
  if (!Echec()) parties_.Fermer();
  if (Echec()) return;
  console_->Ecrire("Fichier source termine\r\n");
  console_->Transmettre();
}

void Passage::FermerEntree() {
  // Its size and time are read through the descriptor, before it closes.
  changee_ = Changee(empreinte_, *entree_);
  if (!entree_->Fermer()) {
    erreurs_->Signaler(Statut::Fichier(Operation::kLecture, errno, nom_entree_));
  }
}

void Passage::Transmettre() {
  parties_.Transmettre();
  if (journal_ != nullptr) journal_->Transmettre();
}

void Passage::Interrompre() {
  Transmettre();
  conversion_.EcrireCapture();
}

}  // namespace vellumcast
