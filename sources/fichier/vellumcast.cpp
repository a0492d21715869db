// The conversion's run: prologue, documents, scratch names erased, closing line.
#include "vellumcast.h"

#include <array>

#include "noms.h"

namespace vellumcast {

namespace {

constexpr std::array<std::string_view, 4> kEnTete = {
    "BEGIN:VCALENDAR",
    "PRODID:Vellumcast(C)",
    "VERSION:2.0",
    "METHOD:PUBLISH",
};

}  // namespace

Conversion::Conversion(Source* source, Resultat* result, Trace* trace, Repertoire* repertoire,
                       Erreurs* erreurs, const Options& options)
    : source_(source),
      result_(result),
      trace_(trace),
      repertoire_(repertoire),
      erreurs_(erreurs),
      options_(options),
      rapport_(&bilan_, source),
      utf8_(options.jeu, &rapport_),
      rdv_(erreurs, options.limite_memoire),
      dates_debut_(erreurs, options.limite_memoire),
      dates_fin_(erreurs, options.limite_memoire),
      capture_(erreurs, options.limite_memoire) {
  INIT();
}

void Conversion::INIT() {
  trace_->TRACE = true;
  etat_.ICAL = false;
  etat_.FIN_DE_RDV = false;
  etat_.CAR_DEJA_LU = kEsc;
  etat_.NO_UID = 0;
}

void Conversion::Prologue() {
  for (std::string_view ligne : kEnTete) result_->PUTLN(ligne);
  // The zone's definitions: the three fixed ones of France, one VTIMEZONE
  // for a zone of the tz database, none when every date-time is in UTC.
  for (const std::string& ligne : options_.fuseau.Definition()) result_->PUTLN(ligne);
}

void Conversion::NouveauDocument() {
  etat_.RDV_RECURRENT = false;
  rdv_.Vider();
  dates_debut_.Vider();
  dates_fin_.Vider();
  etat_.a_dates_debut = etat_.a_dates_fin = etat_.a_uid = false;
  signature_.Vider();
  signature_notee_ = false;
  ligne_document_ = 0;
  etat_.RDV_PRESQUE_FINI = false;
}

void Conversion::Documents() {
  // The first document is begun without looking for the end of the input.
  do {
    NouveauDocument();
    const uint64_t debut = source_->Ligne();
    for (;;) {
      LIRE_DEBUT_LIGNE(&etat_.LIGNE, ':');
      // A document that holds anything is one the run has read.
      if (ligne_document_ == 0 && !etat_.LIGNE.empty()) {
        ligne_document_ = debut;
        bilan_.Document();
      }
      if (!etat_.LIGNE.empty() && etat_.LIGNE[0] == kSautPage) {
        FinParSautDePage();
      } else {
        TRAITER_LIGNE(etat_.LIGNE);
      }
      if (etat_.FIN_DE_RDV || Echec() || source_->AtEnd()) break;
    }
    etat_.FIN_DE_RDV = false;
    Emettre();
    // Blanks and line ends between documents; the first other character
    // begins the next document's first item name.
    do {
      etat_.CAR = source_->NEXTCAR();
      etat_.CAR_DEJA_LU = etat_.CAR;
    } while (etat_.CAR == ' ' && !source_->AtEnd());
  } while (!Echec() && !source_->AtEnd());
}

void Conversion::FinParSautDePage() {
  SAUTER_LIGNE();
  etat_.FIN_DE_RDV = true;
  trace_->REPORT("saut de page");
}

void Conversion::EffacerBrouillons() {
  for (const char* nom : {kNomDonnees, kNomDatesDebut, kNomDatesFin, kNomRdv}) {
    if (Echec()) return;
    erreurs_->Signaler(repertoire_->Effacer(nom));
  }
}

void Conversion::FinCalendrier() { result_->PUTLN("END:VCALENDAR"); }

}  // namespace vellumcast
