// The files a run must not write over: the input, and, for the result, the
// run's own files and the standard streams.
#pragma once

#include <string>

namespace vellumcast {

// The first name the run would create, empty or erase in the working
// directory that is the input read from `fd_entree`; empty when there is none.
std::string NomQuiEstLEntree(int fd_entree, const std::string& nom_resultat);

// Why the result may not be written under `nom_resultat` in the working
// directory, in words: it bears the name of the log, of "~ical.tmp" or of a
// scratch name, or it is the same file as standard output, standard error or
// one of those files that exists; empty when it may.
std::string RaisonContreResultat(const std::string& nom_resultat);

}  // namespace vellumcast
