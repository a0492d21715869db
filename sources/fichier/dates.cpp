// The start and end date lists, and the recurrence they show.
#include <algorithm>
#include <cstring>

#include "vellumcast.h"

namespace vellumcast {

namespace {

// A date of a list as read: its three fields, and its time part both as read
// (as far as it takes to judge it) and less its colons.
struct DateLue {
  // A time part longer than "hh:mm:ss" is written as read.
  static constexpr size_t kTempsJuge = 9;

  // The day, the month and the year, in the order they are read.
  CHAINE champs[3];
  CHAINE temps;
  // Room for a copy of eight bytes of a time field.
  char brut[kTempsJuge + 8];
  size_t n_brut = 0;

  void AjouterTemps(char c) {
    if (n_brut < kTempsJuge) brut[n_brut++] = c;
    if (c != ':') temps.Ajouter(c);
  }
  // The time part as read, or nothing when it is too long to be "hh:mm:ss".
  std::string_view TempsBrut() const {
    return n_brut == kTempsJuge ? std::string_view() : std::string_view(brut, n_brut);
  }
  void Vider() {
    for (CHAINE& c : champs) c.Vider();
    temps.Vider();
    n_brut = 0;
  }
};

// The converted date-time, built in full, then cut to a text's 255 characters.
class Ecriture {
 public:
  // `s` may be read eight bytes long, whatever its length.
  void Ajouter(std::string_view s) {
    // Fields are short: eight bytes are copied at once, and what passes the
    // field is written over.
    if (s.size() <= 8) {
      std::memcpy(fin_, s.data(), 8);
    } else {
      std::memcpy(fin_, s.data(), s.size());
    }
    fin_ += s.size();
  }
  // A field of one digit gets the zero before it.
  void SurDeux(std::string_view champ) {
    if (champ.size() == 1 && ISAFIGURE(champ[0])) *fin_++ = '0';
    Ajouter(champ);
  }
  void Ajouter(char c) { *fin_++ = c; }
  // The text cut to 255 characters, and a line feed.
  std::string_view Ligne() {
    size_t n = std::min<size_t>(static_cast<size_t>(fin_ - octets_), LONG_MAX_CHAINE);
    octets_[n] = '\n';
    return std::string_view(octets_, n + 1);
  }

 private:
  // Three fields and a time part of 255 characters each, two zeros, the "T",
  // the seconds and room for a copy of eight bytes.
  char octets_[4 * LONG_MAX_CHAINE + 16];
  char* fin_ = octets_;
};

// Whether `temps` is two or three colon-separated fields of one or two digits;
// `champs` then receives them.
bool HeureReguliere(std::string_view temps, std::string_view (&champs)[3], size_t* n) {
  size_t k = 0;
  for (size_t debut = 0;;) {
    size_t fin = debut;
    while (fin < temps.size() && temps[fin] != ':') ++fin;
    std::string_view c = temps.substr(debut, fin - debut);
    if (k == 3 || c.empty() || c.size() > 2 || !ISAFIGURE(c[0]) || !ISAFIGURE(c.back())) {
      return false;
    }
    champs[k++] = c;
    if (fin == temps.size()) break;
    debut = fin + 1;
  }
  *n = k;
  return k >= 2;
}

// "yyyymmddThhmmss": the year, the month and the day, a field of one digit on
// two, and the time: when regular, its fields on two digits and the seconds
// "00" when it has none; otherwise as read less its colons.
void EcrireDate(const DateLue& d, OrdreDates ordre, Tampon* liste) {
  const bool mois_premier = ordre == OrdreDates::kMoisJour;
  Ecriture date;
  date.Ajouter(d.champs[2]);
  date.SurDeux(d.champs[mois_premier ? 0 : 1]);
  date.SurDeux(d.champs[mois_premier ? 1 : 0]);
  date.Ajouter('T');
  std::string_view champs[3];
  size_t n = 0;
  if (HeureReguliere(d.TempsBrut(), champs, &n)) {
    for (size_t k = 0; k < n; ++k) date.SurDeux(champs[k]);
    if (n == 2) {
      date.Ajouter('0');
      date.Ajouter('0');
    }
  } else {
    date.Ajouter(d.temps);
  }
  liste->Ajouter(date.Ligne());
}

// Reads a date list a character at a time: blanks before a date, then its
// day up to "/", its month up to "/", its year up to a blank and its time
// part up to a comma or a blank. The first character of every field is taken
// whatever it is. A date is written once its time part has ended.
class LectureListe {
 public:
  LectureListe(Tampon* liste, OrdreDates ordre, bool* recurrent)
      : liste_(liste), ordre_(ordre), recurrent_(recurrent) {}

