// The rule of a POSIX TZ string (the footer of a tz database file, or the
// TZ variable): two offsets and the yearly days on which the clocks change.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vellumcast {

// One yearly change of a rule: its day, and the local time of the change in
// the offset in force before it.
struct JourDeChangement {
  enum class Forme {
    kJulien,  // Jn: day 1 to 365 of the year, 29 February never counted
    kRang,    // n: day 0 to 365 of the year, 29 February counted
    kMois,    // Mm.w.d: weekday d (0 Sunday) of week w (5: the last) of month m
  };
  Forme forme = Forme::kMois;
  int numero = 0;  // n of the Jn and n forms
  int mois = 1;
  int semaine = 1;
  int jour_semaine = 0;
  int32_t heure = 7200;  // seconds from the day's midnight, -167 h to 167 h
};

// The rule itself. "ete" is POSIX's second time, the one the two changes
// bracket: Europe/Dublin's is its winter.
struct RegleTz {
  std::string nom_normal, nom_ete;  // abbreviations, without their <>
  int32_t decalage_normal = 0;      // seconds east of UTC
  int32_t decalage_ete = 0;
  bool ete = false;  // the rule has a second time and its two changes
  JourDeChangement debut_ete, fin_ete;
};

// Reads a TZ string such as "CET-1CEST,M3.5.0,M10.5.0/3". A second time
// without changes takes the C library's: M3.2.0,M11.1.0. False, with what is
// wrong in words, for anything else.
bool LireRegleTz(std::string_view texte, RegleTz* regle, std::string* erreur);

// The day of the change in `annee`, counted from 1970-01-01; the hour may
// carry it into another day.
int64_t JourDuChangement(const JourDeChangement& changement, int annee);

// The UTC instants at which the rule's second time begins and ends in `annee`.
int64_t DebutEte(const RegleTz& regle, int annee);
int64_t FinEte(const RegleTz& regle, int annee);

}  // namespace vellumcast
