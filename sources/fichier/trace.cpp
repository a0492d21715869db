// A trace line written to the log and shown on the console.
#include "trace.h"

#include "console.h"
#include "flux.h"
#include "noms.h"

namespace vellumcast {

void Trace::REPORT(std::string_view ch) {
  if (erreurs_->echec()) return;
  if (TRACE) {
    // Tracing on before the log exists is a log that could not be created.
    if (LOGFILE == nullptr) {
      erreurs_->Signaler(Statut::FichierCode(kAccesRefuse, kNomJournal));
      return;
    }
    LOGFILE->Ecrire(ch);
    LOGFILE->Ecrire("\r\n");
  }
  console_->Ligne(ch);
}

}  // namespace vellumcast
