// Item lines, the dispatch table, the text items and the identifier item.
#include <algorithm>
#include <cstring>

#include "balayage.h"
#include "vellumcast.h"

namespace vellumcast {

namespace {

constexpr int kLongueurMaxLigne = LONG_MAX_CHAINE - 1;
constexpr int kPli = 50;  // a value line folds at its 50th character

bool AEchapper(char c) { return c == '\\' || c == ',' || c == ';'; }

// The bytes a handler must look at one by one; any other byte is only
// converted, so a run of them can be taken from the reader at once.
// In a subject or location: line ends and escapes.
size_t ValeurOrdinaire(std::string_view d) { return SansAucun<'\r', '\n', '\\', ',', ';'>(d); }
// In a body: also the form feed and the end of the input.
size_t DescriptionOrdinaire(std::string_view d) {
  return SansAucun<'\r', '\n', '\\', ',', ';', kSautPage, kFinEntree>(d);
}

// Gathers what the body adds to the event buffer, so that the buffer grows
// once per few kilobytes instead of once per run of characters.
class Accumulateur {
 public:
  explicit Accumulateur(Tampon* tampon) : tampon_(tampon) {}
  Accumulateur(const Accumulateur&) = delete;
  Accumulateur& operator=(const Accumulateur&) = delete;
  ~Accumulateur() { Vider(); }

  void Ajouter(std::string_view s) {
    if (s.size() > sizeof octets_ - n_) Vider();
    if (s.size() > sizeof octets_) {
      tampon_->Ajouter(s);
      return;
    }
    std::memcpy(octets_ + n_, s.data(), s.size());
    n_ += s.size();
  }
  void AjouterUtf8(std::string_view latin1) {
    while (!latin1.empty()) {
      std::string_view piece = latin1.substr(0, kPiece);
      if (2 * piece.size() + 16 > sizeof octets_ - n_) Vider();
      n_ = static_cast<size_t>(VersUtf8(piece, octets_ + n_) - octets_);
      latin1.remove_prefix(piece.size());
    }
  }
  void Vider() {
    if (n_ > 0) tampon_->Ajouter(std::string_view(octets_, n_));
    n_ = 0;
  }

