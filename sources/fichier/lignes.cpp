// Item lines: the item name up to its colon, and the table that hands each
// item to its handler.
#include <algorithm>
#include <array>
#include <cstdint>

#include "vellumcast.h"

namespace vellumcast {

// One row of the dispatch: the item names it answers to, their colon
// included, and what it does with the rest of the line.
struct Rangee {
  std::string_view nom;
  std::string_view autre_nom;  // empty when the item has one name
  void (*action)(Conversion&);
};

namespace {

constexpr int kLongueurMaxLigne = LONG_MAX_CHAINE - 1;
constexpr std::string_view kLigneVide = " ";

// Whether `ligne` begins with the item name `nom`. Every name ends with its
// colon: that byte is compared first, as it tells most other names apart.
bool Commence(std::string_view ligne, std::string_view nom) {
  return !nom.empty() && ligne.size() >= nom.size() && ligne[nom.size() - 1] == ':' &&
         STARTSWITH(ligne, nom);
}

}  // namespace

// The rows in the order they are tried; the first whose name begins the line
// is carried out. The empty line is the one row tested for equality, and only
// once "$UpdatedBy:" or "$Revisions:" has announced the body.
const Rangee* Conversion::Reconnaitre(std::string_view ligne) const {
  static constexpr Rangee kRangees[] = {
      {"Subject:", "", [](Conversion& c) { c.ECRIRE_LIGNE_RDV("SUMMARY:"); }},
      {"Location:", "", [](Conversion& c) { c.ECRIRE_LIGNE_RDV("LOCATION:"); }},
      {"$UpdatedBy:", "$Revisions:", [](Conversion& c) { c.etat_.RDV_PRESQUE_FINI = true; }},
      {kLigneVide, "", [](Conversion& c) { c.ECRIRE_DESCRIPTION(); }},
      {"$PublicAccess:", "", [](Conversion& c) { c.ECRIRE_ACCES(); }},
      {"CalendarDateTime:", "", [](Conversion& c) { c.CHERCHER_RECURRENCE(); }},
      {"STARTDATETIME:", "", [](Conversion& c) { c.RECUPERER_DATES(Liste::kDebuts); }},
      {"EndDateTime:", "", [](Conversion& c) { c.RECUPERER_DATES(Liste::kFins); }},
      {"ApptUNID:", "", [](Conversion& c) { c.RECUPERER_UID(); }},
      {"$ICAL_ORIG_STREAM:", "", [](Conversion& c) { c.RECUPERER_ICAL(); }},
  };
  static_assert(std::size(kRangees) == 10);
  // For each first byte of a line, the rows whose names begin with it: most
  // lines are items no row takes, and their first byte rules out every row.
  static constexpr auto kIndex = [] {
    std::array<uint16_t, 256> index{};
    for (size_t r = 0; r < std::size(kRangees); ++r) {
      for (std::string_view nom : {kRangees[r].nom, kRangees[r].autre_nom}) {
        if (!nom.empty()) index[static_cast<unsigned char>(nom[0])] |= 1u << r;
      }
    }
    return index;
  }();

  if (ligne.empty()) return nullptr;
  for (unsigned r = kIndex[static_cast<unsigned char>(ligne[0])]; r != 0; r &= r - 1) {
    const Rangee& rangee = kRangees[static_cast<size_t>(__builtin_ctz(r))];
    if (rangee.nom == kLigneVide) {
      if (etat_.RDV_PRESQUE_FINI && ligne == kLigneVide) return &rangee;
    } else if (Commence(ligne, rangee.nom) || Commence(ligne, rangee.autre_nom)) {
      return &rangee;
    }
  }
  return nullptr;
}

void Conversion::LIRE_DEBUT_LIGNE(CHAINE* seq, char deca) {
  // The two terminators the system uses, each with a scan of its own.
  if (deca == ':') {
    LireDebutLigne<':'>(seq);
  } else {
    LireDebutLigne<' '>(seq);
  }
}

template <char kDeca>
void Conversion::LireDebutLigne(CHAINE* seq) {
  seq->Vider();
  // The kept-back character leads, untested.
  if (etat_.CAR_DEJA_LU != kEsc) seq->Ajouter(etat_.CAR_DEJA_LU);
  int arret = source_->Jusqua<kDeca, '\n'>([seq](std::string_view suite) {
    size_t n = std::min(suite.size(), static_cast<size_t>(kLongueurMaxLigne - seq->size()));
    seq->Ajouter(suite.substr(0, n));
    return n;
  });
  // The terminator, or the blank of the line end, is taken with the name
  // unless the name is already at its limit.
  if ((arret == kDeca || arret == '\n') && seq->size() < kLongueurMaxLigne) {
    seq->Ajouter(source_->NEXTCAR());
  }
  // With a blank as terminator, the blank of a line end is not part of the text.
  if (source_->END_OF_LINE && LASTCHAR(*seq) == kDeca) seq->Retirer();
  if (seq->size() == kLongueurMaxLigne) {
    trace_->REPORT("ligne trop longue");
    trace_->REPORT(*seq);
  }
  etat_.CAR_DEJA_LU = kEsc;
}

void Conversion::TRAITER_LIGNE(const CHAINE& ligne) {
  if (const Rangee* rangee = Reconnaitre(ligne)) rangee->action(*this);
  SAUTER_LIGNE();
}

}  // namespace vellumcast
