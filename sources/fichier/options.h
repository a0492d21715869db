// The command line: the options and the exports' names, and the texts
// that --help and --version print.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reglages.h"

namespace vellumcast {

// What the command line asks for. When `erreur` is not empty the command line
// is a usage error and nothing else in the struct counts.
struct LigneDeCommande {
  bool aide = false;
  bool version = false;
  bool silencieux = false;            // no summary on standard error
  Options options;                    // what the conversion is told
  bool fuseau_donne = false;          // --timezone was given
  bool attendre = true;               // wait while another run works in the directory
  std::vector<std::string> noms;      // the exports, in order; none: ask on the console
  std::optional<std::string> sortie;  // where the results go; none: beside each export
  std::string erreur;
};

// Reads `argv[1]` to `argv[argc - 1]`. Options and names come in any order: an
// argument that starts with "-", other than "-" alone, is an option, until
// "--", after which every argument is a name. Each name is an export. An
// option's value is the next argument, or follows "=" in the same one (or
// the letter of a short form). --help or --version ends the reading.
LigneDeCommande LireLigneDeCommande(int argc, const char* const* argv);

// The usage text of --help, lines ended by LF.
std::string_view TexteAide();

// The text of --version: the version, then the copyright and licence, lines
// ended by LF.
std::string_view TexteVersion();

}  // namespace vellumcast
