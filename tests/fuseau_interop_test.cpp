// Each zone of the table against two readers: libical, reading the VTIMEZONE
// the zone writes, and the C library under TZ=ZONE, which is the oracle of
// the tz database here (the table-driven tests keep instants written by hand).
#include <gtest/gtest.h>
#include <libical/ical.h>

#include <string>
#include <vector>

#include "fuseau.h"
#include "oracle_fuseau.h"

namespace vellumcast {
namespace {

Fuseau Ouvrir(const ZoneDuTableau& z) {
  Fuseau f;
  std::string erreur;
  EXPECT_TRUE(OuvrirZone(z, &f, &erreur)) << erreur;
  return f;
}

// The zone libical makes of the first VTIMEZONE of `lignes`.
class ZoneLibical {
 public:
  explicit ZoneLibical(const std::vector<std::string>& lignes) {
    std::string texte = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//essai//\r\n";
    for (const std::string& l : lignes) texte += l + "\r\n";
    texte += "END:VCALENDAR\r\n";
    icalcomponent* cal = icalparser_parse_string(texte.c_str());
    if (cal == nullptr) return;
    icalcomponent* vtz = icalcomponent_get_first_component(cal, ICAL_VTIMEZONE_COMPONENT);
    if (vtz != nullptr) {
      zone_ = icaltimezone_new();
      icaltimezone_set_component(zone_, icalcomponent_new_clone(vtz));
    }
    icalcomponent_free(cal);
  }
  ~ZoneLibical() {
    if (zone_ != nullptr) icaltimezone_free(zone_, 1);
  }
  ZoneLibical(const ZoneLibical&) = delete;
  ZoneLibical& operator=(const ZoneLibical&) = delete;

  bool Lue() const { return zone_ != nullptr; }

  int32_t Decalage(int64_t utc) const {
    icaltimetype t =
        icaltime_from_timet_with_zone(static_cast<time_t>(utc), 0, icaltimezone_get_utc_timezone());
    int ete = 0;
    return icaltimezone_get_utc_offset_of_utc_time(zone_, &t, &ete);
  }

  int64_t Instant(const HeureCivile& h) const {
    icaltimetype t = icaltime_null_time();
    t.year = h.annee;
    t.month = h.mois;
    t.day = h.jour;
    t.hour = h.heure;
    t.minute = h.minute;
    t.second = h.seconde;
    t.zone = zone_;
    return icaltime_as_timet_with_zone(t, zone_);
  }

