// The C library's placing of local times under TZ=ZONE, and the zones of the
// interoperability tests.
#include "oracle_fuseau.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string_view>

namespace vellumcast {

namespace {

// Whether the instant `utc` reads as `h` on the C library's local clock.
bool Donne(int64_t utc, const HeureCivile& h) {
  const auto t = static_cast<time_t>(utc);
  std::tm tm{};
  localtime_r(&t, &tm);
  return HeureCivile{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                     tm.tm_hour,        tm.tm_min,     tm.tm_sec} == h;
}

constexpr int64_t kFin2037 = HeureCivile{2038, 1, 1, 0, 0, 0}.Secondes();

}  // namespace

bool BaseTzAbsente() { return !std::filesystem::exists(std::string(kDossierTz) + "/Europe/Paris"); }

const std::vector<ZoneDuTableau>& ZonesDuTableau() {
  static const std::vector<ZoneDuTableau> zones = {
      {"France", "Europe/Paris", false},
      {"Europe/Paris", "Europe/Paris", false},
      {"Europe/London", "Europe/London", false},
      {"America/New_York", "America/New_York", false},
      {"America/Sao_Paulo", "America/Sao_Paulo", false},
      {"Asia/Kolkata", "Asia/Kolkata", false},
      {"Australia/Lord_Howe", "Australia/Lord_Howe", false},
      {"Pacific/Chatham", "Pacific/Chatham", false},
      {"Africa/Casablanca", "Africa/Casablanca", true},
      {"UTC", "UTC", false},
  };
  return zones;
}

bool OuvrirZone(const ZoneDuTableau& z, Fuseau* fuseau, std::string* erreur) {
  if (std::string_view(z.nom) == "France") {
    *fuseau = Fuseau::France();
    return true;
  }
  return Fuseau::Charger(z.nom, kDossierTz, fuseau, erreur);
}

SousTz::SousTz(const char* tz) {
  if (const char* avant = std::getenv("TZ")) avant_ = avant;
  setenv("TZ", tz, 1);
  tzset();
}

SousTz::~SousTz() {
  if (avant_) {
    setenv("TZ", avant_->c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

int32_t DecalageC(int64_t utc) {
  const auto t = static_cast<time_t>(utc);
  std::tm tm{};
  localtime_r(&t, &tm);
  return static_cast<int32_t>(tm.tm_gmtoff);
}

Placement OracleC(const HeureCivile& h) {
  std::tm tm{};
  tm.tm_year = h.annee - 1900;
  tm.tm_mon = h.mois - 1;
  tm.tm_mday = h.jour;
  tm.tm_hour = h.heure;
  tm.tm_min = h.minute;
  tm.tm_sec = h.seconde;
  tm.tm_isdst = -1;
  const int64_t pres = mktime(&tm);
  // No zone of the table changes twice within two days.
  const int32_t avant = DecalageC(pres - 86400), apres = DecalageC(pres + 86400);
  const int64_t l = h.Secondes();
  const bool par_avant = Donne(l - avant, h), par_apres = Donne(l - apres, h);
  Placement p;
  p.utc = l - avant;
  p.inexistante = !par_avant && !par_apres;
  p.double_ = par_avant && par_apres && avant != apres;
  if (!par_avant && par_apres) p.utc = l - apres;
  return p;
}

std::vector<HeureCivile> HeuresAuxChangements() {
  std::vector<HeureCivile> heures;
  for (int64_t u = 0; u < kFin2037; u += 86400) {
    const int32_t o1 = DecalageC(u), o2 = DecalageC(u + 86400);
    if (o1 == o2) continue;
    int64_t bas = u, haut = u + 86400;  // the change lies in (bas, haut]
    while (haut - bas > 1) {
      const int64_t milieu = bas + (haut - bas) / 2;
      (DecalageC(milieu) == o1 ? bas : haut) = milieu;
    }
    const int64_t debut = haut + std::min(o1, o2), bout = haut + std::max(o1, o2);
    for (int64_t l : {debut, debut + (bout - debut) / 2, bout - 1, bout}) {
      heures.push_back(HeureCivile::De(l));
    }
  }
  return heures;
}

std::vector<HeureCivile> TousLesSeptJoursEtTreizeHeures() {
  std::vector<HeureCivile> heures;
  for (int64_t l = 0; l < kFin2037; l += 7 * 86400 + 13 * 3600) {
    heures.push_back(HeureCivile::De(l));
  }
  return heures;
}

std::string TexteHeure(const HeureCivile& h) {
  char texte[32];
  std::snprintf(texte, sizeof texte, "%04d-%02d-%02d %02d:%02d:%02d", h.annee, h.mois, h.jour,
                h.heure, h.minute, h.seconde);
  return texte;
}

}  // namespace vellumcast
