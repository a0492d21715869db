// The zone type: the history that places local times, and the definition
// written in the result that readers place them by.
#include "fuseau.h"

#include <array>

#include "definition_fuseau.h"
#include "historique.h"
#include "paris.h"

namespace vellumcast {

struct Fuseau::Donnees {
  std::string tzid;
  std::vector<std::string> lignes;
  bool tout_utc = false;
  std::string pourquoi_utc;
  Historique reel;   // what the tz database says
  Historique ecrit;  // what a reader of `lignes` computes
  // Before this local time a reader of `lignes` has no change to go by.
  int64_t premier_changement = 0;
};

namespace {

// The prologue's three zones: the same rules under three names; events refer
// to the first.
constexpr std::array<std::string_view, 3> kFuseaux = {
    "TZID:France",
    "TZID:(GMT+01.00) Brussels / Copenhagen / Madrid / Paris",
    "TZID:(GMT+01.00) Amsterdam / Berlin / Bern / Rome / Stockholm / Vienna",
};

constexpr std::array<std::string_view, 12> kReglesFuseau = {
    "BEGIN:STANDARD",
    "DTSTART:19710101T030000",
    "TZOFFSETTO:+0100",
    "TZOFFSETFROM:+0200",
    "RRULE:FREQ=YEARLY;WKST=MO;INTERVAL=1;BYMONTH=10;BYDAY=-1SU",
    "END:STANDARD",
    "BEGIN:DAYLIGHT",
    "DTSTART:19710101T020000",
    "TZOFFSETTO:+0200",
    "TZOFFSETFROM:+0100",
    "RRULE:FREQ=YEARLY;WKST=MO;INTERVAL=1;BYMONTH=3;BYDAY=-1SU",
    "END:DAYLIGHT",
};

// Those rules are the European Union's from their first change, which the
// DAYLIGHT rule gives on the last Sunday of March 1971 at 02:00.
constexpr int64_t kPremierChangementFrance = HeureCivile{1971, 3, 28, 2, 0, 0}.Secondes();

std::shared_ptr<const Fuseau::Donnees> DonneesFrance() {
  auto d = std::make_shared<Fuseau::Donnees>();
  d->tzid = "France";
  for (std::string_view tzid : kFuseaux) {
    d->lignes.emplace_back("BEGIN:VTIMEZONE");
    d->lignes.emplace_back(tzid);
    for (std::string_view ligne : kReglesFuseau) d->lignes.emplace_back(ligne);
    d->lignes.emplace_back("END:VTIMEZONE");
  }
  d->reel = Historique(DonneesParis());
  d->ecrit = Historique(*DonneesParis().regle);
  d->premier_changement = kPremierChangementFrance;
  return d;
}

// Whether every offset the zone ever gives is UTC's.
bool ToujoursUtc(const DonneesTz& donnees) {
  for (const TypeTz& t : donnees.types) {
    if (t.decalage != 0) return false;
  }
  const auto& r = donnees.regle;
  return !r || (r->decalage_normal == 0 && (!r->ete || r->decalage_ete == 0));
}

// The rule after the file's last transition: its footer's, or else its
// last type, kept for ever.
RegleTz RegleFinale(const DonneesTz& donnees) {
  if (donnees.regle) return *donnees.regle;
  const size_t type = donnees.instants.empty() ? 0 : donnees.types_des_instants.back();
  RegleTz r;
  r.nom_normal = donnees.types[type].abreviation;
  r.decalage_normal = donnees.types[type].decalage;
  return r;
}

std::shared_ptr<const Fuseau::Donnees> Construire(std::string_view tzid, const DonneesTz& donnees) {
  auto d = std::make_shared<Fuseau::Donnees>();
  d->tzid = std::string(tzid);
  d->reel = Historique(donnees);
  if (ToujoursUtc(donnees)) {
    d->tout_utc = true;
    return d;
  }
  const RegleTz regle = RegleFinale(donnees);
  DefinitionEcrite ecrite = EcrireDefinition(tzid, regle);
  d->lignes = std::move(ecrite.lignes);
  d->pourquoi_utc = std::move(ecrite.pourquoi_utc);
  d->tout_utc = d->lignes.empty();
  d->ecrit = Historique(regle);
  d->premier_changement = ecrite.premier_changement;
  return d;
}

}  // namespace

Fuseau::Fuseau() : Fuseau(France()) {}

Fuseau Fuseau::France() {
  static const std::shared_ptr<const Donnees> france = DonneesFrance();
  return Fuseau(france);
}

Fuseau Fuseau::Utc() {
  static const std::shared_ptr<const Donnees> utc = [] {
    DonneesTz donnees;
    donnees.types = {{0, false, "UTC"}};
    return Construire("UTC", donnees);
  }();
  return Fuseau(utc);
}

bool Fuseau::Charger(std::string_view nom, const std::string& dossier, Fuseau* fuseau,
                     std::string* erreur) {
  DonneesTz donnees;
  if (!ChargerZone(nom, dossier, &donnees, erreur)) return false;
  *fuseau = DeDonnees(nom, donnees);
  return true;
}

bool Fuseau::ChargerFichier(const std::string& chemin, std::string_view tzid, Fuseau* fuseau,
                            std::string* erreur) {
  std::string octets;
  DonneesTz donnees;
  if (!LireFichierZone(chemin, &octets, erreur)) return false;
  if (!LireTzfile(octets, &donnees, erreur)) return false;
  *fuseau = DeDonnees(tzid, donnees);
  return true;
}

Fuseau Fuseau::DeDonnees(std::string_view tzid, const DonneesTz& donnees) {
  return Fuseau(Construire(tzid, donnees));
}

bool Fuseau::DeRegle(std::string_view regle, Fuseau* fuseau, std::string* erreur) {
  DonneesTz donnees;
  donnees.regle.emplace();
  if (!LireRegleTz(regle, &*donnees.regle, erreur)) return false;
  donnees.texte_regle = std::string(regle);
  donnees.types = {{donnees.regle->decalage_normal, false, donnees.regle->nom_normal}};
  *fuseau = DeDonnees(regle, donnees);
  return true;
}

const std::string& Fuseau::tzid() const { return d_->tzid; }

const std::vector<std::string>& Fuseau::Definition() const { return d_->lignes; }

bool Fuseau::ToutEnUtc() const { return d_->tout_utc; }

std::string_view Fuseau::PourquoiUtc() const { return d_->pourquoi_utc; }

Placement Fuseau::Placer(const HeureCivile& locale) const {
  const int64_t l = locale.Secondes();
  const Lieu reel = d_->reel.Placer(l);
  Placement p{reel.utc, false, reel.inexistante, reel.double_};
  if (!d_->tout_utc && !reel.inexistante && !reel.double_ && l >= d_->premier_changement) {
    const Lieu ecrit = d_->ecrit.Placer(l);
    p.locale = !ecrit.inexistante && !ecrit.double_ && ecrit.utc == reel.utc;
  }
  return p;
}

std::string_view Fuseau::Abreviation(const HeureCivile& locale) const {
  return d_->reel.Type(d_->reel.Placer(locale.Secondes()).type).abreviation;
}

int32_t Fuseau::DecalageA(int64_t utc) const { return d_->reel.Type(d_->reel.TypeA(utc)).decalage; }

std::vector<int64_t> Fuseau::Changements(int64_t debut, int64_t fin) const {
  return d_->reel.Changements(debut, fin);
}

}  // namespace vellumcast
