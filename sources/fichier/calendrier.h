// Civil calendar arithmetic: days and seconds counted from 1970-01-01, in the
// proleptic Gregorian calendar, without any time zone.
#pragma once

#include <cstdint>

namespace vellumcast {

constexpr bool Bissextile(int annee) {
  return (annee % 4 == 0 && annee % 100 != 0) || annee % 400 == 0;
}

// The number of days of month `mois` (1 to 12) of `annee`.
constexpr int JoursDuMois(int annee, int mois) {
  constexpr int kJours[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return mois == 2 && Bissextile(annee) ? 29 : kJours[mois - 1];
}

// The days from 1970-01-01 to the given day; negative before it.
constexpr int64_t JoursDepuis1970(int annee, int mois, int jour) {
  // Years counted from March, so that the leap day ends a year.
  const int64_t a = annee - (mois <= 2 ? 1 : 0);
  const int64_t ere = (a >= 0 ? a : a - 399) / 400;
  const int64_t annee_ere = a - ere * 400;
  const int64_t jour_annee = (153 * (mois > 2 ? mois - 3 : mois + 9) + 2) / 5 + jour - 1;
  const int64_t jour_ere = annee_ere * 365 + annee_ere / 4 - annee_ere / 100 + jour_annee;
  return ere * 146097 + jour_ere - 719468;
}

// A day of the calendar.
struct Jour {
  int annee = 1970;
  int mois = 1;
  int jour = 1;
};

// The day `jours` days after 1970-01-01.
constexpr Jour JourDe(int64_t jours) {
  const int64_t z = jours + 719468;
  const int64_t ere = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t jour_ere = z - ere * 146097;
  const int64_t annee_ere =
      (jour_ere - jour_ere / 1460 + jour_ere / 36524 - jour_ere / 146096) / 365;
  const int64_t jour_annee = jour_ere - (365 * annee_ere + annee_ere / 4 - annee_ere / 100);
  const int64_t m = (5 * jour_annee + 2) / 153;
  Jour j;
  j.jour = static_cast<int>(jour_annee - (153 * m + 2) / 5 + 1);
  j.mois = static_cast<int>(m < 10 ? m + 3 : m - 9);
  j.annee = static_cast<int>(annee_ere + ere * 400 + (j.mois <= 2 ? 1 : 0));
  return j;
}

// The day of the week of the day `jours` after 1970-01-01: 0 for Sunday to 6
// for Saturday (1970-01-01 was a Thursday).
constexpr int JourDeSemaine(int64_t jours) { return static_cast<int>(((jours + 4) % 7 + 7) % 7); }

// A date and time to the second, in no particular zone.
struct HeureCivile {
  int annee = 1970;
  int mois = 1;
  int jour = 1;
  int heure = 0;
  int minute = 0;
  int seconde = 0;

  // The seconds from 1970-01-01T00:00:00 to this date and time, both read
  // in the same zone.
  constexpr int64_t Secondes() const {
    return JoursDepuis1970(annee, mois, jour) * 86400 + heure * 3600 + minute * 60 + seconde;
  }
  // The date and time `secondes` seconds after 1970-01-01T00:00:00.
  static constexpr HeureCivile De(int64_t secondes) {
    int64_t jours = secondes / 86400;
    int64_t reste = secondes % 86400;
    if (reste < 0) {
      reste += 86400;
      --jours;
    }
    const Jour j = JourDe(jours);
    return {j.annee,
            j.mois,
            j.jour,
            static_cast<int>(reste / 3600),
            static_cast<int>(reste / 60 % 60),
            static_cast<int>(reste % 60)};
  }
  friend constexpr bool operator==(const HeureCivile&, const HeureCivile&) = default;
};

}  // namespace vellumcast
