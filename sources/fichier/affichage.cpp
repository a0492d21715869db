// Names and arguments shown on standard error as the locale allows.
#include "affichage.h"

#include <cstdlib>

#include "chaines.h"
#include "utf8.h"

namespace vellumcast {

bool LocaleUtf8() {
  const char* locale = nullptr;
  for (const char* nom : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    locale = std::getenv(nom);
    if (locale != nullptr && *locale != '\0') break;
  }
  std::string l;
  for (const char* p = locale; p != nullptr && *p != '\0'; ++p) {
    if (*p != '-') l += TOLOWERCASE(*p);
  }
  return l.find("utf8") != std::string::npos;
}

std::string Affichable(std::string_view texte, bool utf8) {
  std::string vu;
  vu.reserve(texte.size());
  while (!texte.empty()) {
    const size_t n = utf8 ? LongueurUtf8(texte) : 1;
    if (n == 0) {
      vu += '?';
      texte.remove_prefix(1);
      continue;
    }
    auto u = static_cast<unsigned char>(texte[0]);
    // In UTF-8, U+0080 to U+009F are written C2 80 to C2 9F.
    bool c1 = n == 2 && u == 0xC2 && static_cast<unsigned char>(texte[1]) < 0xA0;
    if ((n == 1 && EstControle(texte[0])) || c1) {
      vu += '?';
    } else {
      vu += texte.substr(0, n);
    }
    texte.remove_prefix(n);
  }
  return vu;
}

std::string Affichable(std::string_view texte) { return Affichable(texte, LocaleUtf8()); }

std::string Cite(std::string_view texte) {
  std::string cite = "'";
  cite += Affichable(texte);
  cite += '\'';
  return cite;
}

std::string MotShell(std::string_view nom) {
  bool simple = !nom.empty();
  for (char c : nom) {
    simple = simple && (ISAFIGURE(c) || ISUPPERCASE(c) || (c >= 'a' && c <= 'z') ||
                        std::string_view("%+,-./:=@_").find(c) != std::string_view::npos);
  }
  if (simple) return std::string(nom);
  std::string mot = "'";
  for (char c : nom) mot += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return mot + "'";
}

}  // namespace vellumcast
