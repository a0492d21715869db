// Finding the recurrence rule a document's occurrences follow: a candidate
// is read off the first occurrences, then expanded and matched against all.
#include "serie.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <vector>

namespace vellumcast {
namespace {

// The occurrences' days, as JoursDepuis1970 numbers them.
using Numeros = std::span<const int64_t>;

bool Calendaire(const HeureCivile& h) {
  return h.mois >= 1 && h.mois <= 12 && h.jour >= 1 && h.jour <= JoursDuMois(h.annee, h.mois) &&
         h.heure >= 0 && h.heure <= 23 && h.minute >= 0 && h.minute <= 59 && h.seconde >= 0 &&
         h.seconde <= 59;
}

bool MemeHeure(const HeureCivile& a, const HeureCivile& b) {
  return a.heure == b.heure && a.minute == b.minute && a.seconde == b.seconde;
}

int64_t Duree(const Occurrence& o) { return o.a_fin ? o.fin.Secondes() - o.debut.Secondes() : 0; }

// Whether every occurrence is a calendar date at the first one's time of day,
// with its duration, and after the one before it.
bool MemeForme(std::span<const Occurrence> occurrences, bool journees) {
  const Occurrence& premiere = occurrences[0];
  if (journees && !MemeHeure(premiere.debut, HeureCivile{})) return false;
  const int64_t duree = Duree(premiere);
  int64_t precedent = 0;
  for (size_t k = 0; k < occurrences.size(); ++k) {
    const Occurrence& o = occurrences[k];
    if (!Calendaire(o.debut) || !MemeHeure(o.debut, premiere.debut)) return false;
    if (o.a_fin != premiere.a_fin || Duree(o) != duree) return false;
    const int64_t debut = o.debut.Secondes();
    if (k > 0 && debut <= precedent) return false;
    precedent = debut;
  }
  return true;
}

// A month counted from January of year 0, so that stepping months is adding.
int64_t MoisAbsolu(const HeureCivile& h) { return int64_t{h.annee} * 12 + (h.mois - 1); }

// The divisors of `n` (above 0), smallest first.
std::vector<int64_t> Diviseurs(int64_t n) {
  std::vector<int64_t> petits, grands;
  for (int64_t d = 1; d <= n / d; ++d) {
    if (n % d != 0) continue;
    petits.push_back(d);
    if (d != n / d) grands.push_back(n / d);
  }
  petits.insert(petits.end(), grands.rbegin(), grands.rend());
  return petits;
}

// How a monthly or yearly rule picks its day within a month.
struct Choix {
  int jour_du_mois = 0;  // this day of the month; 0 when by weekday
  int rang = 0;          // 1 to 5, or -1 for the last
  int jour_semaine = 0;  // 0 Sunday
};

// The day of the month `choix` picks in that month, or 0 when it has none
// (a 31st in April, a fifth Friday in a month of four).
int JourPris(const Choix& choix, int annee, int mois) {
  const int longueur = JoursDuMois(annee, mois);
  if (choix.rang == 0) return choix.jour_du_mois <= longueur ? choix.jour_du_mois : 0;
  if (choix.rang < 0) {
    const int dernier = JourDeSemaine(JoursDepuis1970(annee, mois, longueur));
    return longueur - (dernier - choix.jour_semaine + 7) % 7;
  }
  const int premier = JourDeSemaine(JoursDepuis1970(annee, mois, 1));
  const int jour = 1 + (choix.jour_semaine - premier + 7) % 7 + 7 * (choix.rang - 1);
  return jour <= longueur ? jour : 0;
}

// Whether the days picked every `pas` months from month `depart` on are
// exactly `numeros`. A month that starts after the day awaited ends the walk,
// so months without the day are never walked past the next occurrence.
bool EngendreParMois(const Choix& choix, int64_t depart, int64_t pas, Numeros numeros) {
  size_t k = 0;
  for (int64_t m = depart; k < numeros.size(); m += pas) {
    const int64_t annee_longue = m >= 0 ? m / 12 : (m - 11) / 12;
    const int annee = static_cast<int>(annee_longue);
    const int mois = static_cast<int>(m - annee_longue * 12) + 1;
    if (JoursDepuis1970(annee, mois, 1) > numeros[k]) return false;
    const int jour = JourPris(choix, annee, mois);
    if (jour == 0) continue;
    if (JoursDepuis1970(annee, mois, jour) != numeros[k]) return false;
    ++k;
  }
  return true;
}

// Whether the days of `jours_semaine` (bits as in Regle) in every
// `intervalle`-th week, weeks running Monday to Sunday from the first day's
// week, and from the first day on, are exactly `numeros`.
bool EngendreParSemaine(uint8_t jours_semaine, int64_t intervalle, Numeros numeros) {
  if (jours_semaine == 0) return false;
  const int64_t lundi = numeros[0] - (JourDeSemaine(numeros[0]) + 6) % 7;
  size_t k = 0;
  for (int64_t debut = lundi; k < numeros.size(); debut += 7 * intervalle) {
    for (int j = 0; j < 7 && k < numeros.size(); ++j) {
      const int64_t jour = debut + j;
      if (((jours_semaine >> JourDeSemaine(jour)) & 1) == 0 || jour < numeros[0]) continue;
      if (jour != numeros[k]) return false;
      ++k;
    }
  }
  return true;
}

std::optional<Regle> Annuelle(const HeureCivile& premier, const HeureCivile& second,
                              Numeros numeros) {
  if (second.mois != premier.mois || second.jour != premier.jour) return std::nullopt;
  const Choix choix{premier.jour, 0, 0};
  for (int64_t intervalle : Diviseurs(second.annee - premier.annee)) {
    if (intervalle > INT_MAX / 12) break;
    if (EngendreParMois(choix, MoisAbsolu(premier), 12 * intervalle, numeros)) {
      return Regle{.frequence = Frequence::kAnnuelle, .intervalle = static_cast<int>(intervalle)};
    }
  }
  return std::nullopt;
}

std::optional<Regle> Mensuelle(const HeureCivile& premier, const HeureCivile& second,
                               Numeros numeros) {
  const int64_t ecart = MoisAbsolu(second) - MoisAbsolu(premier);
  if (ecart <= 0) return std::nullopt;
  const int jour_semaine = JourDeSemaine(numeros[0]);
  std::vector<Choix> choix = {{premier.jour, 0, 0}, {0, (premier.jour - 1) / 7 + 1, jour_semaine}};
  if (premier.jour + 7 > JoursDuMois(premier.annee, premier.mois))
    choix.push_back({0, -1, jour_semaine});
  for (int64_t intervalle : Diviseurs(ecart)) {
    if (intervalle > INT_MAX) break;
    for (const Choix& c : choix) {
      if (!EngendreParMois(c, MoisAbsolu(premier), intervalle, numeros)) continue;
      return Regle{.frequence = Frequence::kMensuelle,
                   .intervalle = static_cast<int>(intervalle),
                   .jour_du_mois = c.jour_du_mois,
                   .rang = c.rang,
                   .jour_semaine = c.jour_semaine};
    }
  }
  return std::nullopt;
}

std::optional<Regle> HebdomadaireUnJour(Numeros numeros) {
  const int64_t ecart = numeros[1] - numeros[0];
  if (ecart % 7 != 0 || ecart / 7 > INT_MAX) return std::nullopt;
  const auto jours_semaine = static_cast<uint8_t>(1 << JourDeSemaine(numeros[0]));
  if (!EngendreParSemaine(jours_semaine, ecart / 7, numeros)) return std::nullopt;
  return Regle{.frequence = Frequence::kHebdomadaire,
               .intervalle = static_cast<int>(ecart / 7),
               .jours_semaine = jours_semaine};
}

std::optional<Regle> Quotidienne(Numeros numeros) {
  const int64_t ecart = numeros[1] - numeros[0];
  if (ecart > INT_MAX) return std::nullopt;
  for (size_t k = 2; k < numeros.size(); ++k) {
    if (numeros[k] - numeros[k - 1] != ecart) return std::nullopt;
  }
  return Regle{.frequence = Frequence::kQuotidienne, .intervalle = static_cast<int>(ecart)};
}

// The weekdays come from the first week and the next week that holds an
// occurrence, which together show every day of the rule that is ever used:
// the first week shows the days from the first occurrence's on, the next
// one the days before it, unless the series ends first.
std::optional<Regle> HebdomadairePlusieursJours(Numeros numeros) {
  const int64_t lundi = numeros[0] - (JourDeSemaine(numeros[0]) + 6) % 7;
  int64_t intervalle = 0;
  uint8_t jours_semaine = 0;
  for (int64_t jour : numeros) {
    const int64_t rang = (jour - lundi) / 7;
    if (rang > 0 && intervalle == 0) intervalle = rang;
    if (rang != 0 && rang != intervalle) break;
    jours_semaine |= static_cast<uint8_t>(1 << JourDeSemaine(jour));
  }
  if (intervalle == 0) intervalle = 1;
  if (std::popcount(jours_semaine) < 2 || intervalle > INT_MAX) return std::nullopt;
  if (intervalle > 1 && (jours_semaine & 1) != 0) return std::nullopt;
  if (!EngendreParSemaine(jours_semaine, intervalle, numeros)) return std::nullopt;
  return Regle{.frequence = Frequence::kHebdomadaire,
               .intervalle = static_cast<int>(intervalle),
               .jours_semaine = jours_semaine};
}

}  // namespace

std::optional<Regle> TrouverSerie(std::span<const Occurrence> occurrences, bool journees) {
  const size_t n = occurrences.size();
  if (n < 3 || n > kOccurrencesMax || !MemeForme(occurrences, journees)) return std::nullopt;
  std::vector<int64_t> numeros_debuts(n);
  for (size_t k = 0; k < n; ++k) {
    const HeureCivile& d = occurrences[k].debut;
    numeros_debuts[k] = JoursDepuis1970(d.annee, d.mois, d.jour);
  }
  const Numeros numeros(numeros_debuts);
  const HeureCivile& premier = occurrences[0].debut;
  const HeureCivile& second = occurrences[1].debut;
  std::optional<Regle> regle = Annuelle(premier, second, numeros);
  if (!regle) regle = Mensuelle(premier, second, numeros);
  if (!regle) regle = HebdomadaireUnJour(numeros);
  if (!regle) regle = Quotidienne(numeros);
  if (!regle) regle = HebdomadairePlusieursJours(numeros);
  if (regle) regle->nombre = static_cast<int>(n);
  return regle;
}

std::string TexteRegle(const Regle& regle) {
  static constexpr const char* kFrequences[] = {"DAILY", "WEEKLY", "MONTHLY", "YEARLY"};
  static constexpr const char* kJours[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
  std::string texte = std::string("FREQ=") + kFrequences[static_cast<int>(regle.frequence)];
  texte += ";COUNT=" + std::to_string(regle.nombre);
  if (regle.intervalle > 1) texte += ";INTERVAL=" + std::to_string(regle.intervalle);
  if (regle.frequence == Frequence::kHebdomadaire && std::popcount(regle.jours_semaine) > 1) {
    const char* separateur = ";BYDAY=";
    for (int j = 1; j <= 7; ++j) {
      if (((regle.jours_semaine >> (j % 7)) & 1) == 0) continue;
      texte += separateur;
      texte += kJours[j % 7];
      separateur = ",";
    }
  } else if (regle.frequence == Frequence::kMensuelle && regle.rang == 0) {
    texte += ";BYMONTHDAY=" + std::to_string(regle.jour_du_mois);
  } else if (regle.frequence == Frequence::kMensuelle) {
    texte += ";BYDAY=" + std::to_string(regle.rang) + kJours[regle.jour_semaine];
  }
  return texte;
}

}  // namespace vellumcast
