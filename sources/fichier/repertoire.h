// The directory a run works in: where it creates, empties and erases its
// files, and the trace log that one run at a time holds.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "flux.h"
#include "statut.h"

namespace vellumcast {

// The directory where the run creates and erases its files.
class Repertoire {
 public:
  virtual ~Repertoire() = default;
  // Opens the trace log for this run alone: emptied, or continued after the
  // trace an earlier export of the same command left there.
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

// A trace log as an export's run left it: the next export of the same
// command in that directory continues the log only while it is still so,
// that is while no other run has converted there in between. Another run
// empties the log and writes it again: its times change, unless it ends
// within the tick of the clock that stamps files, and so do its last bytes,
// unless its trace ends as this one's did.
struct EtatJournal {
  dev_t appareil = 0;
  ino_t inode = 0;
  off_t taille = 0;
  std::timespec modification{};
  std::timespec changement{};
  uint64_t fin = 0;  // a hash of its last 64 KiB; 0 when they cannot be read
};

// The state of the file `fd` writes; false when it cannot be told.
bool ReleverJournal(int fd, EtatJournal* etat);

// Whether `a` and `b` are the same log in the same state.
bool MemeEtat(const EtatJournal& a, const EtatJournal& b);

// How a run takes the trace log of its directory.
struct PriseDuJournal {
  // Whether to wait while another run holds the log; else error 5 at once.
  bool attendre = true;
  // Called once, when the run starts waiting; may be empty.
  std::function<void()> attente;
  // The logs that earlier exports of the command left, in any directory.
  std::vector<EtatJournal> laisses;
};

// The working directory of the process.
class RepertoireCourant : public Repertoire {
 public:
  RepertoireCourant() = default;
  explicit RepertoireCourant(PriseDuJournal prise) : prise_(std::move(prise)) {}

  // Takes the log's lock for as long as the process lives, waiting for the
  // run that holds it when `attendre`; empties the log only then, so that a
  // run that does not wait stops before it has written or erased anything.
  Statut OuvrirJournal(Erreurs* erreurs, std::unique_ptr<Ecrivain>* ecrivain) override;
  Statut CreerResultat(const std::string& nom, Erreurs* erreurs,
                       std::unique_ptr<Ecrivain>* ecrivain) override;
  Statut CreerSansLien(const std::string& nom, Erreurs* erreurs,
                       std::unique_ptr<Ecrivain>* ecrivain) override;
  Statut Effacer(const std::string& nom) override;

  // The descriptor that holds the log's lock until the process ends; -1
  // before the log is open.
  int verrou() const { return verrou_; }

 private:
  PriseDuJournal prise_;
  int verrou_ = -1;
};

// Opens `nom` for writing, with `drapeaux` (O_CREAT, O_TRUNC, O_NOFOLLOW)
// beside O_WRONLY, without waiting on a FIFO or a device, and keeps it only
// when it is a regular file: a FIFO (whether anyone reads it or not), a
// device, a socket or a directory there is refused as access denied, with
// nothing written through it; so is a link refused by O_NOFOLLOW. `*fd`
// receives the descriptor, in blocking mode, when the status is ok.
Statut OuvrirEnEcriture(const std::string& nom, int drapeaux, int* fd);

}  // namespace vellumcast
