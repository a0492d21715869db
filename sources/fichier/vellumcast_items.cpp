// Item lines, the dispatch table, the text items and the identifier item.
#include "vellumcast.h"

namespace vellumcast {

namespace {

constexpr int kLongueurMaxLigne = LONG_MAX_CHAINE - 1;
constexpr int kPli = 50;  // a value line folds at its 50th character

bool AEchapper(char c) { return c == '\\' || c == ',' || c == ';'; }

}  // namespace

void Conversion::LIRE_DEBUT_LIGNE(CHAINE* seq, char deca) {
  seq->Vider();
  // The kept-back character leads, untested.
  if (CAR_DEJA_LU != kEsc) seq->Ajouter(CAR_DEJA_LU);
  for (;;) {
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
  if (STARTSWITH(l, "Subject:")) {
    ECRIRE_LIGNE_RDV("SUMMARY:");
  } else if (STARTSWITH(l, "Location:")) {
    ECRIRE_LIGNE_RDV("LOCATION:");
  } else if (STARTSWITH(l, "$UpdatedBy:") || STARTSWITH(l, "$Revisions:")) {
    RDV_PRESQUE_FINI = true;
  } else if (l == " " && RDV_PRESQUE_FINI) {
    ECRIRE_DESCRIPTION();
  } else if (STARTSWITH(l, "$PublicAccess:")) {
    ECRIRE_ACCES();
  } else if (STARTSWITH(l, "CalendarDateTime:")) {
    CHERCHER_RECURRENCE();
  } else if (STARTSWITH(l, "STARTDATETIME:")) {
    RECUPERER_DATES(0);
  } else if (STARTSWITH(l, "EndDateTime:")) {
    RECUPERER_DATES(1);
  } else if (STARTSWITH(l, "ApptUNID:")) {
    RECUPERER_UID();
  } else if (STARTSWITH(l, "$ICAL_ORIG_STREAM:")) {
    RECUPERER_ICAL();
  }
  SAUTER_LIGNE();
}

void Conversion::PUT_RDV(std::string_view ch) {
  for (char c : ch) rdv_.Ajouter(UTF8(static_cast<unsigned char>(c)));
}

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
    c = source_->NEXTCAR();
  }
  rdv_.Ajouter('\n');
}

void Conversion::ECRIRE_DESCRIPTION() {
  PUT_RDV("DESCRIPTION:");
  while (!source_->AtEnd()) {
    char c = source_->NEXTCAR();
    if (source_->END_OF_LINE) {
      // The escaped line break, then a fold.
      rdv_.Ajouter("\\n\n ");
    } else if (c == kSautPage) {
      break;
    } else {
      if (AEchapper(c)) rdv_.Ajouter('\\');
      rdv_.Ajouter(UTF8(static_cast<unsigned char>(c)));
    }
  }
  rdv_.Ajouter('\n');
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
    while (!source_->AtEnd()) {
      CAR = source_->NEXTCAR();
      if (source_->END_OF_LINE) break;
      if (CAR != ' ') CH_UID.Ajouter(CAR);
    }
  }
  if (CH_UID.empty()) CH_UID = CHAINE("A");
}

}  // namespace vellumcast
