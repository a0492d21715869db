// Each zone of the table against two readers: libical, reading the VTIMEZONE
// the program writes for the zone, and the C library under TZ=ZONE, which is
// the oracle of the tz database here (the table-driven tests keep instants
// written by hand).
#include <gtest/gtest.h>
#include <libical/ical.h>

#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "banc.h"
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

// The VTIMEZONE lines of the prologue the program writes in zone `f`,
// without line ends.
std::vector<std::string> DefinitionEcrite(const Fuseau& f) {
  Options options;
  options.fuseau = f;
  const Produit p = Convertir(
      "Subject:m\r\nSTARTDATETIME:15/01/2009 14:30:00\r\nApptUNID:A\r\n$UpdatedBy:me\r\n\r\n"
      "b\r\n\f\r\n",
      options);
  std::vector<std::string> lignes;
  bool dedans = false;
  for (size_t debut = 0, fin; (fin = p.ics.find("\r\n", debut)) != std::string::npos;
       debut = fin + 2) {
    const std::string ligne = p.ics.substr(debut, fin - debut);
    if (ligne == "BEGIN:VEVENT") break;
    dedans = dedans || ligne == "BEGIN:VTIMEZONE";
    if (dedans) lignes.push_back(ligne);
    dedans = dedans && ligne != "END:VTIMEZONE";
  }
  return lignes;
}

int32_t Decalage(icalcomponent* observance, icalproperty_kind k) {
  icalproperty* p = icalcomponent_get_first_property(observance, k);
  if (p == nullptr) return INT32_MIN;
  return k == ICAL_TZOFFSETFROM_PROPERTY ? icalproperty_get_tzoffsetfrom(p)
                                         : icalproperty_get_tzoffsetto(p);
}

// What is wrong with one observance of a VTIMEZONE that has `daylight`
// DAYLIGHT observances.
void DefautsObservance(icalcomponent* o, int daylight, std::vector<std::string>* defauts) {
  if (icalcomponent_get_dtstart(o).year < 1970) defauts->push_back("DTSTART before 1970");
  if (icalcomponent_count_properties(o, ICAL_RDATE_PROPERTY) != 0) defauts->push_back("RDATE");
  const int regles = icalcomponent_count_properties(o, ICAL_RRULE_PROPERTY);
  if (regles > 1 || (daylight == 1) != (regles == 1)) defauts->push_back("RRULE count");
  if (regles == 1) {
    const icalrecurrencetype r =
        icalproperty_get_rrule(icalcomponent_get_first_property(o, ICAL_RRULE_PROPERTY));
    if (r.freq != ICAL_YEARLY_RECURRENCE || r.by_day[0] == ICAL_RECURRENCE_ARRAY_MAX ||
        r.by_day[1] != ICAL_RECURRENCE_ARRAY_MAX || r.by_month[1] != ICAL_RECURRENCE_ARRAY_MAX) {
      defauts->push_back("RRULE");
    }
  }
  for (icalproperty_kind k : {ICAL_TZOFFSETFROM_PROPERTY, ICAL_TZOFFSETTO_PROPERTY}) {
    const int32_t d = Decalage(o, k);
    if (d == INT32_MIN) defauts->push_back("no offset");
    if (d != INT32_MIN && d % 60 != 0) defauts->push_back("offset with seconds");
  }
}

// Whether an offset line is "TZOFFSETFROM:" or "TZOFFSETTO:" then +hhmm or -hhmm.
bool DecalageEnHhmm(const std::string& ligne) {
  const size_t deux_points = ligne.find(':');
  const std::string valeur = ligne.substr(deux_points + 1);
  return valeur.size() == 5 && (valeur[0] == '+' || valeur[0] == '-') &&
         valeur.find_first_not_of("0123456789", 1) == std::string::npos;
}

