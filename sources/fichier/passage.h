// One export's run in the directory it works in: the log and the result
// created there, the conversion, and the stop in the order of the run. The
// program and the tests drive every run through it.
#pragma once

#include <memory>
#include <string>

#include "bilan.h"
#include "console.h"
#include "fichiers.h"
#include "flux.h"
#include "parties.h"
#include "reglages.h"
#include "repertoire.h"
#include "source_resultat.h"
#include "statut.h"
#include "trace.h"
#include "vellumcast.h"

namespace vellumcast {

class Passage {
 public:
  // The run over what `entree` reads, named `nom_entree` in errors and as
  // `empreinte` saw it when it was opened, in `repertoire`; trace lines go
  // to `console` too, and every failure to `erreurs`.
  Passage(Lecteur* entree, std::string nom_entree, const Empreinte& empreinte,
          Repertoire* repertoire, Console* console, Erreurs* erreurs, const Options& options);
  Passage(const Passage&) = delete;
  Passage& operator=(const Passage&) = delete;

  // Start-up: the trace log, then the result `nom_resultat` or its first
  // part; what failed when one of them cannot be opened. `refus` checks the
  // name of each later part.
  Statut Ouvrir(const std::string& nom_resultat, Parties::Refus refus = {});
  // The calendar prologue, every document, the capture and the clean-up,
  // then the stop: the log closed, then the input, "END:VCALENDAR", the
  // result closed and "Fichier source termine" on the console. Nothing is
  // done after the first failure, which `erreurs` holds.
  void Convertir();
  // What a run-time error stop leaves: the result and the log as far as
  // they were written, and the captured event.
  void Interrompre();
  // Sends what the result and the log have received to their files.
  void Transmettre();

  // Whether the input changed while it was read, as the stop found it.
  bool changee() const { return changee_; }
  const BilanConversion& bilan() const { return conversion_.bilan(); }
  const Parties& parties() const { return parties_; }
  Conversion& conversion() { return conversion_; }
  Source& source() { return source_; }

 private:
  bool Echec() const { return erreurs_->echec(); }
  // The input closed, once its fingerprint has been compared.
  void FermerEntree();

  Lecteur* entree_;
  std::string nom_entree_;
  Empreinte empreinte_;
  Repertoire* repertoire_;
  Console* console_;
  Erreurs* erreurs_;
  std::unique_ptr<Ecrivain> journal_;
  Source source_;
  Resultat result_;
  Parties parties_;
  Trace trace_;
  Conversion conversion_;
  bool changee_ = false;
};

}  // namespace vellumcast
