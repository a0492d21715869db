// The date parser: a list cut into words, each date read into its typed value.
#include "lecture_dates.h"

#include <algorithm>
#include <cstring>

#include "balayage.h"
#include "tampon.h"

namespace vellumcast {

namespace {

bool Chiffre(char c) { return c >= '0' && c <= '9'; }
bool Lettre(char c) {
  const char m = static_cast<char>(c | 0x20);
  return m >= 'a' && m <= 'z';
}
// A zone word begins with a letter, "+" or "-".
bool DebutZone(char c) { return Lettre(c) || c == '+' || c == '-'; }
bool Separateur(char c) { return c == '/' || c == '.' || c == '-'; }

// The run of digits at the start of `texte`: its length, and in `*valeur` the
// value of its first five digits, enough to tell any field too long.
inline int Chiffres(std::string_view texte, int* valeur) {
  const char* p = texte.data();
  const char* fin = p + texte.size();
  int v = 0;
  int n = 0;
  for (; p < fin && Chiffre(*p); ++p, ++n) {
    if (n < 5) v = v * 10 + (*p - '0');
  }
  *valeur = v;
  return n;
}

// The same from `*p`, which moves past the digits.
inline int Chiffres(const char** p, const char* fin, int* valeur) {
  const char* debut = *p;
  int v = 0;
  for (; *p < fin && Chiffre(**p); ++*p) {
    if (*p - debut < 5) v = v * 10 + (**p - '0');
  }
  *valeur = v;
  return static_cast<int>(*p - debut);
}

inline bool DeuxChiffres(const char* p) { return Chiffre(p[0]) && Chiffre(p[1]); }
inline int Valeur(const char* p) { return (p[0] - '0') * 10 + (p[1] - '0'); }

// Whether `texte` is the beginning of a date that stops before its year is
// complete: "1", "01/", "01/02", "01/02/2", "01/02/200".
bool Amorce(std::string_view texte) {
  size_t i = 0;
  char sep = 0;
  for (int k = 0;; ++k) {
    int valeur = 0;
    const int n = Chiffres(texte.substr(i), &valeur);
    i += static_cast<size_t>(n);
    if (k == 2) return i == texte.size() && n != 2 && n < 4;
    if (n > 2 || (n == 0 && k == 0)) return false;
    if (i == texte.size()) return true;
    const char c = texte[i];
    if (n == 0 || !Separateur(c) || (sep != 0 && c != sep)) return false;
    sep = c;
    ++i;
  }
}

// A time at the start of `texte`: two or three fields of one or two digits
// separated twice by the same ":" or "."; its length, 0 when there is none.
size_t LireHeure(std::string_view texte, int (&champs)[3]) {
  // Most times are "hh:mm:ss", read at once.
  const char* t = texte.data();
  if (texte.size() >= 8 && DeuxChiffres(t) && (t[2] == ':' || t[2] == '.') && DeuxChiffres(t + 3) &&
      t[5] == t[2] && DeuxChiffres(t + 6) && (texte.size() == 8 || !Chiffre(t[8]))) {
    champs[0] = Valeur(t);
    champs[1] = Valeur(t + 3);
    champs[2] = Valeur(t + 6);
    return 8;
  }
  champs[2] = 0;
  const char* p = texte.data();
  const char* fin = p + texte.size();
  char sep = 0;
  int k = 0;
  for (;;) {
    const int n = Chiffres(&p, fin, &champs[k]);
    if (n == 0 || n > 2) return 0;
    if (++k == 3 || fin - p < 2) break;
    // A separator belongs to the time only when a field follows it.
    const char c = *p;
    if ((c != ':' && c != '.') || (sep != 0 && c != sep) || !Chiffre(p[1])) break;
    sep = c;
    ++p;
  }
  return k >= 2 ? static_cast<size_t>(p - texte.data()) : 0;
}

// A time written as six digits, with or without colons among them
// ("143000", "14:30:00:", "14::30:00"): hours, minutes and seconds in that
// order, as exports long read them; its length, 0 when there is none.
size_t LireHeureSixChiffres(std::string_view texte, int (&champs)[3]) {
  int chiffres[6];
  int n = 0;
  size_t i = 0;
  for (; i < texte.size() && (Chiffre(texte[i]) || texte[i] == ':'); ++i) {
    if (texte[i] == ':') continue;
    if (n == 6) return 0;
    chiffres[n++] = texte[i] - '0';
  }
  if (n != 6) return 0;
  for (int k = 0; k < 3; ++k) champs[k] = chiffres[2 * k] * 10 + chiffres[2 * k + 1];
  return i;
}

// A 12-hour marker at the start of `texte`: AM, PM, A.M. or P.M., in any
// case, with or without its dots; its length, 0 when there is none. Without
// a final dot it must not run on into a letter: "AMT" is a zone word.
size_t LireMarque(std::string_view texte, bool* pm) {
  if (texte.empty()) return 0;
  const char a = static_cast<char>(texte[0] | 0x20);
  if (a != 'a' && a != 'p') return 0;
  size_t i = 1;
  if (i < texte.size() && texte[i] == '.') ++i;
  if (i == texte.size() || (texte[i] | 0x20) != 'm') return 0;
  ++i;
  const bool point = i < texte.size() && texte[i] == '.';
  if (point) ++i;
  if (!point && i < texte.size() && Lettre(texte[i])) return 0;
  *pm = a == 'p';
  return i;
}

bool JourExiste(int annee, int mois, int jour) {
  return mois >= 1 && mois <= 12 && jour >= 1 && jour <= JoursDuMois(annee, mois);
}

// The hour of the day of `*heure` read with `marque` (0 none, 1 AM, 2 PM);
// false when the time is no time of a day.
bool Horloge(int* heure, int minute, int seconde, int marque) {
  if (minute > 59 || seconde > 59) return false;
  if (marque == 0) return *heure <= 23;
  if (*heure < 1 || *heure > 12) return false;
  *heure = *heure % 12 + (marque == 2 ? 12 : 0);
  return true;
}

}  // namespace

bool LireChampsDate(std::string_view texte, ChampsDate* champs) {
  // Most dates are "dd/mm/yyyy", read at once.
  const char* t = texte.data();
  if (texte.size() >= 10 && DeuxChiffres(t) && Separateur(t[2]) && DeuxChiffres(t + 3) &&
      t[5] == t[2] && DeuxChiffres(t + 6) && DeuxChiffres(t + 8) &&
      (texte.size() == 10 || !Chiffre(t[10]))) {
    champs->valeur[0] = Valeur(t);
    champs->valeur[1] = Valeur(t + 3);
    champs->valeur[2] = Valeur(t + 6) * 100 + Valeur(t + 8);
    champs->chiffres[0] = champs->chiffres[1] = 2;
    champs->chiffres[2] = 4;
    champs->longueur = 10;
    return true;
  }
  const char* p = texte.data();
  const char* fin = p + texte.size();
  char sep = 0;
  for (int k = 0;; ++k) {
    const int n = Chiffres(&p, fin, &champs->valeur[k]);
    if (n == 0 || n > 4) return false;
    champs->chiffres[k] = n;
    if (k == 2) break;
    if (p == fin || !Separateur(*p) || (sep != 0 && *p != sep)) return false;
    sep = *p++;
  }
  champs->longueur = static_cast<size_t>(p - texte.data());
  return true;
}

bool Ordonner(const ChampsDate& champs, OrdreDates ordre, int* annee, int* mois, int* jour,
              bool* deux_chiffres) {
  const int* v = champs.valeur;
  const int* n = champs.chiffres;
  auto court = [](int chiffres) { return chiffres == 1 || chiffres == 2; };
  int chiffres_annee = 0;
  if (n[0] == 4 || (ordre == OrdreDates::kAnneeMois && n[2] != 4)) {
    // Year first: a four-digit first field whatever the order, or a year of
    // two digits under the year-first order.
    chiffres_annee = n[0];
    *annee = v[0];
    *mois = v[1];
    *jour = v[2];
    if ((n[0] != 4 && n[0] != 2) || !court(n[1]) || !court(n[2])) return false;
  } else {
    chiffres_annee = n[2];
    *annee = v[2];
    const bool mois_premier = ordre == OrdreDates::kMoisJour;
    *mois = v[mois_premier ? 0 : 1];
    *jour = v[mois_premier ? 1 : 0];
    if (!court(n[0]) || !court(n[1]) || (n[2] != 2 && n[2] != 4)) return false;
  }
  *deux_chiffres = chiffres_annee == 2;
  // A fixed century, never one relative to today.
  if (*deux_chiffres) *annee += *annee <= 68 ? 2000 : 1900;
  return true;
}

LectureDates::LectureDates(OrdreDates ordre, Liste liste, Tampon* dates, bool* recurrent,
                           Rapporteur* rapport)
    : ordre_(ordre), liste_(liste), dates_(dates), recurrent_(recurrent), rapport_(rapport) {}

void LectureDates::Lire(std::string_view morceau) {
  while (!morceau.empty()) {
    // The word's bytes up to the next blank or comma, in one piece.
    const size_t n = SansAucun<' ', '\t', ','>(morceau);
    if (n > 0) {
      const size_t garde = std::min(n, kMotMax - n_mot_);
      std::memcpy(mot_ + n_mot_, morceau.data(), garde);
      n_mot_ += garde;
      dans_mot_ = true;
    }
    if (n == morceau.size()) return;
    const char c = morceau[n];
    morceau.remove_prefix(n + 1);
    if (dans_mot_) {
      Mot(std::string_view(mot_, n_mot_), c == ',' ? Fin::kVirgule : Fin::kBlanc);
      dans_mot_ = false;
      n_mot_ = 0;
    } else if (c == ',') {
      // A comma after blanks separates dates without marking a recurrence.
      Clore(Fin::kVirgule);
    }
  }
}

void LectureDates::Finir() {
  if (dans_mot_) {
    Mot(std::string_view(mot_, n_mot_), Fin::kLigne);
    dans_mot_ = false;
    n_mot_ = 0;
  } else {
    Clore(Fin::kLigne);
  }
}

void LectureDates::Mot(std::string_view mot, Fin fin) {
  switch (etape_) {
    case Etape::kEntre:
      Commencer(mot);
      break;
    case Etape::kAmorce:
      // The beginning of a date, then blanks and more: no date.
      Ilisible();
      Reprendre(mot);
      break;
    case Etape::kIlisible:
      Reprendre(mot);
      break;
    case Etape::kDate:
      if (!Heure(mot)) Suivant(mot);
      break;
    case Etape::kHeure:
      if (!Marque(mot)) {
        if (DebutZone(mot[0])) {
          Zone(mot);
        } else {
          Suivant(mot);
        }
      }
      break;
    case Etape::kMarque:
      if (DebutZone(mot[0])) {
        Zone(mot);
      } else {
        Suivant(mot);
      }
      break;
    case Etape::kZone:
      // A zone word runs on to a blank followed by a digit.
      if (Chiffre(mot[0])) {
        Suivant(mot);
      } else {
        AjouterZone(" ");
        AjouterZone(mot);
      }
      break;
  }
  if (fin == Fin::kVirgule) *recurrent_ = true;
  if (fin != Fin::kBlanc) Clore(fin);
}

void LectureDates::Commencer(std::string_view mot) {
  a_heure_ = false;
  marque_ = 0;
  n_zone_ = 0;
  if (!DebutDate(mot, &champs_)) {
    if (Amorce(mot)) {
      etape_ = Etape::kAmorce;
    } else {
      Ilisible();
    }
    return;
  }
  etape_ = Etape::kDate;
  std::string_view reste = mot.substr(champs_.longueur);
  if (reste.empty()) return;
  // A year-first date may take its time after a "T".
  if (champs_.chiffres[0] == 4 && reste[0] == 'T' && Heure(reste.substr(1))) return;
  Ilisible();
}

bool LectureDates::DebutDate(std::string_view mot, ChampsDate* champs) const {
  int annee = 0, mois = 0, jour = 0;
  bool deux = false;
  return LireChampsDate(mot, champs) && Ordonner(*champs, ordre_, &annee, &mois, &jour, &deux);
}

bool LectureDates::Heure(std::string_view mot) {
  int champs[3];
  std::string_view reste;
  int marque = 0;
  if (!HeureEtSuite(mot, LireHeure, champs, &reste, &marque) &&
      !HeureEtSuite(mot, LireHeureSixChiffres, champs, &reste, &marque)) {
    return false;
  }
  std::copy(champs, champs + 3, heure_);
  a_heure_ = true;
  marque_ = marque;
  etape_ = marque != 0 ? Etape::kMarque : Etape::kHeure;
  if (!reste.empty()) Zone(reste);
  return true;
}

bool LectureDates::HeureEtSuite(std::string_view mot, size_t (*lire)(std::string_view, int (&)[3]),
                                int (&champs)[3], std::string_view* reste, int* marque) {
  const size_t n = lire(mot, champs);
  if (n == 0) return false;
  *reste = mot.substr(n);
  bool pm = false;
  *marque = 0;
  if (const size_t m = LireMarque(*reste, &pm);
      m > 0 && (m == reste->size() || DebutZone((*reste)[m]))) {
    *marque = pm ? 2 : 1;
    reste->remove_prefix(m);
  }
  return reste->empty() || DebutZone((*reste)[0]);
}

bool LectureDates::Marque(std::string_view mot) {
  bool pm = false;
  const size_t m = LireMarque(mot, &pm);
  if (m == 0 || (m < mot.size() && !DebutZone(mot[m]))) return false;
  marque_ = pm ? 2 : 1;
  etape_ = Etape::kMarque;
  if (m < mot.size()) Zone(mot.substr(m));
  return true;
}

void LectureDates::Suivant(std::string_view mot) {
  // A date without its time must be followed by another date to be a day.
  ChampsDate champs;
  if (etape_ == Etape::kDate && !DebutDate(mot, &champs)) {
    Ilisible();
    return;
  }
  Ecrire();
  Commencer(mot);
}

void LectureDates::Reprendre(std::string_view mot) {
  ChampsDate champs;
  if (DebutDate(mot, &champs)) Commencer(mot);
}

void LectureDates::Zone(std::string_view texte) {
  etape_ = Etape::kZone;
  AjouterZone(texte);
}

void LectureDates::AjouterZone(std::string_view texte) {
  const size_t n = std::min(texte.size(), Date::kZoneMax - n_zone_);
  std::memcpy(zone_ + n_zone_, texte.data(), n);
  n_zone_ += n;
}

void LectureDates::Ilisible() {
  rapport_->Signaler(Perte::kDateIlisible);
  etape_ = Etape::kIlisible;
}

void LectureDates::Clore(Fin fin) {
  switch (etape_) {
    case Etape::kDate:
    case Etape::kHeure:
    case Etape::kMarque:
    case Etape::kZone:
      Ecrire();
      break;
    case Etape::kAmorce:
      rapport_->Signaler(fin == Fin::kLigne ? Perte::kDateCoupee : Perte::kDateIlisible);
      break;
    case Etape::kEntre:
    case Etape::kIlisible:
      break;
  }
  etape_ = Etape::kEntre;
}

void LectureDates::Ecrire() {
  bool deux_chiffres = false;
  const Date date = Former(&deux_chiffres);
  dates_->Ajouter(std::string_view(reinterpret_cast<const char*>(&date), sizeof date));
  if (deux_chiffres) rapport_->Signaler(Perte::kAnneeSurDeux);
}

Date LectureDates::Former(bool* deux_chiffres) const {
  int annee = 0, mois = 0, jour = 0;
  Ordonner(champs_, ordre_, &annee, &mois, &jour, deux_chiffres);
  int heure = heure_[0];
  const int minute = heure_[1], seconde = heure_[2];
  bool temps = !a_heure_ || Horloge(&heure, minute, seconde, marque_);
  // An end at 24:00 is the next day's midnight.
  const bool minuit = a_heure_ && liste_ == Liste::kFins && marque_ == 0 && heure == 24 &&
                      minute == 0 && seconde == 0;
  Date d{};
  d.genre = a_heure_ ? Genre::kHoraire : Genre::kJournee;
  d.calendrier = (temps || minuit) && JourExiste(annee, mois, jour);
  if (d.calendrier && minuit) {
    const Jour lendemain = JourDe(JoursDepuis1970(annee, mois, jour) + 1);
    annee = lendemain.annee;
    mois = lendemain.mois;
    jour = lendemain.jour;
    heure = 0;
  }
  d.annee = static_cast<int16_t>(annee);
  d.mois = static_cast<int8_t>(mois);
  d.jour = static_cast<int8_t>(jour);
  if (a_heure_) {
    d.heure = static_cast<int8_t>(heure);
    d.minute = static_cast<int8_t>(minute);
    d.seconde = static_cast<int8_t>(seconde);
  }
  // The orders under which the same text would be a calendar date.
  for (int o = 0; !d.calendrier && o < kOrdres; ++o) {
    int a = 0, m = 0, j = 0;
    bool deux = false;
    if (Ordonner(champs_, static_cast<OrdreDates>(o), &a, &m, &j, &deux) && (temps || minuit) &&
        JourExiste(a, m, j)) {
      d.ordres |= static_cast<uint8_t>(1 << o);
    }
  }
  std::memcpy(d.zone, zone_, n_zone_);
  d.n_zone = static_cast<uint8_t>(n_zone_);
  return d;
}

}  // namespace vellumcast
