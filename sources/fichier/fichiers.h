// The input-file prompt, the input's fingerprint and the names the run
// derives from it.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

#include "flux.h"
#include "statut.h"

namespace vellumcast {

class Console;

// The name that stands for the input in messages when it is standard input.
constexpr const char* kNomEntreeStandard = "(standard input)";
constexpr const char* kNomSortieStandard = "(standard output)";

// What the input looked like when it was opened, to tell at the end of the
// run whether it changed while it was read.
struct Empreinte {
  bool reguliere = false;        // only a regular file's size and time tell anything
  bool depuis_le_debut = false;  // its reader has had every byte from the first on
  int64_t taille = 0;
  std::timespec modification{};
};

// The size and modification time of what `fd` reads.
Empreinte Relever(int fd, bool depuis_le_debut);

// Whether the regular file read by `lecteur` is no longer what `avant` saw:
// another size or modification time, or, read from its first byte, another
// number of bytes than its size (fewer are read when a code 26 ends the input
// early, never more).
bool Changee(const Empreinte& avant, const Lecteur& lecteur);

// What GETINPUTFILE ends with.
enum class Choix {
  kOuvert,         // the input is open, and the working directory is its PATH when it has one
  kAbandon,        // the user answered "Y": end with status 0
  kConsoleFermee,  // the console input ended: end with status 2
  kErreur,         // the change of directory failed: run-time error in *statut
};

// The input file, once chosen.
struct Entree {
  std::string FIC1NAME;  // the name as opened, absolute when it exists
  std::string donne;     // the name as the user gave or typed it
  // The directory part, up to and including the last "/", made the working
  // directory; empty when the run works where it started: standard input, or
  // an input that is no regular file.
  std::string PATH;
  std::unique_ptr<Lecteur> fichier;  // null when the input is standard input
  Empreinte empreinte;               // taken as the input was opened
};

// Opens the export the user named `nom` into `*entree`, without changing
// directory: its name's absolute form, its reader, its fingerprint and its
// PATH; standard input for an empty name. 0, or the system's error number
// when it cannot be opened (`entree->FIC1NAME` then holds the name tried).
int OuvrirExport(const std::string& nom, Erreurs* erreurs, Entree* entree);

// Asks for the input file until one opens or the user gives up: takes `argument`
// when given (null when the program got none), else asks on the console.
// Standard input serves as the input for an empty name.
Choix GETINPUTFILE(const std::string* argument, Console* console, Erreurs* erreurs, Entree* entree,
                   Statut* statut);

// The absolute form of `nom` used to open it: lexically normalised when that
// names the same file; `nom` itself when it does not exist, or when its
// absolute form cannot be built or reached (a working directory past the
// path limit, or one whose path cannot be read).
std::string Developper(const std::string& nom);

// The result file's name: the base name of `fic1name` (after its last "/",
// less its extension from the last ".") followed by ".ics".
std::string NomResultat(const std::string& fic1name);

// What follows the last "/" of `nom`; all of it when it has none.
std::string NomDeBase(const std::string& nom);

}  // namespace vellumcast
