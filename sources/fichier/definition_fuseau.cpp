// A zone's rule written as a VTIMEZONE: observances, their yearly rules and
// their first onsets in 1970, in the local time before each change.
#include "definition_fuseau.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "calendrier.h"
#include "ecriture_dates.h"

namespace vellumcast {

namespace {

constexpr std::string_view kJours[7] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};

// ±hhmm, an offset without seconds.
std::string Decalage(int32_t secondes) {
  const int32_t a = std::abs(secondes);
  char texte[8];
  std::snprintf(texte, sizeof texte, "%c%02d%02d", secondes < 0 ? '-' : '+', a / 3600 % 100,
                a / 60 % 60);
  return texte;
}

// [-]h:mm[:ss], a duration as a TZ string writes it.
std::string Duree(int32_t secondes) {
  const int32_t a = std::abs(secondes);
  char texte[24];
  if (a % 60 == 0) {
    std::snprintf(texte, sizeof texte, "%s%d:%02d", secondes < 0 ? "-" : "", a / 3600, a / 60 % 60);
  } else {
    std::snprintf(texte, sizeof texte, "%s%d:%02d:%02d", secondes < 0 ? "-" : "", a / 3600,
                  a / 60 % 60, a % 60);
  }
  return texte;
}

// Jn, n or Mm.w.d, as a TZ string writes the day.
std::string Jour(const JourDeChangement& c) {
  char texte[40] = {};
  switch (c.forme) {
    case JourDeChangement::Forme::kJulien:
      std::snprintf(texte, sizeof texte, "J%d", c.numero);
      break;
    case JourDeChangement::Forme::kRang:
      std::snprintf(texte, sizeof texte, "%d", c.numero);
      break;
    case JourDeChangement::Forme::kMois:
      std::snprintf(texte, sizeof texte, "M%d.%d.%d", c.mois, c.semaine, c.jour_semaine);
      break;
  }
  return texte;
}

// Why a change cannot be a yearly rule of one weekday of one month; empty
// when it can.
std::string Inexprimable(std::string_view tzid, const JourDeChangement& c) {
  if (c.forme != JourDeChangement::Forme::kMois) {
    return "the rule of " + std::string(tzid) + " changes the time on day " + Jour(c) +
           " of the year, not on a weekday of a month as a calendar's yearly rule does";
  }
  if (c.heure < 0 || c.heure >= 86400) {
    return "the rule of " + std::string(tzid) + " changes the time at " + Duree(c.heure) +
           " on day " + Jour(c) + ", outside that day, which no calendar's yearly rule can say";
  }
  return {};
}

// One change of the rule: the observance it enters.
struct Passage {
  int64_t debut;                       // its first onset, local time in the offset before it
  const JourDeChangement* changement;  // none: no yearly rule
  int32_t de, vers;
  const std::string* nom;
};

void Observance(std::string_view sorte, const Passage& p, std::vector<std::string>* l) {
  l->push_back("BEGIN:" + std::string(sorte));
  l->push_back("DTSTART:" + ChiffresDate(HeureCivile::De(p.debut), false));
  if (p.changement != nullptr) {
    const int rang = p.changement->semaine == 5 ? -1 : p.changement->semaine;
    l->push_back("RRULE:FREQ=YEARLY;BYMONTH=" + std::to_string(p.changement->mois) + ";BYDAY=" +
                 std::to_string(rang) + std::string(kJours[p.changement->jour_semaine]));
  }
  l->push_back("TZOFFSETFROM:" + Decalage(p.de));
  l->push_back("TZOFFSETTO:" + Decalage(p.vers));
  // A name of letters is the one people use; tz's numeric names ("+0530")
  // only repeat the offset.
  const std::string& nom = *p.nom;
  const bool lettres = !nom.empty() && std::all_of(nom.begin(), nom.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  });
  if (lettres) l->push_back("TZNAME:" + nom);
  l->push_back("END:" + std::string(sorte));
}

}  // namespace

DefinitionEcrite EcrireDefinition(std::string_view tzid, const RegleTz& regle) {
  DefinitionEcrite d;
  for (int32_t decalage : {regle.decalage_normal, regle.ete ? regle.decalage_ete : 0}) {
    if (decalage % 60 != 0) {
      d.pourquoi_utc = "the offset " + Duree(decalage) + " of " + std::string(tzid) +
                       " has seconds, which calendar programs misread";
      return d;
    }
  }
  const bool deux = regle.ete && regle.decalage_ete != regle.decalage_normal;
  for (const JourDeChangement* c : {&regle.debut_ete, &regle.fin_ete}) {
    if (deux) d.pourquoi_utc = Inexprimable(tzid, *c);
    if (!d.pourquoi_utc.empty()) return d;
  }
  d.lignes = {"BEGIN:VTIMEZONE", "TZID:" + std::string(tzid)};
  if (!deux) {
    const int32_t n = regle.decalage_normal;
    Observance("STANDARD", {0, nullptr, n, n, &regle.nom_normal}, &d.lignes);
    d.lignes.push_back("END:VTIMEZONE");
    return d;
  }
  const int64_t debut = JourDuChangement(regle.debut_ete, 1970) * 86400 + regle.debut_ete.heure;
  const int64_t fin = JourDuChangement(regle.fin_ete, 1970) * 86400 + regle.fin_ete.heure;
  const Passage vers_ete{debut, &regle.debut_ete, regle.decalage_normal, regle.decalage_ete,
                         &regle.nom_ete};
  const Passage vers_normal{fin, &regle.fin_ete, regle.decalage_ete, regle.decalage_normal,
                            &regle.nom_normal};
  // DAYLIGHT is the larger offset, whichever the rule calls its second time.
  const bool avance = regle.decalage_ete > regle.decalage_normal;
  Observance("STANDARD", avance ? vers_normal : vers_ete, &d.lignes);
  Observance("DAYLIGHT", avance ? vers_ete : vers_normal, &d.lignes);
  d.lignes.push_back("END:VTIMEZONE");
  // The earlier onset, in UTC, is the first change.
  d.premier_changement = debut - regle.decalage_normal < fin - regle.decalage_ete ? debut : fin;
  return d;
}

}  // namespace vellumcast
