// The date list of an item line: cut into words at blanks and commas, each
// word read by the date parser into typed dates.
#pragma once

#include <cstddef>
#include <string_view>

#include "date.h"
#include "rapport.h"
#include "reglages.h"

namespace vellumcast {

class Tampon;

// The fields of a date as they stand in its text: three runs of digits,
// their values and lengths, and the separator between them.
struct ChampsDate {
  int valeur[3] = {};
  int chiffres[3] = {};
  size_t longueur = 0;  // the bytes of the text they take
};

// The date at the start of `texte`: three runs of digits separated twice by
// the same "/", "." or "-". False when `texte` does not begin so.
bool LireChampsDate(std::string_view texte, ChampsDate* champs);

// The year, month and day of `champs` under `ordre`, the year with its
// century; false when the field lengths fit no date under that order.
// `*deux_chiffres` tells a year of two digits.
bool Ordonner(const ChampsDate& champs, OrdreDates ordre, int* annee, int* mois, int* jour,
              bool* deux_chiffres);

// Reads the dates of one list, piece by piece, into `dates` as Date records.
// Blanks are spaces and tabs. A comma directly after a date marks the
// document recurring; text that fits no date is reported, as is a date that
// its line cuts before its year is complete.
class LectureDates {
 public:
  LectureDates(OrdreDates ordre, Liste liste, Tampon* dates, bool* recurrent, Rapporteur* rapport);

  // The next bytes of the list's line; no line feed among them.
  void Lire(std::string_view morceau);
  // The line, or the input, has ended.
  void Finir();

 private:
  // What ended a word.
  enum class Fin { kBlanc, kVirgule, kLigne };
  // Where the parser stands: between dates, inside a date after one of its
  // parts, at the beginning of a date its line may cut, or in text that fits
  // no date.
  enum class Etape { kEntre, kDate, kHeure, kMarque, kZone, kAmorce, kIlisible };

  // Bytes of a word looked at; what lies beyond can only be zone text.
  static constexpr size_t kMotMax = 64;

  void Mot(std::string_view mot, Fin fin);
  // Begins a date with `mot`, or text that fits none.
  void Commencer(std::string_view mot);
  // Whether `mot` begins with the fields of a date, read into `*champs`.
  bool DebutDate(std::string_view mot, ChampsDate* champs) const;
  // A time, with the marker and zone word its word may hold; false when
  // `mot` begins with none.
  bool Heure(std::string_view mot);
  // Reads with `lire` the time at the start of `mot`, then the marker that
  // may follow it; `*reste` is what remains, which must begin a zone word.
  static bool HeureEtSuite(std::string_view mot, size_t (*lire)(std::string_view, int (&)[3]),
                           int (&champs)[3], std::string_view* reste, int* marque);
  // A 12-hour marker word after a time; false when `mot` is none.
  bool Marque(std::string_view mot);
  // A word the date being read cannot take: a timed date ends there and the
  // word is read afresh; a date without its time must be followed by
  // another date, or it is unreadable.
  void Suivant(std::string_view mot);
  // In text that fits no date, the next word that begins a date is read.
  void Reprendre(std::string_view mot);
  void Zone(std::string_view texte);
  void AjouterZone(std::string_view texte);
  void Ilisible();
  // A comma or the line end: what was being read ends there.
  void Clore(Fin fin);
  // The date being read ends, and goes to the list.
  void Ecrire();
  Date Former(bool* deux_chiffres) const;

  OrdreDates ordre_;
  Liste liste_;
  Tampon* dates_;
  bool* recurrent_;
  Rapporteur* rapport_;

  char mot_[kMotMax];
  size_t n_mot_ = 0;  // bytes of the word so far, kMotMax at most
  bool dans_mot_ = false;
  Etape etape_ = Etape::kEntre;

  // The date being read.
  ChampsDate champs_;
  int heure_[3] = {};
  bool a_heure_ = false;
  int marque_ = 0;  // 0 none, 1 AM, 2 PM
  char zone_[Date::kZoneMax];
  size_t n_zone_ = 0;
};

}  // namespace vellumcast
