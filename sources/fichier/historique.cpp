// A zone's offsets over time in one table: the file's transitions, then its
// rule's changes for four centuries, which the Gregorian calendar repeats.
#include "historique.h"

#include <algorithm>

#include "calendrier.h"

namespace vellumcast {

namespace {

// 400 Gregorian years are 146097 days, a whole number of weeks: every rule
// gives the same changes 400 years later, 146097 days later.
constexpr int64_t kCycle = int64_t{146097} * 86400;

// Instants are kept within this bound, so that no sum of them overflows.
constexpr int64_t kBorne = int64_t{1} << 61;

// A rule takes over only from transitions before the year 10000.
constexpr int64_t kFinDesTransitions = int64_t{JoursDepuis1970(10000, 1, 1)} * 86400;

int64_t Borner(int64_t instant) { return std::clamp(instant, -kBorne, kBorne); }

int AnneeDe(int64_t instant) { return HeureCivile::De(instant).annee; }

constexpr int64_t DebutAnnee(int annee) { return JoursDepuis1970(annee, 1, 1) * 86400; }

int64_t DivisionBasse(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

}  // namespace

Historique::Historique() : types_{{0, false, "UTC"}}, periodes_{{INT64_MIN, 0, 0}} {}

Historique::Historique(const DonneesTz& donnees) {
  const std::optional<RegleTz>& regle = donnees.regle;
  if (donnees.instants.empty() && regle) {
    *this = Historique(*regle);  // without transitions, the rule says everything
    return;
  }
  types_ = donnees.types;
  periodes_.push_back({INT64_MIN, types_[0].decalage, 0});
  for (size_t k = 0; k < donnees.instants.size(); ++k) {
    Ajouter(Borner(donnees.instants[k]), donnees.types_des_instants[k]);
  }
  const int64_t derniere = periodes_.back().debut;
  if (regle && regle->ete && derniere < kFinDesTransitions) {
    const int annee = AnneeDe(std::max(derniere, DebutAnnee(1)));
    const int depart = std::max(annee + 1, 2000);
    EtendreParRegle(*regle, annee - 1, depart + 400);
    base_ = DebutAnnee(depart);
    reduire_des_ = base_ + kCycle;
  }
  Bornes();
}

Historique::Historique(const RegleTz& regle) {
  types_ = {{regle.decalage_normal, false, regle.nom_normal}};
  periodes_.push_back({INT64_MIN, regle.decalage_normal, 0});
  if (regle.ete) {
    // The table holds the years 2000 to 2399, a margin on either side; every
    // other year is brought into them.
    EtendreParRegle(regle, 1998, 2401);
    periodes_[0].type = periodes_.back().type;  // before the first change, the last one's
    periodes_[0].decalage = periodes_.back().decalage;
    base_ = DebutAnnee(2000);
    reduire_sous_ = base_;
    reduire_des_ = base_ + kCycle;
  }
  Bornes();
}

int Historique::TypeDe(int32_t decalage, bool ete, const std::string& abreviation) {
  for (size_t k = 0; k < types_.size(); ++k) {
    const TypeTz& t = types_[k];
    if (t.decalage == decalage && t.ete == ete && t.abreviation == abreviation) {
      return static_cast<int>(k);
    }
  }
  types_.push_back({decalage, ete, abreviation});
  return static_cast<int>(types_.size() - 1);
}

void Historique::Ajouter(int64_t debut, int type) {
  // Of two changes at one instant, the later one stands.
  if (periodes_.size() > 1 && periodes_.back().debut == debut) periodes_.pop_back();
  periodes_.push_back({debut, types_[static_cast<size_t>(type)].decalage, type});
}

void Historique::EtendreParRegle(const RegleTz& regle, int premiere_annee, int derniere_annee) {
  const int normal = TypeDe(regle.decalage_normal, false, regle.nom_normal);
  const int ete = TypeDe(regle.decalage_ete, true, regle.nom_ete);
  std::vector<Periode> changements;
  for (int annee = premiere_annee; annee <= derniere_annee; ++annee) {
    changements.push_back({DebutEte(regle, annee), regle.decalage_ete, ete});
    changements.push_back({FinEte(regle, annee), regle.decalage_normal, normal});
  }
  // Stable: a change that ends a year at the instant the next one begins
  // comes before it, and so gives way to it.
  std::stable_sort(changements.begin(), changements.end(),
                   [](const Periode& a, const Periode& b) { return a.debut < b.debut; });
  const int64_t derniere = periodes_.back().debut;
  for (const Periode& c : changements) {
    if (c.debut > derniere) Ajouter(c.debut, c.type);
  }
}

void Historique::Bornes() {
  bornes_.clear();
  int64_t plus_haute = INT64_MIN;
  for (size_t k = 1; k < periodes_.size(); ++k) {
    const Periode& avant = periodes_[k - 1];
    const Periode& p = periodes_[k];
    // Kept in order whatever the file says, for the binary search.
    plus_haute = std::max(plus_haute, p.debut + std::min(avant.decalage, p.decalage));
    bornes_.push_back(plus_haute);
  }
  Indexer();
}

void Historique::Indexer() {
  seaux_.clear();
  // Local times before 1800 are rare enough to be searched in the table.
  debut_seaux_ = bornes_.empty() ? 0 : std::max(bornes_.front(), DebutAnnee(1800));
  if (bornes_.empty() || bornes_.back() <= debut_seaux_) return;
  // At most 16,384 buckets (2,177 years); past them, the table is searched.
  const int64_t fin = std::min(bornes_.back(), debut_seaux_ + (int64_t{1} << 36));
  const auto nombre = static_cast<size_t>((fin - debut_seaux_) >> kLargeurSeau) + 1;
  seaux_.resize(nombre);
  size_t k = 0;
  for (size_t s = 0; s < nombre; ++s) {
    const int64_t debut = debut_seaux_ + (static_cast<int64_t>(s) << kLargeurSeau);
    while (k < bornes_.size() && bornes_[k] <= debut) ++k;
    seaux_[s] = static_cast<uint32_t>(k);
  }
}

size_t Historique::Chercher(int64_t l) const {
  if (l >= debut_seaux_) {
    const auto s = static_cast<uint64_t>(l - debut_seaux_) >> kLargeurSeau;
    if (s < seaux_.size()) {
      size_t k = seaux_[s];
      while (k < bornes_.size() && bornes_[k] <= l) ++k;
      return k;
    }
  }
  return static_cast<size_t>(std::upper_bound(bornes_.begin(), bornes_.end(), l) - bornes_.begin());
}

int64_t Historique::Cycles(int64_t instant) const {
  if (instant >= reduire_des_ || instant < reduire_sous_) {
    return DivisionBasse(instant - base_, kCycle);
  }
  return 0;
}

Lieu Historique::Placer(int64_t locale) const {
  locale = Borner(locale);
  const int64_t cycles = Cycles(locale);
  const int64_t l = locale - cycles * kCycle;
  const size_t k = Chercher(l);
  const Periode& p = periodes_[k];
  Lieu lieu{l - p.decalage, p.type, false, false};
  if (k > 0) {
    const Periode& avant = periodes_[k - 1];
    if (l < p.debut + std::max(avant.decalage, p.decalage)) {
      // Skipped or met twice: the offset before the change, RFC 5545's choice.
      lieu = {l - avant.decalage, avant.type, p.decalage > avant.decalage,
              p.decalage < avant.decalage};
    }
  }
  lieu.utc += cycles * kCycle;
  return lieu;
}

int Historique::TypeA(int64_t utc) const {
  utc = Borner(utc);
  const int64_t u = utc - Cycles(utc) * kCycle;
  const auto apres = std::upper_bound(periodes_.begin() + 1, periodes_.end(), u,
                                      [](int64_t x, const Periode& p) { return x < p.debut; });
  return (apres - 1)->type;
}

std::vector<int64_t> Historique::Changements(int64_t debut, int64_t fin) const {
  std::vector<int64_t> instants;
  int64_t x = Borner(debut);
  fin = Borner(fin);
  while (x < fin) {
    const int64_t decale = Cycles(x) * kCycle;
    auto p = std::lower_bound(periodes_.begin() + 1, periodes_.end(), x - decale,
                              [](const Periode& p, int64_t v) { return p.debut < v; });
    for (; p != periodes_.end() && p->debut < reduire_des_ && p->debut + decale < fin; ++p) {
      instants.push_back(p->debut + decale);
    }
    if (reduire_des_ == INT64_MAX) break;
    x = reduire_des_ + decale;
  }
  return instants;
}

}  // namespace vellumcast
