// Each zone of the table end to end: an export of local times from 1970 to
// 2037 converted in the zone, then read back by libical, whose instant for
// every event must be the one the C library gives under TZ=ZONE.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "banc.h"
#include "lecture_libical.h"
#include "oracle_fuseau.h"

namespace vellumcast::interop {
namespace {

// "15/01/2009 14:30:00", as an export made under French settings writes it.
std::string DateExport(const HeureCivile& h) {
  char texte[32];
  std::snprintf(texte, sizeof texte, "%02d/%02d/%04d %02d:%02d:%02d", h.jour, h.mois, h.annee,
                h.heure, h.minute, h.seconde);
  return texte;
}

// "20090115T133000Z"
std::string InstantUtc(int64_t utc) {
  const HeureCivile h = HeureCivile::De(utc);
  char texte[32];
  std::snprintf(texte, sizeof texte, "%04d%02d%02dT%02d%02d%02dZ", h.annee, h.mois, h.jour, h.heure,
                h.minute, h.seconde);
  return texte;
}

// "20090115T143000": the local digits a date line holds.
std::string Chiffres(const HeureCivile& h) { return InstantUtc(h.Secondes()).substr(0, 15); }

// An event ends 90 minutes after its start on the local clock, so that the
// end of a start before a change often falls after it.
HeureCivile Fin(const HeureCivile& debut) { return HeureCivile::De(debut.Secondes() + 90 * 60); }

// The first local time the result's definition places by a change: the
// earliest DTSTART of its observances. France's DTSTART lines (1 January
// 1971) are no change: its first is the DAYLIGHT rule's, 28 March 1971 02:00.
int64_t PremierChangementEcrit(const ZoneDuTableau& z, const std::string& ics) {
  if (std::string_view(z.nom) == "France") return HeureCivile{1971, 3, 28, 2, 0, 0}.Secondes();
  int64_t premier = INT64_MAX;
  const std::string_view fin_prologue = std::string_view(ics).substr(0, ics.find("BEGIN:VEVENT"));
  for (size_t p = fin_prologue.find("\nDTSTART:"); p != std::string_view::npos;
       p = fin_prologue.find("\nDTSTART:", p + 1)) {
    const std::string v(fin_prologue.substr(p + 9, 15));
    HeureCivile h;
    if (std::sscanf(v.c_str(), "%4d%2d%2dT%2d%2d%2d", &h.annee, &h.mois, &h.jour, &h.heure,
                    &h.minute, &h.seconde) == 6) {
      premier = std::min(premier, h.Secondes());
    }
  }
  return premier;
}

// The offsets, in seconds east of UTC, that the result's definitions give
// (their TZOFFSETTO lines).
std::vector<int32_t> DecalagesEcrits(const std::string& ics) {
  std::vector<int32_t> decalages;
  const std::string_view prologue = std::string_view(ics).substr(0, ics.find("BEGIN:VEVENT"));
  for (size_t p = prologue.find("\nTZOFFSETTO:"); p != std::string_view::npos;
       p = prologue.find("\nTZOFFSETTO:", p + 1)) {
    const std::string v(prologue.substr(p + 12, 5));
    int hh = 0, mm = 0;
    if (std::sscanf(v.c_str() + 1, "%2d%2d", &hh, &mm) == 2) {
      decalages.push_back((v[0] == '-' ? -1 : 1) * (hh * 3600 + mm * 60));
    }
  }
  return decalages;
}

// What one event must be: its instants, and whether it must be in UTC.
struct Attendu {
  HeureCivile debut, fin;
  Placement p_debut, p_fin;
  int32_t decalage;  // the C library's offset at the start
};

struct Compte {
  int echecs = 0;
  int locales = 0;
  int utc = 0;
  int periodes_explicites = 0;  // events at an offset that no definition of the result gives
};

// What is wrong with `lu` as the event of `a` in zone `z`; empty when right.
std::string Ecart(const ZoneDuTableau& z, const Attendu& a, const EvenementLu& lu,
                  int64_t premier_changement) {
  const std::string debut = InstantUtc(a.p_debut.utc), fin = InstantUtc(a.p_fin.utc);
  if (lu.instant_debut != debut || lu.instant_fin != fin) {
    return "libical reads " + lu.instant_debut + " to " + lu.instant_fin + ", the C library " +
           debut + " to " + fin;
  }
  if (lu.tzid_debut != lu.tzid_fin) return "start and end in different forms";
  if (!lu.erreurs.empty()) return "X-LIC-ERROR " + lu.erreurs.front();
  const bool locale = !lu.tzid_debut.empty();
  if (locale &&
      (lu.tzid_debut != z.nom || lu.debut != Chiffres(a.debut) || lu.fin != Chiffres(a.fin))) {
    return "written as " + lu.debut + " to " + lu.fin + " in " + lu.tzid_debut;
  }
  const bool ambigue =
      a.p_debut.inexistante || a.p_debut.double_ || a.p_fin.inexistante || a.p_fin.double_;
  if (locale && ambigue) return "a time in a gap or an overlap written as local time";
  if (locale && a.debut.Secondes() < premier_changement) {
    return "a time before the definition's first change written as local time";
  }
  return {};
}

Compte Verifier(const ZoneDuTableau& z, const std::vector<Attendu>& attendus,
                const Lecture& lecture, const std::string& ics) {
  const int64_t premier_changement = PremierChangementEcrit(z, ics);
  const std::vector<int32_t> decalages = DecalagesEcrits(ics);
  Compte c;
  for (size_t k = 0; k < attendus.size(); ++k) {
    const Attendu& a = attendus[k];
    const std::string uid = "E" + std::to_string(k) + "-";
    const auto lu = std::find_if(lecture.evenements.begin(), lecture.evenements.end(),
                                 [&](const EvenementLu& e) { return e.uid.starts_with(uid); });
    std::string ecart =
        lu == lecture.evenements.end() ? "no event" : Ecart(z, a, *lu, premier_changement);
    const bool locale = lu != lecture.evenements.end() && !lu->tzid_debut.empty();
    // Africa/Casablanca's periods at the offset its rule does not give (+00
    // or +01 as the database is built) are explicit transitions.
    if (z.explicite &&
        std::find(decalages.begin(), decalages.end(), a.decalage) == decalages.end()) {
      ++c.periodes_explicites;
      if (locale && ecart.empty()) ecart = "a time of an explicit period written as local";
    }
    (locale ? c.locales : c.utc) += 1;
    if (!ecart.empty() && ++c.echecs <= 5) {
      ADD_FAILURE() << z.nom << " " << TexteHeure(a.debut) << ": " << ecart;
    }
  }
  return c;
}

// The events of zone `z`'s export: one every 7 days and 13 hours and the
// times around each change, with the instants the C library gives them.
std::vector<Attendu> Attendus(const ZoneDuTableau& z) {
  std::vector<HeureCivile> heures = TousLesSeptJoursEtTreizeHeures();
  SousTz tz(z.tz);
  const std::vector<HeureCivile> changements = HeuresAuxChangements();
  heures.insert(heures.end(), changements.begin(), changements.end());
  std::vector<Attendu> attendus;
  for (const HeureCivile& h : heures) {
    const Placement debut = OracleC(h);
    attendus.push_back({h, Fin(h), debut, OracleC(Fin(h)), DecalageC(debut.utc)});
  }
  return attendus;
}

// One document per local time, its identifier "E<index>".
std::string Export(const std::vector<Attendu>& attendus) {
  std::string texte;
  for (size_t k = 0; k < attendus.size(); ++k) {
    texte += "Subject:e\r\nSTARTDATETIME:" + DateExport(attendus[k].debut) +
             "\r\nEndDateTime:" + DateExport(attendus[k].fin) + "\r\nApptUNID:E" +
             std::to_string(k) + "\r\n$UpdatedBy:me\r\n\r\nb\r\n\f\r\n";
  }
  return texte;
}

// The result of zone `z`'s export converted with the year limit 9999, or
// nothing, with a failure, when there is none.
std::optional<std::string> ConvertirDansLaZone(const ZoneDuTableau& z,
                                               const std::vector<Attendu>& attendus) {
  Options options;
  options.annee_limite = 9999;
  std::string erreur;
  if (!OuvrirZone(z, &options.fuseau, &erreur)) {
    ADD_FAILURE() << z.nom << ": " << erreur;
    return std::nullopt;
  }
  Produit p = Convertir(Export(attendus), options);
  if (p.echec) {
    ADD_FAILURE() << z.nom << ": " << p.erreur;
    return std::nullopt;
  }
  return std::move(p.ics);
}

void VerifierCompte(const ZoneDuTableau& z, const Compte& c) {
  EXPECT_EQ(c.echecs, 0) << z.nom;
  // UTC writes no local time; every other zone writes some.
  EXPECT_EQ(c.locales > 0, std::string_view(z.nom) != "UTC") << z.nom;
  // Casablanca's explicit periods are there to be checked.
  EXPECT_EQ(c.periodes_explicites > 0, z.explicite) << z.nom;
}

void VerifierZone(const ZoneDuTableau& z) {
  const std::vector<Attendu> attendus = Attendus(z);
  const std::optional<std::string> ics = ConvertirDansLaZone(z, attendus);
  if (!ics) return;
  const Lecture l = LireAvecLibical(*ics);
  ASSERT_TRUE(l.analyse) << z.nom;
  EXPECT_EQ(l.erreurs, std::vector<std::string>{}) << z.nom;
  EXPECT_EQ(l.evenements.size(), attendus.size()) << z.nom;
  VerifierCompte(z, Verifier(z, attendus, l, *ics));
}

// Every event of the zone's export read back at the instant of the C library.
TEST(FuseauxConversionTest, EveryLocalTimeFrom1970To2037ReadsBackAtTheInstantOfMktime) {
  if (BaseTzAbsente()) GTEST_SKIP() << "no tz database at " << kDossierTz;
  for (const ZoneDuTableau& z : ZonesDuTableau()) VerifierZone(z);
}

// Instants written by hand from the zones' rules, as the examples
// give them: the old French rules, a skipped and a repeated hour (RFC 5545's
// choice), and zones east and west of UTC.
TEST(FuseauxConversionTest, HandWrittenInstantsReadBackThroughLibical) {
  if (BaseTzAbsente()) GTEST_SKIP() << "no tz database at " << kDossierTz;
  struct Cas {
    const char* zone;  // empty: the default France
    const char* date;
    const char* utc;
  };
  const Cas cas[] = {
      {"", "15/07/2009 14:30:00", "20090715T123000Z"},
      {"", "10/10/1990 10:00:00", "19901010T090000Z"},  // summer time ended in September
      {"", "15/07/1974 10:00:00", "19740715T090000Z"},  // no summer time before 1976
      {"", "15/07/1960 10:00:00", "19600715T090000Z"},
      {"", "29/03/2009 02:30:00", "20090329T013000Z"},  // skipped: the offset before
      {"", "25/10/2009 02:30:00", "20091025T003000Z"},  // repeated: the first
      {"America/New_York", "15/01/2009 10:00:00", "20090115T150000Z"},
      {"America/New_York", "15/07/2009 10:00:00", "20090715T140000Z"},
      {"Europe/London", "15/07/2009 10:00:00", "20090715T090000Z"},
      {"Asia/Kolkata", "15/01/2009 10:00:00", "20090115T043000Z"},
      {"Australia/Lord_Howe", "15/01/2009 10:00:00", "20090114T230000Z"},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(std::string(c.zone) + " " + c.date);
    Options options;
    options.annee_limite = 9999;
    std::string erreur;
    if (*c.zone != 0) {
      ASSERT_TRUE(Fuseau::Charger(c.zone, kDossierTz, &options.fuseau, &erreur)) << erreur;
    }
    const Produit p = Convertir(std::string("Subject:m\r\nSTARTDATETIME:") + c.date +
                                    "\r\nApptUNID:A\r\n$UpdatedBy:me\r\n\r\nb\r\n\f\r\n",
                                options);
    const Lecture l = LireAvecLibical(p.ics);
    ASSERT_TRUE(l.analyse);
    ASSERT_EQ(l.evenements.size(), 1u);
    EXPECT_EQ(l.evenements[0].instant_debut, c.utc);
  }
}

}  // namespace
}  // namespace vellumcast::interop
