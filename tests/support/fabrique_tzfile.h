// Zone files made byte by byte as tzfile(5) lays them out, for tests that
// must not depend on the machine's tz database.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vellumcast {

struct TzfileFabrique {
  struct Type {
    int32_t decalage;  // seconds east of UTC
    uint8_t ete;
    uint8_t indice;  // of its abbreviation in `abreviations`
  };
  char version = '2';  // 0: a first-version file, without 64-bit block or footer
  std::vector<int64_t> instants;
  std::vector<uint8_t> types_des_instants;
  std::vector<Type> types;
  std::string abreviations;  // each ended by a NUL
  std::string pied;          // the footer's TZ string
  // The first block repeats the data as 32-bit times, as "fat" files do;
  // otherwise it is the "slim" files' one type and one byte.
  bool premier_bloc_complet = false;
};

// Where the header's counts lie: header + kCompte... is the offset of one.
constexpr size_t kCompteTransitions = 32;
constexpr size_t kCompteTypes = 36;
constexpr size_t kCompteAbreviations = 40;
constexpr size_t kCompteSecondesIntercalaires = 28;

struct Tzfile {
  std::string octets;
  size_t entete = 0;  // the offset of the header of the block that counts
};

Tzfile Fabriquer(const TzfileFabrique& f);

// Writes `valeur` big-endian over the four bytes at `position`.
void Ecrire32(std::string* octets, size_t position, uint32_t valeur);

}  // namespace vellumcast
