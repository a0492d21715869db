// The export's texts turned into UTF-8 on their way into the result, under
// the character set they were written in.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "reglages.h"

namespace vellumcast {

class Rapporteur;

// The character set named `nom`, names compared without case; false when
// there is none of that name.
bool LireJeu(std::string_view nom, Jeu* jeu);

// The length of the valid UTF-8 character `octets` begins with (shortest
// form, no surrogate, at most U+10FFFF); 0 when it begins with none.
size_t LongueurUtf8(std::string_view octets);

namespace utf8 {

// The UTF-8 form of every byte in a single-byte set, at most three bytes long
// and padded to four; byte 0 is a blank.
struct Table {
  char octets[256][4];
  unsigned char longueur[256];
};
extern const Table kIso88591;
extern const Table kWindows1252;

}  // namespace utf8

// The UTF-8 form of a byte read as ISO 8859-1.
inline std::string_view UTF8(unsigned char car) {
  return {utf8::kIso88591.octets[car], utf8::kIso88591.longueur[car]};
}

// Turns texts into UTF-8 a run at a time. In UTF-8, valid sequences are
// copied as they are and each byte of an invalid one becomes U+FFFD; a
// sequence that a run leaves incomplete waits for the next run.
class EnUtf8 {
 public:
  // `rapport` (may be null) is told of the bytes that the summary notes.
  EnUtf8(Jeu jeu, Rapporteur* rapport);

  // The most bytes Convertir or Finir writes for `n` input bytes.
  static constexpr size_t Place(size_t n) { return 3 * n + 4 * 3; }

  // Writes the UTF-8 form of `octets` at `sortie` and returns its end;
  // `sortie` has room for Place(octets.size()) bytes.
  char* Convertir(std::string_view octets, char* sortie) {
    if (jeu_ == Jeu::kUtf8) return DepuisUtf8(octets, sortie);
    if (rapport_ != nullptr) Observer(octets);
    const utf8::Table& table = *table_;
    for (char c : octets) {
      auto u = static_cast<unsigned char>(c);
      std::memcpy(sortie, table.octets[u], 4);
      sortie += table.longueur[u];
    }
    return sortie;
  }

  // Whether a sequence is left incomplete, for Finir to end.
  bool EnAttente() const { return attente_ != 0; }
  // Ends a text: the bytes of a sequence left incomplete become U+FFFD.
  char* Finir(char* sortie);

 private:
  char* DepuisUtf8(std::string_view octets, char* sortie);
  // Notes what the bytes of a single-byte text tell about its character set:
  // bytes 0x80 to 0x9F, and whether those above 0x7F form UTF-8 sequences.
  void Observer(std::string_view octets);

  Jeu jeu_;
  const utf8::Table* table_;
  Rapporteur* rapport_;
  // The sequence being read: its bytes so far, how many it needs, and the
  // range its second byte must fall in.
  unsigned char attente_octets_[4] = {};
  unsigned attente_ = 0;
  unsigned longueur_ = 0;
  unsigned char min_second_ = 0x80;
  unsigned char max_second_ = 0xBF;
  bool utf8_possible_ = true;  // the bytes above 0x7F so far are UTF-8
};

}  // namespace vellumcast
