// The machine's zone, found as the C library finds it, and its offsets held
// against those of Paris.
#include "zone_machine.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "tzfile.h"

namespace vellumcast {

namespace {

namespace fs = std::filesystem;

// Links followed from /etc/localtime before giving up.
constexpr int kLiensMax = 8;

bool FichierDeLaBase(const Machine& machine, std::string_view nom) {
  std::error_code ec;
  return NomDeZonePermis(nom) && fs::is_regular_file(machine.dossier + "/" + std::string(nom), ec);
}

// The name below the tz database of the file at the absolute `chemin`.
std::optional<std::string> NomSousLaBase(const Machine& machine, const fs::path& chemin) {
  std::string base = fs::path(machine.dossier).lexically_normal().string();
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  const std::string normal = chemin.lexically_normal().string();
  if (normal.size() <= base.size() + 1 || normal.compare(0, base.size(), base) != 0 ||
      normal[base.size()] != '/') {
    return std::nullopt;
  }
  std::string nom = normal.substr(base.size() + 1);
  if (!FichierDeLaBase(machine, nom)) return std::nullopt;
  return nom;
}

// TZ's value less its leading ":".
std::string_view ValeurTz(const std::string& tz) {
  std::string_view v = tz;
  if (!v.empty() && v.front() == ':') v.remove_prefix(1);
  return v;
}

std::optional<std::string> NomDuLien(const Machine& machine) {
  fs::path lien = machine.localtime;
  for (int k = 0; k < kLiensMax; ++k) {
    std::error_code ec;
    if (!fs::is_symlink(lien, ec)) break;
    fs::path cible = fs::read_symlink(lien, ec);
    if (ec) break;
    if (cible.is_relative()) cible = lien.parent_path() / cible;
    if (auto nom = NomSousLaBase(machine, cible)) return nom;
    lien = cible;
  }
  return std::nullopt;
}

std::optional<std::string> NomDuFichier(const Machine& machine) {
  std::ifstream fichier(machine.timezone);
  std::string ligne;
  if (!std::getline(fichier, ligne)) return std::nullopt;
  const auto blanc = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!ligne.empty() && blanc(ligne.back())) ligne.pop_back();
  ligne.erase(ligne.begin(), std::find_if_not(ligne.begin(), ligne.end(), blanc));
  if (!FichierDeLaBase(machine, ligne)) return std::nullopt;
  return ligne;
}

int64_t DebutAnnee(int annee) { return JoursDepuis1970(annee, 1, 1) * 86400; }

}  // namespace

Machine Machine::DeCetteMachine() {
  Machine m;
  if (const char* tz = std::getenv("TZ")) m.tz = tz;
  if (const char* dossier = std::getenv("TZDIR"); dossier != nullptr && *dossier != '\0') {
    m.dossier = dossier;
  }
  return m;
}

std::optional<std::string> NomDeZoneMachine(const Machine& machine) {
  if (machine.tz) {
    // TZ decides the zone: a file of the database names it; a rule or
    // another file names none.
    const std::string_view v = ValeurTz(*machine.tz);
    if (!v.empty() && v.front() == '/') return NomSousLaBase(machine, fs::path(v));
    if (FichierDeLaBase(machine, v)) return std::string(v);
    return std::nullopt;
  }
  if (auto nom = NomDuLien(machine)) return nom;
  return NomDuFichier(machine);
}

Fuseau FuseauMachine(const Machine& machine) {
  Fuseau fuseau;
  std::string erreur;
  if (!machine.tz) {
    const std::string nom = NomDeZoneMachine(machine).value_or(machine.localtime);
    if (Fuseau::ChargerFichier(machine.localtime, nom, &fuseau, &erreur)) {
      return fuseau;
    }
    return Fuseau::Utc();
  }
  const std::string_view v = ValeurTz(*machine.tz);
  if (v.empty()) return Fuseau::Utc();
  const std::string chemin = v.front() == '/'     ? std::string(v)
                             : NomDeZonePermis(v) ? machine.dossier + "/" + std::string(v)
                                                  : std::string();
  if (!chemin.empty() && Fuseau::ChargerFichier(chemin, v, &fuseau, &erreur)) return fuseau;
  if (Fuseau::DeRegle(v, &fuseau, &erreur)) return fuseau;
  return Fuseau::Utc();  // as the C library does with a TZ it cannot read
}

Ressemblance CommeParis(const Fuseau& fuseau, int premiere, int derniere) {
  premiere = std::clamp(premiere, -100000, 100000);
  derniere = std::clamp(derniere, premiere, 100000);
  const int64_t debut = DebutAnnee(premiere);
  const int64_t fin = DebutAnnee(derniere + 1);
  const Fuseau paris = Fuseau::France();
  // Both offsets hold between changes: the start and the changes of either
  // zone are all the instants to compare.
  std::vector<int64_t> instants = fuseau.Changements(debut, fin);
  const std::vector<int64_t> de_paris = paris.Changements(debut, fin);
  instants.insert(instants.end(), de_paris.begin(), de_paris.end());
  instants.push_back(debut);
  bool utc = true, comme_paris = true;
  for (int64_t instant : instants) {
    const int32_t decalage = fuseau.DecalageA(instant);
    utc = utc && decalage == 0;
    comme_paris = comme_paris && decalage == paris.DecalageA(instant);
  }
  if (utc) return Ressemblance::kUtc;
  return comme_paris ? Ressemblance::kParis : Ressemblance::kAutre;
}

}  // namespace vellumcast
