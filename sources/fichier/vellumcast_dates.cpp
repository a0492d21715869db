// The start and end date lists, and the recurrence they show.
#include "balayage.h"
#include "vellumcast.h"

namespace vellumcast {

namespace {

bool UnChiffre(const CHAINE& champ) { return champ.size() == 1 && ISAFIGURE(champ[0]); }

// A field of the time part, on two digits.
void AjouterDeuxChiffres(std::string_view champ, CHAINE* date) {
  if (champ.size() == 1) date->Ajouter('0');
  date->Ajouter(champ);
}

// Whether `temps` is two or three colon-separated fields of one or two digits.
bool HeureReguliere(std::string_view temps) {
  int champs = 0;
  size_t debut = 0;
  for (;;) {
    size_t fin = temps.find(':', debut);
    std::string_view champ = temps.substr(debut, fin == std::string_view::npos ? fin : fin - debut);
    if (champ.empty() || champ.size() > 2) return false;
    for (char c : champ) {
      if (!ISAFIGURE(c)) return false;
    }
    ++champs;
    if (fin == std::string_view::npos) break;
    debut = fin + 1;
  }
  return champs == 2 || champs == 3;
}

// A date as exports write it, after the first digit of its day.
constexpr std::string_view kFormeUsuelle = "9/99/9999 99:99:99";

// Whether `c` and `suite` begin "dd/mm/yyyy hh:mm:ss" followed by a comma, a
// blank or a line end, all on the line: the date then takes no further care.
bool DateUsuelle(char c, std::string_view suite) {
  if (suite.size() < kFormeUsuelle.size() + 2) return false;
  // Every position is tested, without a branch per character.
  bool forme = ISAFIGURE(c);
  for (size_t i = 0; i < kFormeUsuelle.size(); ++i) {
    char f = kFormeUsuelle[i];
    forme &= f == '9' ? ISAFIGURE(suite[i]) : suite[i] == f;
  }
  char t = suite[kFormeUsuelle.size()];
  return forme && (t == ',' || t == ' ' || t == '\n' ||
                   (t == '\r' && suite[kFormeUsuelle.size() + 1] == '\n'));
}

}  // namespace

void Conversion::EcrireDate(const CHAINE& jour, const CHAINE& mois, const CHAINE& annee,
                            std::string_view temps_brut, const CHAINE& temps_sans_deux_points,
                            Tampon* liste) {
  CHAINE date(annee);
  if (UnChiffre(mois)) date.Ajouter('0');
  date.Ajouter(mois);
  if (UnChiffre(jour)) date.Ajouter('0');
  date.Ajouter(jour);
  date.Ajouter('T');
  if (HeureReguliere(temps_brut)) {
    int champs = 0;
    size_t debut = 0;
    for (;;) {
      size_t fin = temps_brut.find(':', debut);
      AjouterDeuxChiffres(
          temps_brut.substr(debut, fin == std::string_view::npos ? fin : fin - debut), &date);
      ++champs;
      if (fin == std::string_view::npos) break;
      debut = fin + 1;
    }
    if (champs == 2) date.Ajouter("00");
  } else {
    date.Ajouter(temps_sans_deux_points);
  }
  liste->Ajouter(date.vue());
  liste->Ajouter('\n');
}

void Conversion::RECUPERER_DATES(int i) {
  Tampon* liste = i == 0 ? &dates_debut_ : &dates_fin_;
  (i == 0 ? a_dates_debut_ : a_dates_fin_) = true;
  liste->Vider();
  char c = 0;
  // The list lies on its item line: reading stops at its line end and at the
  // end of the input, and a date cut short by either is not written.
  auto lire = [&] {
    if (source_->AtEnd()) return false;
    c = source_->NEXTCAR();
    return !source_->END_OF_LINE;
  };
  do {
    if (!lire()) return;
  } while (c == ' ');
  CHAINE jour, mois, annee, temps;
  // A time part longer than "hh:mm:ss" is written as read: keep just enough to judge it.
  constexpr size_t kTempsJuge = 9;
  char brut[kTempsJuge];
  for (;;) {
    jour.Vider();
    mois.Vider();
    annee.Vider();
    temps.Vider();
    char fin = 0;
    std::string_view s = source_->Suite();
    if (DateUsuelle(c, s)) {
      // Taken from the reader's buffer as the loops below would take it, and
      // written as EcrireDate would write it.
      const char date[] = {s[5], s[6],  s[7],  s[8],  s[2],  s[3],  c,     s[0],
                           'T',  s[10], s[11], s[13], s[14], s[16], s[17], '\n'};
      liste->Ajouter(std::string_view(date, sizeof date));
      source_->Prendre(kFormeUsuelle.size());
      c = source_->NEXTCAR();
      fin = source_->END_OF_LINE ? '\n' : c;
      if (fin == ',') RDV_RECURRENT = true;
    } else {
      do {
        jour.Ajouter(c);
        if (!lire()) return;
      } while (c != '/');
      if (!lire()) return;
      do {
        mois.Ajouter(c);
        if (!lire()) return;
      } while (c != '/');
      if (!lire()) return;
      do {
        annee.Ajouter(c);
        if (!lire()) return;
      } while (c != ' ');
      if (!lire()) return;
      // The time part: its first character whatever it is, then up to a comma,
      // a blank, the line end or the end of the input.
      size_t n_brut = 0;
      for (;;) {
        if (n_brut < kTempsJuge) brut[n_brut++] = c;
        if (c != ':') temps.Ajouter(c);
        if (source_->AtEnd()) break;
        c = source_->NEXTCAR();
        if (source_->END_OF_LINE) {
          fin = '\n';
          break;
        }
        if (c == ',' || c == ' ') {
          fin = c;
          break;
        }
      }
      if (fin == ',') RDV_RECURRENT = true;
      std::string_view temps_brut(brut, n_brut);
      if (n_brut == kTempsJuge) temps_brut = {};  // too long for "hh:mm:ss"
      EcrireDate(jour, mois, annee, temps_brut, temps, liste);
    }
    if (fin != ',' && fin != ' ') return;
    do {
      if (!lire()) return;
    } while (c == ' ');
  }
}

void Conversion::CHERCHER_RECURRENCE() {
  char c = 0;
  if (!source_->END_OF_LINE) {
    for (;;) {
      // Up to a comma, a line end or code 26 at once.
      std::string_view suite = source_->Suite();
      size_t n = SansAucun<',', '\r', '\n', kFinEntree>(suite);
      if (n > 0) {
        c = suite[n - 1];
        source_->Prendre(n);
        continue;
      }
      if (source_->AtEnd()) break;
      c = source_->NEXTCAR();
      if (c == ',' || source_->END_OF_LINE) break;
    }
  }
  if (c == ',' && !source_->END_OF_LINE) RDV_RECURRENT = true;
  SAUTER_LIGNE();
}

}  // namespace vellumcast