// What is wrong with the shape of the VTIMEZONEs of `lignes`, written for
// zone `z`: one VTIMEZONE named after it (France's prologue has three); a
// STANDARD and at most one DAYLIGHT, whose offset is the larger; each a
// DTSTART from 1970 and at most one yearly rule of one BYDAY in one month,
// no RDATE, offsets as +hhmm or -hhmm.
std::vector<std::string> DefautsDeForme(const ZoneDuTableau& z,
                                        const std::vector<std::string>& lignes) {
  std::vector<std::string> defauts;
  for (const std::string& l : lignes) {
    if (l.starts_with("TZOFFSET") && !DecalageEnHhmm(l)) defauts.push_back("offset " + l);
  }
  std::string texte = "BEGIN:VCALENDAR\r\n";
  for (const std::string& l : lignes) texte += l + "\r\n";
  texte += "END:VCALENDAR\r\n";
  icalcomponent* cal = icalparser_parse_string(texte.c_str());
  if (cal == nullptr) return {"not read"};
  const bool france = std::string_view(z.nom) == "France";
  if (icalcomponent_count_components(cal, ICAL_VTIMEZONE_COMPONENT) != (france ? 3 : 1)) {
    defauts.push_back("VTIMEZONE count");
  }
  for (icalcomponent* vtz = icalcomponent_get_first_component(cal, ICAL_VTIMEZONE_COMPONENT);
       vtz != nullptr; vtz = icalcomponent_get_next_component(cal, ICAL_VTIMEZONE_COMPONENT)) {
    const int daylight = icalcomponent_count_components(vtz, ICAL_XDAYLIGHT_COMPONENT);
    icalcomponent* standard = icalcomponent_get_first_component(vtz, ICAL_XSTANDARD_COMPONENT);
    if (icalcomponent_count_components(vtz, ICAL_XSTANDARD_COMPONENT) != 1 || daylight > 1) {
      defauts.push_back("observances");
    }
    if (daylight == 1 && standard != nullptr &&
        Decalage(icalcomponent_get_first_component(vtz, ICAL_XDAYLIGHT_COMPONENT),
                 ICAL_TZOFFSETTO_PROPERTY) <= Decalage(standard, ICAL_TZOFFSETTO_PROPERTY)) {
      defauts.push_back("DAYLIGHT not the larger offset");
    }
    for (icalcomponent* o = icalcomponent_get_first_component(vtz, ICAL_ANY_COMPONENT);
         o != nullptr; o = icalcomponent_get_next_component(vtz, ICAL_ANY_COMPONENT)) {
      DefautsObservance(o, daylight, &defauts);
    }
  }
  icalcomponent_free(cal);
  return defauts;
}

// The hours of 2030 to 2037 at which libical, reading the VTIMEZONE written
// for the zone, differs from the C library, other than those the zone writes
// in UTC.
int EcartsDeDecalage(const ZoneDuTableau& z, const Fuseau& f,
                     const std::vector<std::string>& lignes) {
  const ZoneLibical lue(lignes);
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

// The prologue the program writes for each zone: its VTIMEZONE's shape, and
// libical's reading of it against the C library.
void VerifierDefinitionEcrite(const ZoneDuTableau& z) {
  const Fuseau f = Ouvrir(z);
  const std::vector<std::string> lignes = DefinitionEcrite(f);
  if (std::string_view(z.nom) == "UTC") {
    EXPECT_EQ(lignes, std::vector<std::string>());
    return;
  }
  EXPECT_EQ(lignes.size() > 1 ? lignes[1] : "", std::string("TZID:") + z.nom);
  EXPECT_EQ(DefautsDeForme(z, lignes), std::vector<std::string>()) << z.nom;
  EXPECT_EQ(EcartsDeDecalage(z, f, lignes), 0) << z.nom;
}

TEST(FuseauInteropTest, WrittenVtimezoneGivesTheCLibraryOffsetEveryHourOf2030To2037) {
  if (BaseTzAbsente()) GTEST_SKIP() << "no tz database at " << kDossierTz;
  for (const ZoneDuTableau& z : ZonesDuTableau()) VerifierDefinitionEcrite(z);
}

struct Comptes {
  int echecs = 0;
  int locales = 0;
  int hors_regle = 0;  // ordinary times from 2000 on written in UTC
};

// Each local time of `heures` placed by the zone, against the C library and,
// when written as local time, against libical reading the zone's VTIMEZONE.
Comptes Placements(const ZoneDuTableau& z, const Fuseau& f,
                   const std::vector<HeureCivile>& heures) {
  const ZoneLibical lue(f.Definition());
  SousTz tz(z.tz);
  Comptes b;
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
    const Comptes b = Placements(z, f, heures);
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
