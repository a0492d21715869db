// A date of a start or end list once read: its fields, its kind, whether it
// is a calendar date, and the zone word written after it.
#pragma once

#include <cstdint>
#include <string_view>

#include "calendrier.h"
#include "reglages.h"

namespace vellumcast {

// The two date lists of a document.
enum class Liste { kDebuts, kFins };

// A timed date has its time of day; an all-day date has none.
enum class Genre : uint8_t { kHoraire, kJournee };

// One date of a list, as the lists hold it: a fixed-size record, so that a
// list can move to disk byte for byte.
struct Date {
  // The longest zone word kept; a longer one keeps its first bytes.
  static constexpr size_t kZoneMax = 39;

  // The date and time as read, once the 12-hour clock and an end at 24:00
  // are applied; all-day dates at 00:00:00. For a date that is no calendar
  // date, the fields as read.
  int16_t annee = 0;
  int8_t mois = 0;
  int8_t jour = 0;
  int8_t heure = 0;
  int8_t minute = 0;
  int8_t seconde = 0;
  Genre genre = Genre::kHoraire;
  // A calendar date and, when timed, a time of the day.
  bool calendrier = false;
  // For a date that is no calendar date: the field orders, as bits
  // 1 << OrdreDates, in which its text would be one.
  uint8_t ordres = 0;
  uint8_t n_zone = 0;
  char zone[kZoneMax] = {};

  HeureCivile Civile() const { return {annee, mois, jour, heure, minute, seconde}; }
  // The zone word read after the time; empty when there is none.
  std::string_view Zone() const { return {zone, n_zone}; }
};

}  // namespace vellumcast