 private:
  static constexpr size_t kPiece = 1024;
  Tampon* tampon_;
  char octets_[4 * kPiece];
  size_t n_ = 0;
};

}  // namespace

void Conversion::LIRE_DEBUT_LIGNE(CHAINE* seq, char deca) {
  seq->Vider();
  // The kept-back character leads, untested.
  if (CAR_DEJA_LU != kEsc) seq->Ajouter(CAR_DEJA_LU);
  for (;;) {
    // Characters that end nothing are taken as a run.
    std::string_view suite = source_->Suite();
    size_t place = static_cast<size_t>(kLongueurMaxLigne - seq->size());
    size_t n = 0;
    if (deca == ':') {
      n = std::min(SansAucun<':', '\n', '\r'>(suite.substr(0, place)), place);
      if (n < place && n < suite.size() && suite[n] == ':') {
        // The colon that ends the name, taken with it.
        seq->Ajouter(suite.substr(0, n + 1));
        source_->Prendre(n + 1);
        break;
      }
    } else {
      while (n < suite.size() && n < place && suite[n] != deca && suite[n] != '\n' &&
             suite[n] != '\r') {
        ++n;
      }
    }
    if (n > 0) {
      seq->Ajouter(suite.substr(0, n));
      source_->Prendre(n);
      if (seq->size() == kLongueurMaxLigne) break;
      continue;
    }
    char c = source_->NEXTCAR();
    // Nothing is appended for a read that found the input exhausted.
    if (source_->Epuisee()) break;
    seq->Ajouter(c);
    if (c == deca || source_->END_OF_LINE || seq->size() == kLongueurMaxLigne) break;
  }
  // With a blank as terminator, the blank of a line end is not part of the text.
  if (source_->END_OF_LINE && LASTCHAR(*seq) == deca) seq->Retirer();
  if (seq->size() == kLongueurMaxLigne) {
    trace_->REPORT("ligne trop longue");
    trace_->REPORT(*seq);
  }
  CAR_DEJA_LU = kEsc;
}

void Conversion::TRAITER_LIGNE(const CHAINE& ligne) {
  std::string_view l = ligne;
  // Most lines are ignored items: their first character rules out all but
  // one or two names before any comparison.
  const char p = l.empty() ? '\0' : l[0];
  if (p == 'S' && STARTSWITH(l, "Subject:")) {
    ECRIRE_LIGNE_RDV("SUMMARY:");
  } else if (p == 'L' && STARTSWITH(l, "Location:")) {
    ECRIRE_LIGNE_RDV("LOCATION:");
  } else if (p == '$' && (STARTSWITH(l, "$UpdatedBy:") || STARTSWITH(l, "$Revisions:"))) {
    RDV_PRESQUE_FINI = true;
  } else if (l == " " && RDV_PRESQUE_FINI) {
    ECRIRE_DESCRIPTION();
  } else if (p == '$' && STARTSWITH(l, "$PublicAccess:")) {
    ECRIRE_ACCES();
  } else if (p == 'C' && STARTSWITH(l, "CalendarDateTime:")) {
    CHERCHER_RECURRENCE();
  } else if (p == 'S' && STARTSWITH(l, "STARTDATETIME:")) {
    RECUPERER_DATES(0);
  } else if (p == 'E' && STARTSWITH(l, "EndDateTime:")) {
    RECUPERER_DATES(1);
  } else if (p == 'A' && STARTSWITH(l, "ApptUNID:")) {
    RECUPERER_UID();
  } else if (p == '$' && STARTSWITH(l, "$ICAL_ORIG_STREAM:")) {
    RECUPERER_ICAL();
  }
  SAUTER_LIGNE();
}

void Conversion::PUT_RDV(std::string_view ch) { AjouterUtf8(ch, &rdv_); }

void Conversion::AjouterValeur(char c, int* compteur) {
  // An escaped character counts two and is never separated from its backslash.
  bool echappe = AEchapper(c);
  *compteur += echappe ? 2 : 1;
  if (*compteur >= kPli) {
    rdv_.Ajouter("\n ");
    *compteur = echappe ? 1 : 0;
  }
  if (echappe) rdv_.Ajouter('\\');
  rdv_.Ajouter(UTF8(static_cast<unsigned char>(c)));
}

void Conversion::ECRIRE_LIGNE_RDV(std::string_view mot_cle) {
  PUT_RDV(mot_cle);
  char c = ' ';
  if (!source_->END_OF_LINE) {
    do {
      c = source_->NEXTCAR();
    } while (c == ' ' && !source_->END_OF_LINE && !source_->Epuisee());
  }
  int compteur = static_cast<int>(mot_cle.size());
  while (!source_->END_OF_LINE && !source_->Epuisee()) {
    AjouterValeur(c, &compteur);
    CopierValeur(&compteur);
    c = source_->NEXTCAR();
  }
  rdv_.Ajouter('\n');
}

void Conversion::CopierValeur(int* compteur) {
  for (;;) {
    std::string_view suite = source_->Suite();
    size_t n = ValeurOrdinaire(suite);
    if (n == 0) return;
    // Each character counts one; the one that brings the counter to 50 goes
    // after the fold, uncounted, as in AjouterValeur.
    size_t pris = 0;
    while (pris < n) {
      if (*compteur >= kPli - 1) {
        rdv_.Ajouter("\n ");
        *compteur = 0;
        AjouterUtf8(suite.substr(pris, 1), &rdv_);
        ++pris;
        continue;
      }
      size_t t = std::min(n - pris, static_cast<size_t>(kPli - 1 - *compteur));
      AjouterUtf8(suite.substr(pris, t), &rdv_);
      *compteur += static_cast<int>(t);
      pris += t;
    }
    source_->Prendre(n);
  }
}

void Conversion::ECRIRE_DESCRIPTION() {
  Accumulateur rdv(&rdv_);
  rdv.Ajouter("DESCRIPTION:");
  for (;;) {
    // A run of bytes that are neither line ends, escapes, form feeds nor
    // code 26 goes in at once.
    std::string_view suite = source_->Suite();
    size_t n = DescriptionOrdinaire(suite);
    if (n > 0) {
      rdv.AjouterUtf8(suite.substr(0, n));
      source_->Prendre(n);
      continue;
    }
    if (source_->AtEnd()) break;
    char c = source_->NEXTCAR();
    if (source_->END_OF_LINE) {
      // The escaped line break, then a fold.
      rdv.Ajouter("\\n\n ");
    } else if (c == kSautPage) {
      break;
    } else {
      if (AEchapper(c)) rdv.Ajouter("\\");
      rdv.Ajouter(UTF8(static_cast<unsigned char>(c)));
    }
  }
  rdv.Ajouter("\n");
  // Everything in the event buffer before the trace, as written one by one.
  rdv.Vider();
  FIN_DE_RDV = true;
  trace_->REPORT("saut de page");
}

void Conversion::ECRIRE_ACCES() {
  char c;
  do {
    c = source_->NEXTCAR();
  } while (c == ' ' && !source_->END_OF_LINE && !source_->Epuisee());
  PUT_RDV(c == '1' ? "CLASS:PUBLIC\n" : "CLASS:PRIVATE\n");
  SAUTER_LIGNE();
}

void Conversion::RECUPERER_UID() {
  a_uid_ = true;
  CH_UID.Vider();
  if (!source_->END_OF_LINE) {
    for (;;) {
      // A run without blank, line end or code 26 goes in at once.
      std::string_view suite = source_->Suite();
      size_t n = SansAucun<' ', '\r', '\n', kFinEntree>(suite);
      if (n > 0) {
        CH_UID.Ajouter(suite.substr(0, n));
        CAR = suite[n - 1];
        source_->Prendre(n);
        continue;
      }
      if (source_->AtEnd()) break;
      CAR = source_->NEXTCAR();
      if (source_->END_OF_LINE) break;
      if (CAR != ' ') CH_UID.Ajouter(CAR);
    }
  }
  if (CH_UID.empty()) CH_UID = CHAINE("A");
}

}  // namespace vellumcast
