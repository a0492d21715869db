// Numbers to and from digits, and the word comparison EQUIVAL.
#include "chaines.h"

#include <limits>

namespace vellumcast {

CHAINE INT2STR(int32_t i) {
  if (i == 0) return CHAINE("0");
  char chiffres[12];
  int n = 0;
  // A negative number gives the digits of its magnitude.
  int64_t v = i < 0 ? -static_cast<int64_t>(i) : i;
  while (v != 0) {
    chiffres[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  }
  CHAINE r;
  while (n > 0) r.Ajouter(chiffres[--n]);
  return r;
}

int32_t STR2INT(std::string_view ch, Statut* debordement) {
  int64_t valeur = 0;
  for (char c : ch) {
    if (!ISAFIGURE(c)) continue;
    // Each step forms value * 10 + code, then takes 48 away; the middle
    // result must fit as well, so 2147483599 is the largest value that passes.
    valeur = valeur * 10 + static_cast<unsigned char>(c);
    if (valeur > std::numeric_limits<int32_t>::max()) {
      *debordement = Statut::Erreur(kDebordement);
      return 0;
    }
    valeur -= '0';
  }
  return static_cast<int32_t>(valeur);
}

bool EQUIVAL(std::string_view ch1, std::string_view ch2) {
  if (ch2.empty() || ch1.size() < ch2.size()) return false;
  for (size_t i = 0; i < ch2.size(); ++i) {
    if (TOLOWERCASE(ch1[i]) != TOLOWERCASE(ch2[i])) return false;
  }
  if (ch1.size() == ch2.size()) return true;
  char suivant = ch1[ch2.size()];
  return suivant == ' ' || suivant == '=' || suivant == '>';
}

}  // namespace vellumcast