 private:
  icaltimezone* zone_ = nullptr;
};

// What is wrong with the shape of the VTIMEZONEs of `lignes`: a STANDARD
// and at most one DAYLIGHT, each a DTSTART from 1970 and at most one yearly
// rule of one BYDAY in one month, no RDATE, offsets in whole minutes.
std::vector<std::string> DefautsDeForme(const std::vector<std::string>& lignes) {
  std::string texte = "BEGIN:VCALENDAR\r\n";
  for (const std::string& l : lignes) texte += l + "\r\n";
  texte += "END:VCALENDAR\r\n";
  icalcomponent* cal = icalparser_parse_string(texte.c_str());
  std::vector<std::string> defauts;
  for (icalcomponent* vtz = icalcomponent_get_first_component(cal, ICAL_VTIMEZONE_COMPONENT);
       vtz != nullptr; vtz = icalcomponent_get_next_component(cal, ICAL_VTIMEZONE_COMPONENT)) {
    const int standard = icalcomponent_count_components(vtz, ICAL_XSTANDARD_COMPONENT);
    const int daylight = icalcomponent_count_components(vtz, ICAL_XDAYLIGHT_COMPONENT);
    if (standard != 1 || daylight > 1) defauts.push_back("observances");
    for (icalcomponent* o = icalcomponent_get_first_component(vtz, ICAL_ANY_COMPONENT);
         o != nullptr; o = icalcomponent_get_next_component(vtz, ICAL_ANY_COMPONENT)) {
      if (icalcomponent_get_dtstart(o).year < 1970) defauts.push_back("DTSTART before 1970");
      if (icalcomponent_count_properties(o, ICAL_RDATE_PROPERTY) != 0) defauts.push_back("RDATE");
      const int regles = icalcomponent_count_properties(o, ICAL_RRULE_PROPERTY);
      if (regles > 1 || (daylight == 1) != (regles == 1)) defauts.push_back("RRULE count");
      if (regles == 1) {
        const icalrecurrencetype r =
            icalproperty_get_rrule(icalcomponent_get_first_property(o, ICAL_RRULE_PROPERTY));
        if (r.freq != ICAL_YEARLY_RECURRENCE || r.by_day[0] == ICAL_RECURRENCE_ARRAY_MAX ||
            r.by_day[1] != ICAL_RECURRENCE_ARRAY_MAX ||
            r.by_month[1] != ICAL_RECURRENCE_ARRAY_MAX) {
          defauts.push_back("RRULE");
        }
      }
      for (icalproperty_kind k : {ICAL_TZOFFSETFROM_PROPERTY, ICAL_TZOFFSETTO_PROPERTY}) {
        icalproperty* p = icalcomponent_get_first_property(o, k);
        if (p == nullptr) {
          defauts.push_back("no offset");
        } else if ((k == ICAL_TZOFFSETFROM_PROPERTY ? icalproperty_get_tzoffsetfrom(p)
                                                    : icalproperty_get_tzoffsetto(p)) %
                       60 !=
                   0) {
          defauts.push_back("offset with seconds");
        }
      }
    }
  }
  if (cal != nullptr) icalcomponent_free(cal);
  return defauts;
}

// The hours of 2030 to 2037 at which libical, reading the zone's VTIMEZONE,
// differs from the C library, other than those the zone writes in UTC.
int EcartsDeDecalage(const ZoneDuTableau& z, const Fuseau& f) {
  const ZoneLibical lue(f.Definition());
  if (!lue.Lue()) return -1;
  SousTz tz(z.tz);
  int ecarts = 0;
  const int64_t fin = HeureCivile{2038, 1, 1, 0, 0, 0}.Secondes();
  for (int64_t u = HeureCivile{2030, 1, 1, 0, 0, 0}.Secondes(); u < fin; u += 3600) {
    const int32_t attendu = DecalageC(u);
    if (lue.Decalage(u) == attendu) continue;
    // Only where explicit transitions rule, and never written as local time there.
    if (z.explicite && !f.Placer(HeureCivile::De(u + attendu)).locale) continue;
    if (++ecarts <= 5) {
      ADD_FAILURE() << z.nom << " at " << TexteHeure(HeureCivile::De(u)) << " UTC: libical reads "
                    << lue.Decalage(u) << " s, the C library " << attendu << " s";
    }
  }
  return ecarts;
}

TEST(FuseauInteropTest, VtimezoneGivesTheCLibraryOffsetEveryHourOf2030To2037) {
  if (BaseTzAbsente()) GTEST_SKIP() << "no tz database at " << kDossierTz;
  for (const ZoneDuTableau& z : ZonesDuTableau()) {
    const Fuseau f = Ouvrir(z);
    if (f.ToutEnUtc()) {
      EXPECT_TRUE(f.Definition().empty()) << z.nom;
      EXPECT_EQ(std::string(z.nom), "UTC");
      continue;
    }
    EXPECT_EQ(DefautsDeForme(f.Definition()), std::vector<std::string>()) << z.nom;
    EXPECT_EQ(EcartsDeDecalage(z, f), 0) << z.nom;
  }
}

struct Bilan {
  int echecs = 0;
  int locales = 0;
  int hors_regle = 0;  // ordinary times from 2000 on written in UTC
};

// Each local time of `heures` placed by the zone, against the C library and,
// when written as local time, against libical reading the zone's VTIMEZONE.
Bilan Placements(const ZoneDuTableau& z, const Fuseau& f, const std::vector<HeureCivile>& heures) {
  const ZoneLibical lue(f.Definition());
  SousTz tz(z.tz);
  Bilan b;
  for (const HeureCivile& h : heures) {
    const Placement attendu = OracleC(h);
    const Placement p = f.Placer(h);
    const bool par_libical = p.locale && lue.Lue();
    const bool accord = p.utc == attendu.utc && p.inexistante == attendu.inexistante &&
                        p.double_ == attendu.double_ && (!p.locale || par_libical) &&
                        (!par_libical || lue.Instant(h) == p.utc);
    if (!accord && ++b.echecs <= 5) {
      ADD_FAILURE() << z.nom << " " << TexteHeure(h) << ": placed at " << p.utc << " (gap "
                    << p.inexistante << ", twice " << p.double_ << ", local " << p.locale
                    << "), the C library " << attendu.utc << " (gap " << attendu.inexistante
                    << ", twice " << attendu.double_ << ")"
                    << (par_libical ? ", libical " + std::to_string(lue.Instant(h)) : "");
    }
    b.locales += p.locale;
    b.hors_regle += !p.locale && !p.inexistante && !p.double_ && h.annee >= 2000;
  }
  return b;
}

TEST(FuseauInteropTest, LocalTimesFrom1970To2037AgreeWithMktimeAndLibical) {
  if (BaseTzAbsente()) GTEST_SKIP() << "no tz database at " << kDossierTz;
  for (const ZoneDuTableau& z : ZonesDuTableau()) {
    const Fuseau f = Ouvrir(z);
    std::vector<HeureCivile> heures = TousLesSeptJoursEtTreizeHeures();
    {
      SousTz tz(z.tz);
      const std::vector<HeureCivile> changements = HeuresAuxChangements();
      heures.insert(heures.end(), changements.begin(), changements.end());
    }
    const Bilan b = Placements(z, f, heures);
    EXPECT_EQ(b.echecs, 0) << z.nom;
    // Every zone but UTC writes local times; Casablanca's periods outside its
    // rule are written in UTC.
    EXPECT_EQ(b.locales > 0, !f.ToutEnUtc()) << z.nom;
    if (z.explicite) {
      EXPECT_GT(b.hors_regle, 0) << z.nom;
    }
  }
}

}  // namespace
}  // namespace vellumcast
