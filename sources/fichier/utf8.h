// The input's single-byte text, read as ISO 8859-1, turned into UTF-8 on its
// way into the result.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace vellumcast {

namespace utf8 {

// The UTF-8 form of every byte: one or two bytes, byte 0 a blank.
struct Table {
  char octets[256][2];
  unsigned char longueur[256];
  constexpr Table() : octets(), longueur() {
    for (int c = 0; c < 256; ++c) {
      if (c == 0) {
        octets[c][0] = ' ';
        longueur[c] = 1;
      } else if (c < 128) {
        octets[c][0] = static_cast<char>(c);
        longueur[c] = 1;
      } else {
        octets[c][0] = static_cast<char>(c < 192 ? 0xC2 : 0xC3);
        octets[c][1] = static_cast<char>(c < 192 ? c : c - 64);
        longueur[c] = 2;
      }
    }
  }
};
inline constexpr Table kTable;

}  // namespace utf8

// The most bytes VersUtf8 writes for `n` input bytes.
constexpr size_t PlaceUtf8(size_t n) { return 2 * n; }

// Writes the UTF-8 form of `octets` at `sortie` and returns its end; `sortie`
// has room for PlaceUtf8(octets.size()) bytes.
inline char* VersUtf8(std::string_view octets, char* sortie) {
  for (char c : octets) {
    auto u = static_cast<unsigned char>(c);
    std::memcpy(sortie, utf8::kTable.octets[u], 2);
    sortie += utf8::kTable.longueur[u];
  }
  return sortie;
}

// The UTF-8 form of a byte read as ISO 8859-1.
inline std::string_view UTF8(unsigned char car) {
  return {utf8::kTable.octets[car], utf8::kTable.longueur[car]};
}

}  // namespace vellumcast
