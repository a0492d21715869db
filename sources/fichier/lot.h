// A command of several exports: each converted in turn by a child process,
// as by a run of its own, and the line that ends the command.
#pragma once

#include <string>
#include <vector>

#include "console.h"
#include "flux.h"
#include "statut.h"
#include "traitement.h"

namespace vellumcast {

// Converts every export the command names, in the order given, each in a
// child process that runs it as a single export would run; the working
// directory of this process never changes. `repertoire_sortie` is the
// directory -o names, open, or -1. Returns the status of the first export
// whose run did not end with 0, else 0.
int ConvertirLot(const Commande& commande, int repertoire_sortie, Lecteur* entree_std,
                 Console* console, Erreurs* erreurs, Fichiers* f);

// The line that ends a command of several exports, LF included: how many
// were converted and which failed, named as standard error shows names.
// Empty when none failed and the command is quiet.
std::string LigneDeFin(size_t converties, const std::vector<std::string>& echecs, bool silencieux);

}  // namespace vellumcast
