// The command line: the options before the input file's name, and the texts
// that --help and --version print.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "reglages.h"

namespace vellumcast {

// What the command line asks for. When `erreur` is not empty the command line
// is a usage error and nothing else in the struct counts.
struct LigneDeCommande {
  bool aide = false;
  bool version = false;
  bool silencieux = false;         // no summary on standard error
  Options options;                 // what the conversion is told
  std::optional<std::string> nom;  // the input file's name; none: ask on the console
  std::string erreur;
};

// Reads `argv[1]` to `argv[argc - 1]`. An argument that starts with "-", other
// than "-" alone, is an option until "--" or the first name; the argument after
// "--" is the name whatever it looks like; arguments after the name are ignored.
// An option's value is the next argument, or follows "=" in the same one.
// --help or --version ends the reading of options.
LigneDeCommande LireLigneDeCommande(int argc, const char* const* argv);

// The usage text of --help, lines ended by LF.
std::string_view TexteAide();

// The text of --version: the version, then the copyright and licence, lines
// ended by LF.
std::string_view TexteVersion();

}  // namespace vellumcast
