// Zone words: the names of UTC, and numeric offsets with or after them.
#include "mots_de_zone.h"

#include <algorithm>
#include <array>

namespace vellumcast {

namespace {

bool Chiffre(char c) { return c >= '0' && c <= '9'; }

char Majuscule(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool Egal(std::string_view mot, std::string_view majuscules) {
  if (mot.size() != majuscules.size()) return false;
  for (size_t k = 0; k < mot.size(); ++k) {
    if (Majuscule(mot[k]) != majuscules[k]) return false;
  }
  return true;
}

int Nombre(std::string_view chiffres) {
  int n = 0;
  for (char c : chiffres) n = n * 10 + (c - '0');
  return n;
}

bool QueDesChiffres(std::string_view texte) { return std::ranges::all_of(texte, Chiffre); }

// The offset of a sign and hours, then minutes after a colon or, with two
// hour digits, right after them. `une_heure`: one hour digit is enough.
std::optional<int32_t> Numerique(std::string_view texte, bool une_heure) {
  if (texte.size() < 2 || (texte[0] != '+' && texte[0] != '-')) return std::nullopt;
  const int signe = texte[0] == '-' ? -1 : 1;
  std::string_view reste = texte.substr(1);
  const size_t deux_points = reste.find(':');
  std::string_view heures = reste.substr(0, deux_points);
  std::string_view minutes =
      deux_points == std::string_view::npos ? std::string_view() : reste.substr(deux_points + 1);
  if (deux_points == std::string_view::npos && heures.size() == 4) {
    minutes = heures.substr(2);
    heures = heures.substr(0, 2);
  } else if (deux_points != std::string_view::npos && minutes.size() != 2) {
    return std::nullopt;
  }
  const bool heures_lues = heures.size() == 2 || (une_heure && heures.size() == 1);
  if (!heures_lues || !QueDesChiffres(heures) || !QueDesChiffres(minutes)) return std::nullopt;
  const int h = Nombre(heures), m = Nombre(minutes);
  if (h > 23 || m > 59) return std::nullopt;
  return signe * (h * 3600 + m * 60);
}

}  // namespace

std::optional<int32_t> DecalageDuMot(std::string_view mot) {
  constexpr std::array<std::string_view, 3> kNomsUtc = {"UTC", "GMT", "UT"};
  if (Egal(mot, "Z")) return 0;
  for (std::string_view nom : kNomsUtc) {
    if (mot.size() >= nom.size() && Egal(mot.substr(0, nom.size()), nom)) {
      if (mot.size() == nom.size()) return 0;
      // UTC is tried before UT, whose letters begin it.
      if (auto d = Numerique(mot.substr(nom.size()), true)) return d;
      return std::nullopt;
    }
  }
  return Numerique(mot, false);
}

}  // namespace vellumcast
