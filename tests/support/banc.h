// A whole conversion wired in memory, for the tests, the fuzz target and the
// micro-benchmarks: the input is a string or any reader, and the directory,
// with the result file and the trace log, and the console are kept in memory
// (or, for timing, what they receive goes to /dev/null).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console.h"
#include "flux.h"
#include "passage.h"
#include "repertoire_memoire.h"
#include "sonde.h"
#include "vellumcast.h"

namespace vellumcast {

// What a whole conversion in memory left.
struct Produit {
  std::string ics;                  // the result file
  std::string log;                  // the trace log
  std::string console;              // standard output
  std::optional<std::string> ical;  // "~ical.tmp", when the run created it
  bool brouillons = false;          // another scratch name was left behind
  uint64_t lectures = 0;            // calls to the reader
  bool deborde = false;             // the event buffer had moved to disk
  bool echec = false;
  std::string erreur;  // the first error's message, "Runtime error N name"; empty without one
};

// Where the result file, the trace log and the console go.
enum class Vers { kMemoire, kNul };

class Banc {
 public:
  // Over `entree`, read from memory.
  explicit Banc(std::string_view entree, Options options = {}, Vers vers = Vers::kMemoire);
  // Over what `lecteur` reads; the run reports to `erreurs`, as the reader does.
  Banc(Lecteur* lecteur, Erreurs* erreurs, Options options = {});
  Banc(const Banc&) = delete;
  Banc& operator=(const Banc&) = delete;

  // Runs the whole conversion, the stop included, as the program does.
  Produit Convertir();

  // What the result file has received.
  const std::string& Resultat();
  // The event buffer, as ECRIRE_NEW_RDV copies it into the result.
  std::string EventBuffer();
  const std::string& Journal();
  // The dates a list holds, each as TexteDate writes it.
  std::vector<std::string> Dates(Liste liste);
  Etat& etat() { return sonde.etat(); }

  // The result's name in the directory.
  static const char* const kNomResultat;

 private:
  // What `nom` holds in the directory; empty when it is not there.
  const std::string& Lu(const char* nom) const;

  Banc(std::string_view entree, Lecteur* lecteur, Erreurs* partagees, Options options, Vers vers);

  Erreurs erreurs_propres_;
  std::unique_ptr<Lecteur> lecteur_propre_;  // the reader over a string input

 public:
  Erreurs& erreurs;
  std::string console_out;
  Lecteur clavier;
  Ecrivain ecran;
  Console console;
  RepertoireMemoire rep;
  // The run, its log and its result "agenda.ics" open in `rep` from the start.
  Passage passage;
  Source& source;
  Conversion& conv;
  SondeConversion sonde;
};

// A date of a list as text: "20090201T100000" timed, "20090201" all-day;
// "!" before one that is no calendar date, followed by the orders under
// which it would be one (" mdy"); its zone word after it, in brackets.
std::string TexteDate(const Date& d);

// The whole conversion of `entree`, read from memory.
Produit Convertir(std::string_view entree, Options options = {});
// The same read from a descriptor, a buffer's worth at a time as from a file.
Produit ConvertirParDescripteur(std::string_view entree, Options options = {});

}  // namespace vellumcast
