// The zone the export's local times are read in: its TZID, the VTIMEZONE
// lines that define it in the result, and the instant of each local time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "calendrier.h"
#include "tzfile.h"

namespace vellumcast {

// Where a local time of the zone falls, and how it may be written.
struct Placement {
  int64_t utc = 0;           // seconds since 1970-01-01T00:00:00Z
  bool locale = false;       // may be written as local time with ;TZID=
  bool inexistante = false;  // in a gap: placed with the offset before it
  bool double_ = false;      // occurs twice: placed at the first
};

// A zone: cheap to copy, its data shared and never changed.
class Fuseau {
 public:
  // The zone "France".
  Fuseau();

  // "France": the prologue's three fixed definitions, and Europe/Paris's
  // history, built in, for the instants.
  static Fuseau France();
  // Zone `nom` of the tz database at `dossier`; false, with why in words
  // saying where it looked, when there is none such.
  static bool Charger(std::string_view nom, const std::string& dossier, Fuseau* fuseau,
                      std::string* erreur);
  // The zone file at `chemin` (such as /etc/localtime), named `tzid`.
  static bool ChargerFichier(const std::string& chemin, std::string_view tzid, Fuseau* fuseau,
                             std::string* erreur);
  // The zone of a zone file's data, named `tzid`.
  static Fuseau DeDonnees(std::string_view tzid, const DonneesTz& donnees);
  // The zone of a TZ string such as "EST5EDT,M3.2.0,M11.1.0", in every year.
  static bool DeRegle(std::string_view regle, Fuseau* fuseau, std::string* erreur);
  // UTC itself.
  static Fuseau Utc();

  const std::string& tzid() const;
  // The VTIMEZONE lines of the prologue, without line ends; none when every
  // date-time is written in UTC.
  const std::vector<std::string>& Definition() const;
  // Every date-time is written in UTC: the zone is UTC, or its rule cannot
  // be written as a VTIMEZONE.
  bool ToutEnUtc() const;
  // Why, for the summary, when ToutEnUtc() holds; empty for UTC itself.
  std::string_view PourquoiUtc() const;

  // The instant of `locale` as the tz database gives it (RFC 5545's choice in
  // a gap or an overlap), and whether a reader of Definition() places the
  // local time there too.
  Placement Placer(const HeureCivile& locale) const;
  // The abbreviation in force at `locale` ("CET", "CEST").
  std::string_view Abreviation(const HeureCivile& locale) const;

  // The offset, in seconds east of UTC, at the instant `utc`.
  int32_t DecalageA(int64_t utc) const;
  // The instants in [debut, fin) at which the offset may change, in order.
  std::vector<int64_t> Changements(int64_t debut, int64_t fin) const;

  struct Donnees;

 private:
  explicit Fuseau(std::shared_ptr<const Donnees> d) : d_(std::move(d)) {}
  std::shared_ptr<const Donnees> d_;
};

}  // namespace vellumcast
