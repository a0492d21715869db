// The directory a run works in: where it creates, empties and erases its
// files, and the trace log that one run at a time holds.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "flux.h"
#include "statut.h"

namespace vellumcast {

// The directory where the run creates and erases its files.
class Repertoire {
 public:
  virtual ~Repertoire() = default;
  // Opens the trace log for this run alone, emptied.
  virtual Statut OuvrirJournal(Erreurs* erreurs, std::unique_ptr<Ecrivain>* ecrivain) = 0;
  // Creates `nom`, or empties it, for writing the result; a link there is
  // followed, so that the result may be written through one.
  virtual Statut CreerResultat(const std::string& nom, Erreurs* erreurs,
                               std::unique_ptr<Ecrivain>* ecrivain) = 0;
  // Creates `nom` empty for writing without following a link planted under it.
  virtual Statut CreerSansLien(const std::string& nom, Erreurs* erreurs,
                               std::unique_ptr<Ecrivain>* ecrivain) = 0;
  // Erases `nom` (a link itself, never its target); nothing to do when absent.
  virtual Statut Effacer(const std::string& nom) = 0;
};

// How a run takes the trace log of its directory.
struct PriseDuJournal {
  // Whether to wait while another run holds the log; else error 5 at once.
  bool attendre = true;
  // Called once, when the run starts waiting; may be empty.
  std::function<void()> attente;
};

// The working directory of the process.
class RepertoireCourant : public Repertoire {
 public:
  RepertoireCourant() = default;
  explicit RepertoireCourant(PriseDuJournal prise) : prise_(std::move(prise)) {}

  // Takes the log's lock for as long as the process lives, waiting for the
  // run that holds it unless told not to; empties the log only then, so
  // that a run that does not wait stops before it has written or erased
  // anything.
  Statut OuvrirJournal(Erreurs* erreurs, std::unique_ptr<Ecrivain>* ecrivain) override;
  Statut CreerResultat(const std::string& nom, Erreurs* erreurs,
                       std::unique_ptr<Ecrivain>* ecrivain) override;
  Statut CreerSansLien(const std::string& nom, Erreurs* erreurs,
                       std::unique_ptr<Ecrivain>* ecrivain) override;
  Statut Effacer(const std::string& nom) override;

 private:
  PriseDuJournal prise_;
};

// Opens `nom` for writing, with `drapeaux` (O_CREAT, O_TRUNC, O_NOFOLLOW)
// beside O_WRONLY, without waiting on a FIFO or a device, and keeps it only
// when it is a regular file: a FIFO (whether anyone reads it or not), a
// device, a socket or a directory there is refused as access denied, with
// nothing written through it; so is a link refused by O_NOFOLLOW. `*fd`
// receives the descriptor, in blocking mode, when the status is ok.
Statut OuvrirEnEcriture(const std::string& nom, int drapeaux, int* fd);

}  // namespace vellumcast
