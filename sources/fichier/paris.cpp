// Europe/Paris's transitions up to 1995, taken once from the tz database;
// the rule of 1996 on takes over after them.
#include "paris.h"

#include "calendrier.h"

namespace vellumcast {

namespace {

enum Type : uint8_t { kLMT, kPMT, kWET, kWEST, kCET, kCEST, kWEMT };

// One transition: from this date and time, in UTC, the type is in force.
struct Transition {
  int annee, mois, jour, heure, minute, seconde;
  Type type;
};

// Paris Mean Time kept the local mean time's offset, 9 min 21 s; the
// "summer" time of the winter of 1944-45 was Western European summer time.
constexpr Transition kTransitions[] = {
    {1891, 3, 15, 23, 50, 39, kPMT}, {1911, 3, 10, 23, 50, 39, kWET},
    {1916, 6, 14, 23, 0, 0, kWEST},  {1916, 10, 1, 23, 0, 0, kWET},
    {1917, 3, 24, 23, 0, 0, kWEST},  {1917, 10, 7, 23, 0, 0, kWET},
    {1918, 3, 9, 23, 0, 0, kWEST},   {1918, 10, 6, 23, 0, 0, kWET},
    {1919, 3, 1, 23, 0, 0, kWEST},   {1919, 10, 5, 23, 0, 0, kWET},
    {1920, 2, 14, 23, 0, 0, kWEST},  {1920, 10, 23, 23, 0, 0, kWET},
    {1921, 3, 14, 23, 0, 0, kWEST},  {1921, 10, 25, 23, 0, 0, kWET},
    {1922, 3, 25, 23, 0, 0, kWEST},  {1922, 10, 7, 23, 0, 0, kWET},
    {1923, 5, 26, 23, 0, 0, kWEST},  {1923, 10, 6, 23, 0, 0, kWET},
    {1924, 3, 29, 23, 0, 0, kWEST},  {1924, 10, 4, 23, 0, 0, kWET},
    {1925, 4, 4, 23, 0, 0, kWEST},   {1925, 10, 3, 23, 0, 0, kWET},
    {1926, 4, 17, 23, 0, 0, kWEST},  {1926, 10, 2, 23, 0, 0, kWET},
    {1927, 4, 9, 23, 0, 0, kWEST},   {1927, 10, 1, 23, 0, 0, kWET},
    {1928, 4, 14, 23, 0, 0, kWEST},  {1928, 10, 6, 23, 0, 0, kWET},
    {1929, 4, 20, 23, 0, 0, kWEST},  {1929, 10, 5, 23, 0, 0, kWET},
    {1930, 4, 12, 23, 0, 0, kWEST},  {1930, 10, 4, 23, 0, 0, kWET},
    {1931, 4, 18, 23, 0, 0, kWEST},  {1931, 10, 3, 23, 0, 0, kWET},
    {1932, 4, 2, 23, 0, 0, kWEST},   {1932, 10, 1, 23, 0, 0, kWET},
    {1933, 3, 25, 23, 0, 0, kWEST},  {1933, 10, 7, 23, 0, 0, kWET},
    {1934, 4, 7, 23, 0, 0, kWEST},   {1934, 10, 6, 23, 0, 0, kWET},
    {1935, 3, 30, 23, 0, 0, kWEST},  {1935, 10, 5, 23, 0, 0, kWET},
    {1936, 4, 18, 23, 0, 0, kWEST},  {1936, 10, 3, 23, 0, 0, kWET},
    {1937, 4, 3, 23, 0, 0, kWEST},   {1937, 10, 2, 23, 0, 0, kWET},
    {1938, 3, 26, 23, 0, 0, kWEST},  {1938, 10, 1, 23, 0, 0, kWET},
    {1939, 4, 15, 23, 0, 0, kWEST},  {1939, 11, 18, 23, 0, 0, kWET},
    {1940, 2, 25, 2, 0, 0, kWEST},   {1940, 6, 14, 22, 0, 0, kCEST},
    {1942, 11, 2, 1, 0, 0, kCET},    {1943, 3, 29, 1, 0, 0, kCEST},
    {1943, 10, 4, 1, 0, 0, kCET},    {1944, 4, 3, 1, 0, 0, kCEST},
    {1944, 8, 24, 22, 0, 0, kWEMT},  {1944, 10, 7, 23, 0, 0, kWEST},
    {1945, 4, 2, 1, 0, 0, kWEMT},    {1945, 9, 16, 1, 0, 0, kCET},
    {1976, 3, 28, 0, 0, 0, kCEST},   {1976, 9, 25, 23, 0, 0, kCET},
    {1977, 4, 3, 1, 0, 0, kCEST},    {1977, 9, 25, 1, 0, 0, kCET},
    {1978, 4, 2, 1, 0, 0, kCEST},    {1978, 10, 1, 1, 0, 0, kCET},
    {1979, 4, 1, 1, 0, 0, kCEST},    {1979, 9, 30, 1, 0, 0, kCET},
    {1980, 4, 6, 1, 0, 0, kCEST},    {1980, 9, 28, 1, 0, 0, kCET},
    {1981, 3, 29, 1, 0, 0, kCEST},   {1981, 9, 27, 1, 0, 0, kCET},
    {1982, 3, 28, 1, 0, 0, kCEST},   {1982, 9, 26, 1, 0, 0, kCET},
    {1983, 3, 27, 1, 0, 0, kCEST},   {1983, 9, 25, 1, 0, 0, kCET},
    {1984, 3, 25, 1, 0, 0, kCEST},   {1984, 9, 30, 1, 0, 0, kCET},
    {1985, 3, 31, 1, 0, 0, kCEST},   {1985, 9, 29, 1, 0, 0, kCET},
    {1986, 3, 30, 1, 0, 0, kCEST},   {1986, 9, 28, 1, 0, 0, kCET},
    {1987, 3, 29, 1, 0, 0, kCEST},   {1987, 9, 27, 1, 0, 0, kCET},
    {1988, 3, 27, 1, 0, 0, kCEST},   {1988, 9, 25, 1, 0, 0, kCET},
    {1989, 3, 26, 1, 0, 0, kCEST},   {1989, 9, 24, 1, 0, 0, kCET},
    {1990, 3, 25, 1, 0, 0, kCEST},   {1990, 9, 30, 1, 0, 0, kCET},
    {1991, 3, 31, 1, 0, 0, kCEST},   {1991, 9, 29, 1, 0, 0, kCET},
    {1992, 3, 29, 1, 0, 0, kCEST},   {1992, 9, 27, 1, 0, 0, kCET},
    {1993, 3, 28, 1, 0, 0, kCEST},   {1993, 9, 26, 1, 0, 0, kCET},
    {1994, 3, 27, 1, 0, 0, kCEST},   {1994, 9, 25, 1, 0, 0, kCET},
    {1995, 3, 26, 1, 0, 0, kCEST},   {1995, 9, 24, 1, 0, 0, kCET},
};

DonneesTz Construire() {
  DonneesTz d;
  d.types = {{561, false, "LMT"},  {561, false, "PMT"},  {0, false, "WET"},   {3600, true, "WEST"},
             {3600, false, "CET"}, {7200, true, "CEST"}, {7200, true, "WEMT"}};
  for (const Transition& t : kTransitions) {
    d.instants.push_back(
        HeureCivile{t.annee, t.mois, t.jour, t.heure, t.minute, t.seconde}.Secondes());
    d.types_des_instants.push_back(t.type);
  }
  d.texte_regle = std::string(kRegleParis);
  d.regle.emplace();
  std::string erreur;
  LireRegleTz(kRegleParis, &*d.regle, &erreur);
  return d;
}

}  // namespace

const DonneesTz& DonneesParis() {
  static const DonneesTz donnees = Construire();
  return donnees;
}

}  // namespace vellumcast
