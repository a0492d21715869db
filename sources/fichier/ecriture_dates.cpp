// The date-valued lines of an event, written in their form.
#include "ecriture_dates.h"

#include "source_resultat.h"

namespace vellumcast {

namespace {

// Writes `valeur` on `chiffres` digits, zeros first.
char* Chiffres(char* p, int valeur, int chiffres) {
  for (int i = chiffres - 1; i >= 0; --i) {
    p[i] = static_cast<char>('0' + valeur % 10);
    valeur /= 10;
  }
  return p + chiffres;
}

// Writes the digits of `h` at `p`, a day's or a date-time's; returns their end.
char* EcrireChiffres(char* p, const HeureCivile& h, bool jour) {
  p = Chiffres(p, h.annee, 4);
  p = Chiffres(p, h.mois, 2);
  p = Chiffres(p, h.jour, 2);
  if (!jour) {
    *p++ = 'T';
    p = Chiffres(p, h.heure, 2);
    p = Chiffres(p, h.minute, 2);
    p = Chiffres(p, h.seconde, 2);
  }
  return p;
}

}  // namespace

std::string ChiffresDate(const HeureCivile& h, bool jour) {
  char valeur[16];
  return std::string(valeur, static_cast<size_t>(EcrireChiffres(valeur, h, jour) - valeur));
}

void EcrireLigneDate(Resultat* result, std::string_view nom, Forme forme, const HeureCivile& h,
                     std::string_view tzid) {
  char valeur[16];
  char* p = EcrireChiffres(valeur, h, forme == Forme::kJour);
  if (forme == Forme::kUtc) *p++ = 'Z';
  result->PUT(nom);
  if (forme == Forme::kLocale) {
    result->PUT(";TZID=");
    result->PUT(tzid);
  } else if (forme == Forme::kJour) {
    result->PUT(";VALUE=DATE");
  }
  result->PUT(":");
  result->PUTLN(std::string_view(valeur, static_cast<size_t>(p - valeur)));
}

HeureCivile Lendemain(const HeureCivile& h) {
  const Jour j = JourDe(JoursDepuis1970(h.annee, h.mois, h.jour) + 1);
  return {j.annee, j.mois, j.jour, 0, 0, 0};
}

}  // namespace vellumcast
