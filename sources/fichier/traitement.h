// The program's run of one export once it is open: the checks on the
// result's name, the run in its directory, the run-time error stop and the
// summary.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "console.h"
#include "fichiers.h"
#include "flux.h"
#include "options.h"
#include "passage.h"
#include "repertoire.h"
#include "statut.h"

namespace vellumcast {

// What the run has open, for the run-time error stop.
struct Fichiers {
  Console* console = nullptr;
  Ecrivain* erreur = nullptr;  // standard error, when it is not standard output's file
  Passage* passage = nullptr;
  // When the run works beside the input without -o: the result's name, and
  // the line that points to -o when a file cannot be created there.
  std::string nom_resultat;
  std::string conseil;
  // With several exports, the export as standard error names it, so that
  // the stop's line there tells which one stopped.
  std::string export_montre;
  // The descriptor that holds the log's lock, and, in the child process
  // that converts one export of several, where it tells its parent how it
  // left the log.
  int verrou = -1;
  int temoin = -1;
};

// How the program converts its exports.
struct Commande {
  const LigneDeCommande* ligne = nullptr;
  bool vers_dossier = false;  // -o names a directory that holds every result
  bool plusieurs = false;     // the command names several exports
  // The logs that earlier exports of the command left.
  std::vector<EtatJournal> laisses;
};

// Writes `texte` to descriptor `fd` alone, unbuffered; false when the
// write failed.
bool EcrireSeul(int fd, std::string_view texte);

// The run-time error stop: what the run wrote stays, "Runtime error N" (and
// the file's name) goes to standard output and the failure in words to
// standard error, and the process ends with status N.
[[noreturn]] void ArretErreur(const Statut& statut, const Fichiers& f);

// Converts the export `entree`, read by `lecteur`, in the working
// directory, which is the one its run works in; tells the summary unless
// quiet. Returns the exit status of a complete run: 0, or 1 when the
// export changed while it was read; a run-time error ends the process.
int ConvertirExport(const Commande& commande, const Entree& entree, Lecteur* lecteur,
                    Console* console, Erreurs* erreurs, Fichiers* f);

// In a child process: tells the parent through `f.temoin` how the run left
// the log, when it took it.
void Temoigner(const Fichiers& f);

}  // namespace vellumcast
