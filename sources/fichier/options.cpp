#include "options.h"

#include "chaines.h"

namespace vellumcast {

namespace {

constexpr std::string_view kAide =
    "Usage: vellumcast [OPTION]... [--] [FILE]\n"
    "Convert the calendar export FILE into an iCalendar file beside it, named after\n"
    "it with the extension .ics, and write the trace log Vellumcast.log there.\n"
    "Without FILE, the name is asked for on the console.\n"
    "\n"
    "  --year-limit YEAR  leave out events whose start year is YEAR or later\n"
    "                     (four digits; 2012 when not given)\n"
    "  --help             show this help and exit\n"
    "  --version          show the version and exit\n"
    "  --                 take the next argument as FILE, even if it starts with -\n"
    "\n"
    "Exit status: 0 when the conversion is complete, 64 for a usage error, else the\n"
    "run-time error number shown on standard output (see vellumcast(1)).\n";

constexpr std::string_view kVersion =
    "vellumcast " VELLUMCAST_VERSION
    "\n"
    "Copyright (C) " VELLUMCAST_COPYRIGHT
    ".\n"
    "License MIT: <https://opensource.org/licenses/MIT>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

// An argument quoted in a message, control bytes shown as "?" so that it
// cannot drive the terminal.
std::string Cite(std::string_view arg) {
  std::string cite = "'";
  for (char c : arg) {
    unsigned char u = static_cast<unsigned char>(c);
    cite += u < 32 || u == 127 ? '?' : c;
  }
  return cite + "'";
}

bool QuatreChiffres(std::string_view valeur) {
  if (valeur.size() != 4) return false;
  for (char c : valeur) {
    if (!ISAFIGURE(c)) return false;
  }
  return true;
}

}  // namespace

LigneDeCommande LireLigneDeCommande(int argc, const char* const* argv) {
  LigneDeCommande ligne;
  int i = 1;
  for (; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--") {
      ++i;
      break;
    }
    if (arg.size() < 2 || arg[0] != '-') break;  // the name, "-" alone included
    if (arg == "--help") {
      ligne.aide = true;
      return ligne;
    }
    if (arg == "--version") {
      ligne.version = true;
      return ligne;
    }
    if (arg == "--year-limit") {
      if (i + 1 == argc) {
        ligne.erreur = "option --year-limit needs a year";
        return ligne;
      }
      std::string_view valeur = argv[++i];
      if (!QuatreChiffres(valeur)) {
        ligne.erreur = "option --year-limit needs a year of four digits, not " + Cite(valeur);
        return ligne;
      }
      ligne.annee_limite = (valeur[0] - '0') * 1000 + (valeur[1] - '0') * 100 +
                           (valeur[2] - '0') * 10 + (valeur[3] - '0');
      continue;
    }
    ligne.erreur = "unknown option " + Cite(arg);
    return ligne;
  }
  if (i < argc) ligne.nom = argv[i];
  return ligne;
}

std::string_view TexteAide() { return kAide; }

std::string_view TexteVersion() { return kVersion; }

}  // namespace vellumcast