  void Lire(std::string_view s) {
    Etape e = etape_;
    for (char c : s) {
      switch (e) {
        case Etape::kBlancs:
          if (c == ' ') break;
          d_.Vider();
          champ_ = 0;
          d_.champs[0].Ajouter(c);
          e = Etape::kChamp;
          break;
        case Etape::kDebutChamp:
          d_.champs[champ_].Ajouter(c);
          e = Etape::kChamp;
          break;
        case Etape::kChamp:
          if (c != kSeparateurs[champ_]) {
            d_.champs[champ_].Ajouter(c);
          } else if (++champ_ < 3) {
            e = Etape::kDebutChamp;
          } else {
            e = Etape::kDebutTemps;
          }
          break;
        case Etape::kDebutTemps:
          d_.AjouterTemps(c);
          e = Etape::kTemps;
          break;
        case Etape::kTemps:
          if (c != ',' && c != ' ') {
            d_.AjouterTemps(c);
            break;
          }
          // Only a comma after a time part marks the document as recurring.
          if (c == ',') *recurrent_ = true;
          EcrireDate(d_, ordre_, liste_);
          e = Etape::kBlancs;
          break;
      }
    }
    etape_ = e;
  }

  // The line or the input has ended: a date whose time part had begun is
  // written, one cut short before is not; returns whether one was.
  bool Finir() {
    if (etape_ == Etape::kTemps) EcrireDate(d_, ordre_, liste_);
    return etape_ != Etape::kTemps && etape_ != Etape::kBlancs;
  }

 private:
  enum class Etape { kBlancs, kDebutChamp, kChamp, kDebutTemps, kTemps };
  // What ends the day, the month and the year.
  static constexpr char kSeparateurs[3] = {'/', '/', ' '};

  Tampon* liste_;
  OrdreDates ordre_;
  bool* recurrent_;
  Etape etape_ = Etape::kBlancs;
  size_t champ_ = 0;  // the field being read
  DateLue d_;
};

}  // namespace

// The list lies on its item line: it ends at the line end, which is taken,
// or at the end of the input.
void Conversion::RECUPERER_DATES(int i) {
  Tampon* liste = i == 0 ? &dates_debut_ : &dates_fin_;
  (i == 0 ? etat_.a_dates_debut : etat_.a_dates_fin) = true;
  (i == 0 ? ligne_debuts_ : ligne_fins_) = source_->Ligne();
  liste->Vider();
  LectureListe lecture(liste, options_.ordre_dates, &etat_.RDV_RECURRENT);
  int fin = source_->Jusqua<'\n', kFinEntree>([&lecture](std::string_view s) {
    lecture.Lire(s);
    return s.size();
  });
  if (lecture.Finir()) bilan_.Noter(Perte::kDateCoupee);
  if (fin == '\n') source_->NEXTCAR();
}

bool DateCalendrier(std::string_view date, bool* mois_premier) {
  *mois_premier = false;
  if (date.size() != 15 || date[8] != 'T') return false;
  for (size_t i = 0; i < date.size(); ++i) {
    if (i != 8 && !ISAFIGURE(date[i])) return false;
  }
  auto deux = [&](size_t i) { return (date[i] - '0') * 10 + (date[i + 1] - '0'); };
  const int annee = deux(0) * 100 + deux(2);
  const int mois = deux(4), jour = deux(6);
  if (deux(9) > 23 || deux(11) > 59 || deux(13) > 59) return false;
  auto existe = [annee](int m, int j) {
    constexpr int kJours[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool bissextile = (annee % 4 == 0 && annee % 100 != 0) || annee % 400 == 0;
    return m >= 1 && m <= 12 && j >= 1 && j <= (m == 2 && bissextile ? 29 : kJours[m - 1]);
  };
  if (existe(mois, jour)) return true;
  // Would it be a date with its day and month the other way round?
  *mois_premier = mois > 12 && existe(jour, mois);
  return false;
}

void Conversion::CHERCHER_RECURRENCE() {
  if (!source_->END_OF_LINE) {
    int arret = source_->Jusqua<',', '\n', kFinEntree>([](std::string_view s) { return s.size(); });
    if (arret == ',') etat_.RDV_RECURRENT = true;
  }
  SAUTER_LIGNE();
}

}  // namespace vellumcast
