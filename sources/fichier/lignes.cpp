// Item lines: the item name up to its colon, and the table that hands each
// item to its handler.
#include <algorithm>
#include <array>
#include <cstdint>

#include "vellumcast.h"

namespace vellumcast {

namespace {

constexpr int kLongueurMaxLigne = LONG_MAX_CHAINE - 1;

// What an item line hands its value to.
enum class Item {
  kAucun,
  kSujet,
  kLieu,
  kCorpsProche,
  kDescription,
  kAcces,
  kRecurrence,
  kDebuts,
  kFins,
  kUid,
  kIcal,
};

// One row of the dispatch: the item names it answers to, their colon included.
struct Rangee {
  std::string_view nom;
  std::string_view autre_nom;  // empty when the item has one name
  Item item;
};

// The rows in the order they are tried; the first whose name begins the line
// is carried out. The empty line is the one row tested for equality, and only
// once "$UpdatedBy:" or "$Revisions:" has announced the body.
constexpr std::string_view kLigneVide = " ";
constexpr std::array<Rangee, 10> kRangees = {{
    {"Subject:", "", Item::kSujet},
    {"Location:", "", Item::kLieu},
    {"$UpdatedBy:", "$Revisions:", Item::kCorpsProche},
    {kLigneVide, "", Item::kDescription},
    {"$PublicAccess:", "", Item::kAcces},
    {"CalendarDateTime:", "", Item::kRecurrence},
    {"STARTDATETIME:", "", Item::kDebuts},
    {"EndDateTime:", "", Item::kFins},
    {"ApptUNID:", "", Item::kUid},
    {"$ICAL_ORIG_STREAM:", "", Item::kIcal},
}};

// For each first byte of a line, the rows whose names begin with it: most
// lines are items no row takes, and their first byte rules out every row.
struct Index {
  std::array<uint16_t, 256> rangees{};
  constexpr Index() {
    for (size_t r = 0; r < kRangees.size(); ++r) {
      for (std::string_view nom : {kRangees[r].nom, kRangees[r].autre_nom}) {
        if (!nom.empty()) rangees[static_cast<unsigned char>(nom[0])] |= 1u << r;
      }
    }
  }
};
constexpr Index kIndex;

// The item of the first row that takes `ligne`.
Item Reconnaitre(std::string_view ligne, bool corps_proche) {
  if (ligne.empty()) return Item::kAucun;
  for (unsigned r = kIndex.rangees[static_cast<unsigned char>(ligne[0])]; r != 0; r &= r - 1) {
    const Rangee& rangee = kRangees[static_cast<size_t>(__builtin_ctz(r))];
    if (rangee.item == Item::kDescription) {
      if (corps_proche && ligne == kLigneVide) return rangee.item;
      continue;
    }
    if (STARTSWITH(ligne, rangee.nom) ||
        (!rangee.autre_nom.empty() && STARTSWITH(ligne, rangee.autre_nom))) {
      return rangee.item;
    }
  }
  return Item::kAucun;
}

}  // namespace

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
  switch (Reconnaitre(ligne, etat_.RDV_PRESQUE_FINI)) {
    case Item::kSujet:
      ECRIRE_LIGNE_RDV("SUMMARY:");
      break;
    case Item::kLieu:
      ECRIRE_LIGNE_RDV("LOCATION:");
      break;
    case Item::kCorpsProche:
      etat_.RDV_PRESQUE_FINI = true;
      break;
    case Item::kDescription:
      ECRIRE_DESCRIPTION();
      break;
    case Item::kAcces:
      ECRIRE_ACCES();
      break;
    case Item::kRecurrence:
      CHERCHER_RECURRENCE();
      break;
    case Item::kDebuts:
      RECUPERER_DATES(0);
      break;
    case Item::kFins:
      RECUPERER_DATES(1);
      break;
    case Item::kUid:
      RECUPERER_UID();
      break;
    case Item::kIcal:
      RECUPERER_ICAL();
      break;
    case Item::kAucun:
      break;
  }
  SAUTER_LIGNE();
}

}  // namespace vellumcast
