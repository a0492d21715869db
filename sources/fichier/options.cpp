// The options table, each option's reader, the help and version texts.
#include "options.h"

#include <cstdlib>
#include <utility>

#include "affichage.h"
#include "chaines.h"
#include "utf8.h"

namespace vellumcast {

namespace {

constexpr std::string_view kAide =
    "Usage: vellumcast [OPTION]... [FILE]...\n"
    "Convert each calendar export FILE into an iCalendar file beside it, named\n"
    "after it with the extension .ics, and write the trace log Vellumcast.log\n"
    "there. Several FILEs are converted one after the other, each as by a run of\n"
    "its own; the log of a directory then holds the traces of all those converted\n"
    "there, in order. Without FILE, the name is asked for on the console. Options\n"
    "may come before or after FILE; a value follows its option or comes after \"=\".\n"
    "\n"
    "  -o, --output FILE  write the result to FILE, and the trace log and scratch\n"
    "                     files in FILE's directory\n"
    "  -o, --output DIR   write every result, the trace log and scratch files in\n"
    "                     DIR, an existing directory\n"
    "  --year-limit YEAR  leave out events whose start year is YEAR or later\n"
    "                     (four digits; 2012 when not given)\n"
    "  --charset NAME     the character set of the export: iso-8859-1 (the\n"
    "                     default), windows-1252 or utf-8\n"
    "  --date-order ORDER dmy (the default: day/month/year), mdy (month first) or\n"
    "                     ymd (year first); a four-digit first field is a year\n"
    "  --timezone ZONE    the time zone the export's times were kept in, a name of\n"
    "                     the tz database such as America/New_York (the default:\n"
    "                     the zone France, that is Europe/Paris)\n"
    "  --no-wait          stop with error 5 when another run works in the\n"
    "                     directory, instead of waiting for it to end\n"
    "  --stable-uids      each event's UID made of its document's identifier and\n"
    "                     its start, the same when the export is converted again\n"
    "  --series           a document whose dates follow one rule as one recurring\n"
    "                     event\n"
    "  --split N          the result in parts of at most N events each, NAME-1.ics,\n"
    "                     NAME-2.ics, ... (for services that limit an import's size)\n"
    "  -q, --quiet        no summary of the run on standard error\n"
    "  -h, --help         show this help and exit\n"
    "  -V, --version      show the version and exit\n"
    "  --                 take the arguments after it as names, even if they start\n"
    "                     with -\n"
    "\n"
    "Exit status: 0 when the conversion is complete, 1 when the export changed while\n"
    "it was read, 64 for a usage error, else the run-time error number shown on\n"
    "standard output (see vellumcast(1)). With several FILEs, the status of the\n"
    "first whose conversion did not end with 0, and a last line names each that\n"
    "did not.\n";

constexpr std::string_view kVersion =
    "vellumcast " VELLUMCAST_VERSION
    "\n"
    "Copyright (C) " VELLUMCAST_COPYRIGHT
    ".\n"
    "License MIT: <https://opensource.org/licenses/MIT>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

// Each option's value into the command line; the usage error otherwise.
std::string LireAnnee(std::string_view valeur, LigneDeCommande* ligne) {
  bool quatre = valeur.size() == 4;
  for (char c : valeur) quatre = quatre && ISAFIGURE(c);
  if (!quatre) return "option --year-limit needs a year of four digits, not " + Cite(valeur);
  ligne->options.annee_limite = (valeur[0] - '0') * 1000 + (valeur[1] - '0') * 100 +
                                (valeur[2] - '0') * 10 + (valeur[3] - '0');
  return {};
}

std::string LireJeuDeCaracteres(std::string_view valeur, LigneDeCommande* ligne) {
  if (LireJeu(valeur, &ligne->options.jeu)) return {};
  return "unknown character set " + Cite(valeur) + " (iso-8859-1, windows-1252 or utf-8)";
}

std::string LireOrdre(std::string_view valeur, LigneDeCommande* ligne) {
  static constexpr std::pair<std::string_view, OrdreDates> kOrdres[] = {
      {"dmy", OrdreDates::kJourMois},
      {"mdy", OrdreDates::kMoisJour},
      {"ymd", OrdreDates::kAnneeMois},
  };
  for (const auto& [nom, ordre] : kOrdres) {
    if (valeur == nom) {
      ligne->options.ordre_dates = ordre;
      return {};
    }
  }
  return "option --date-order needs dmy, mdy or ymd, not " + Cite(valeur);
}

// The zone from the system's tz database ($TZDIR, else /usr/share/zoneinfo).
std::string LireFuseau(std::string_view valeur, LigneDeCommande* ligne) {
  const char* tzdir = std::getenv("TZDIR");
  const std::string dossier = tzdir != nullptr && *tzdir != '\0' ? tzdir : "/usr/share/zoneinfo";
  std::string erreur;
  if (!Fuseau::Charger(valeur, dossier, &ligne->options.fuseau, &erreur)) return erreur;
  ligne->fuseau_donne = true;
  return {};
}

struct Option {
  std::string_view nom;   // with its two dashes
  char court;             // its one-letter form after one dash, or 0
  std::string_view quoi;  // what its value is, for a message; empty when it takes none
  std::string (*lire)(std::string_view valeur, LigneDeCommande* ligne);
};

std::string LireSortie(std::string_view valeur, LigneDeCommande* ligne) {
  if (valeur.empty()) return "option --output needs a file name";
  ligne->sortie.emplace(valeur);
  return {};
}

std::string Aide(std::string_view, LigneDeCommande* ligne) {
  ligne->aide = true;
  return {};
}

std::string Version(std::string_view, LigneDeCommande* ligne) {
  ligne->version = true;
  return {};
}

std::string UidsStables(std::string_view, LigneDeCommande* ligne) {
  ligne->options.uids_stables = true;
  return {};
}

std::string Series(std::string_view, LigneDeCommande* ligne) {
  ligne->options.series = true;
  return {};
}

std::string LirePartie(std::string_view valeur, LigneDeCommande* ligne) {
  // Twelve digits hold any count of events a run can write.
  size_t n = 0;
  bool nombre = !valeur.empty() && valeur.size() <= 12;
  for (char c : valeur) {
    nombre = nombre && ISAFIGURE(c);
    n = n * 10 + static_cast<size_t>(c - '0');
  }
  if (!nombre || n == 0) {
    return "option --split needs a whole number of events from 1 up, not " + Cite(valeur);
  }
  ligne->options.evenements_par_partie = n;
  return {};
}

std::string Silence(std::string_view, LigneDeCommande* ligne) {
  ligne->silencieux = true;
  return {};
}

std::string SansAttente(std::string_view, LigneDeCommande* ligne) {
  ligne->attendre = false;
  return {};
}

constexpr Option kOptions[] = {
    {"--help", 'h', "", Aide},
    {"--version", 'V', "", Version},
    {"--quiet", 'q', "", Silence},
    {"--output", 'o', "a file name", LireSortie},
    {"--year-limit", 0, "a year", LireAnnee},
    {"--charset", 0, "a character set", LireJeuDeCaracteres},
    {"--date-order", 0, "dmy, mdy or ymd", LireOrdre},
    {"--timezone", 0, "a time zone", LireFuseau},
    {"--no-wait", 0, "", SansAttente},
    {"--stable-uids", 0, "", UidsStables},
    {"--series", 0, "", Series},
    {"--split", 0, "a number of events", LirePartie},
};

// The option `arg` names, and its value when it follows "=" (or the letter
// of its short form); null when `arg` is no option.
const Option* Trouver(std::string_view arg, std::optional<std::string_view>* valeur) {
  for (const Option& o : kOptions) {
    if (o.court != 0 && arg[1] == o.court) {
      if (arg.size() == 2) return &o;
      if (!o.quoi.empty()) {
        *valeur = arg.substr(2);
        return &o;
      }
    }
    if (!arg.starts_with(o.nom)) continue;
    if (arg.size() == o.nom.size()) return &o;
    if (!o.quoi.empty() && arg[o.nom.size()] == '=') {
      *valeur = arg.substr(o.nom.size() + 1);
      return &o;
    }
  }
  return nullptr;
}

}  // namespace

LigneDeCommande LireLigneDeCommande(int argc, const char* const* argv) {
  LigneDeCommande ligne;
  bool options = true;  // until "--"
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (options && arg == "--") {
      options = false;
      continue;
    }
    // A name, "-" alone included.
    if (!options || arg.size() < 2 || arg[0] != '-') {
      ligne.noms.emplace_back(arg);
      continue;
    }
    std::optional<std::string_view> valeur;
    const Option* option = Trouver(arg, &valeur);
    if (option == nullptr) {
      ligne.erreur = "unknown option " + Cite(arg);
      return ligne;
    }
    if (!option->quoi.empty() && !valeur) {
      if (i + 1 == argc) {
        ligne.erreur = "option " + std::string(option->nom) + " needs " + std::string(option->quoi);
        return ligne;
      }
      valeur = argv[++i];
    }
    ligne.erreur = option->lire(valeur.value_or(""), &ligne);
    if (!ligne.erreur.empty() || ligne.aide || ligne.version) return ligne;
  }
  return ligne;
}

std::string_view TexteAide() { return kAide; }

std::string_view TexteVersion() { return kVersion; }

}  // namespace vellumcast
