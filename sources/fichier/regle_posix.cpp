// Reading a POSIX TZ string, and the instants of its changes in a year.
#include "regle_posix.h"

#include "calendrier.h"

namespace vellumcast {

namespace {

bool Chiffre(char c) { return c >= '0' && c <= '9'; }
bool Lettre(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The text read so far, one field at a time; `erreur` says where it went wrong.
class Analyse {
 public:
  Analyse(std::string_view texte, std::string* erreur) : texte_(texte), erreur_(erreur) {}

  bool Fin() const { return pos_ == texte_.size(); }
  bool Voit(char c) const { return pos_ < texte_.size() && texte_[pos_] == c; }
  bool Prend(char c) {
    if (!Voit(c)) return false;
    ++pos_;
    return true;
  }
  bool Exige(char c, std::string_view quoi) { return Prend(c) || Echec(quoi); }
  bool Echec(std::string_view quoi, size_t ou) {
    *erreur_ = std::string(quoi) + " at character " + std::to_string(ou + 1) + " of the rule";
    return false;
  }
  bool Echec(std::string_view quoi) { return Echec(quoi, pos_); }

  // An abbreviation: three letters or more, or three or more letters, digits
  // and signs between < and >.
  bool Nom(std::string* nom) {
    const size_t ou = pos_;
    const bool entre = Prend('<');
    const size_t debut = pos_;
    while (pos_ < texte_.size() &&
           (Lettre(texte_[pos_]) ||
            (entre && (Chiffre(texte_[pos_]) || texte_[pos_] == '+' || texte_[pos_] == '-')))) {
      ++pos_;
    }
    *nom = std::string(texte_.substr(debut, pos_ - debut));
    if (nom->size() < 3)
      return Echec("an abbreviation of three characters or more is expected", ou);
    return !entre || Exige('>', "'>' is expected");
  }

  // A number of at most `chiffres` digits, from `min` to `max`.
  bool Nombre(int chiffres, int min, int max, int* n) {
    const size_t ou = pos_;
    *n = 0;
    while (pos_ - ou < static_cast<size_t>(chiffres) && pos_ < texte_.size() &&
           Chiffre(texte_[pos_])) {
      *n = *n * 10 + (texte_[pos_++] - '0');
    }
    if (pos_ == ou) return Echec("a number is expected");
    if (*n < min || *n > max) {
      return Echec(
          "a number from " + std::to_string(min) + " to " + std::to_string(max) + " is expected",
          ou);
    }
    return true;
  }

  // [+|-]hh[:mm[:ss]], in seconds; hours up to `heures_max`.
  bool Duree(int heures_max, int32_t* secondes) {
    const bool moins = Prend('-');
    if (!moins) Prend('+');
    int h = 0, m = 0, s = 0;
    if (!Nombre(3, 0, heures_max, &h)) return false;
    if (Prend(':')) {
      if (!Nombre(2, 0, 59, &m)) return false;
      if (Prend(':') && !Nombre(2, 0, 59, &s)) return false;
    }
    *secondes = (h * 3600 + m * 60 + s) * (moins ? -1 : 1);
    return true;
  }

  // Mm.w.d, Jn or n, then an optional /time.
  bool Jour(JourDeChangement* c) {
    using Forme = JourDeChangement::Forme;
    if (Prend('M')) {
      c->forme = Forme::kMois;
      if (!Nombre(2, 1, 12, &c->mois) || !Exige('.', "'.' is expected") ||
          !Nombre(1, 1, 5, &c->semaine) || !Exige('.', "'.' is expected") ||
          !Nombre(1, 0, 6, &c->jour_semaine)) {
        return false;
      }
    } else if (Prend('J')) {
      c->forme = Forme::kJulien;
      if (!Nombre(3, 1, 365, &c->numero)) return false;
    } else {
      c->forme = Forme::kRang;
      if (!Nombre(3, 0, 365, &c->numero)) return false;
    }
    c->heure = 7200;
    return !Prend('/') || Duree(167, &c->heure);
  }

 private:
  std::string_view texte_;
  std::string* erreur_;
  size_t pos_ = 0;
};

}  // namespace

bool LireRegleTz(std::string_view texte, RegleTz* regle, std::string* erreur) {
  Analyse a(texte, erreur);
  RegleTz r;
  int32_t ouest = 0;  // POSIX counts offsets west of UTC
  if (!a.Nom(&r.nom_normal) || !a.Duree(24, &ouest)) return false;
  r.decalage_normal = -ouest;
  if (!a.Fin()) {
    r.ete = true;
    if (!a.Nom(&r.nom_ete)) return false;
    r.decalage_ete = r.decalage_normal + 3600;
    if (!a.Fin() && !a.Voit(',')) {
      if (!a.Duree(24, &ouest)) return false;
      r.decalage_ete = -ouest;
    }
    if (a.Fin()) {
      r.debut_ete = {JourDeChangement::Forme::kMois, 0, 3, 2, 0, 7200};
      r.fin_ete = {JourDeChangement::Forme::kMois, 0, 11, 1, 0, 7200};
    } else if (!a.Exige(',', "',' and the days of the changes are expected") ||
               !a.Jour(&r.debut_ete) ||
               !a.Exige(',', "',' and the day of the second change are expected") ||
               !a.Jour(&r.fin_ete)) {
      return false;
    }
  }
  if (!a.Fin()) return a.Echec("nothing more is expected");
  *regle = r;
  return true;
}

int64_t JourDuChangement(const JourDeChangement& c, int annee) {
  using Forme = JourDeChangement::Forme;
  switch (c.forme) {
    case Forme::kJulien:
      return JoursDepuis1970(annee, 1, 1) + c.numero - 1 +
             (Bissextile(annee) && c.numero >= 60 ? 1 : 0);
    case Forme::kRang:
      return JoursDepuis1970(annee, 1, 1) + c.numero;
    case Forme::kMois:
      break;
  }
  const int64_t premier = JoursDepuis1970(annee, c.mois, 1);
  int64_t jour = premier + (c.jour_semaine - JourDeSemaine(premier) + 7) % 7 + 7 * (c.semaine - 1);
  while (jour >= premier + JoursDuMois(annee, c.mois)) jour -= 7;  // week 5: the last
  return jour;
}

int64_t DebutEte(const RegleTz& regle, int annee) {
  return JourDuChangement(regle.debut_ete, annee) * 86400 + regle.debut_ete.heure -
         regle.decalage_normal;
}

int64_t FinEte(const RegleTz& regle, int annee) {
  return JourDuChangement(regle.fin_ete, annee) * 86400 + regle.fin_ete.heure - regle.decalage_ete;
}

}  // namespace vellumcast
