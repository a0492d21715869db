// An in-memory conversion for tests: the input is a string, and the result
// file, the trace log, the console and the directory are kept in memory.
// Also the result's opening lines as every test expects them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "console.h"
#include "repertoire_memoire.h"
#include "sonde.h"
#include "vellumcast.h"

namespace vellumcast {

// A conversion over `entree` with every file in memory.
struct Banc {
  explicit Banc(std::string_view entree, Options options = {})
      : lecteur(&erreurs, entree),
        source(&lecteur),
        ecr(&erreurs, "agenda.ics", &out),
        result(&ecr, &erreurs),
        clavier(&erreurs, ""),
        ecran(&erreurs, "", &console_out),
        console(&clavier, &ecran, false, false),
        trace(&erreurs, &console),
        journal(&erreurs, "Vellumcast.log", &log),
        conv(&source, &result, &trace, &rep, &erreurs, options),
        sonde(&conv) {
    trace.LOGFILE = &journal;
  }

  // What the result file has received.
  const std::string& Resultat() {
    ecr.Vider();
    return out;
  }
  // The event buffer, as ECRIRE_NEW_RDV copies it into the result.
  std::string EventBuffer() {
    size_t avant = Resultat().size();
    sonde.ECRIRE_NEW_RDV();
    return Resultat().substr(avant);
  }
  const std::string& Journal() {
    journal.Vider();
    return log;
  }
  std::vector<std::string> DatesDebut() {
    std::vector<std::string> dates;
    CHAINE d;
    while (sonde.NEXT_START_DATE(&d)) dates.emplace_back(d.vue());
    return dates;
  }

  Erreurs erreurs;
  Lecteur lecteur;
  Source source;
  std::string out;
  Ecrivain ecr;
  ::vellumcast::Resultat result;
  std::string console_out;
  Lecteur clavier;
  Ecrivain ecran;
  Console console;
  Trace trace;
  std::string log;
  Ecrivain journal;
  RepertoireMemoire rep;
  Conversion conv;
  SondeConversion sonde;

  Etat& etat() { return sonde.etat(); }
};

// A whole conversion in memory: the result file, the trace log, and the
// run's first error once both are flushed.
struct Produit {
  std::string ics;
  std::string log;
  bool deborde;
  bool echec;
  std::string erreur;  // its message, "Runtime error N name"; empty without one
};
inline Produit Convertir(std::string_view entree, Options options = {}) {
  Banc b(entree, options);
  b.conv.Convertir();
  Produit p{b.Resultat(), b.Journal(), b.sonde.event_buffer().deborde(), false, ""};
  p.echec = b.erreurs.echec();
  if (p.echec) p.erreur = b.erreurs.statut().Message();
  return p;
}

}  // namespace vellumcast
