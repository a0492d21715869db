#include "vellumcast.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "balayage.h"

namespace vellumcast {

namespace {

constexpr std::array<std::string_view, 4> kEnTete = {
    "BEGIN:VCALENDAR",
    "PRODID:Vellumcast(C)",
    "VERSION:2.0",
    "METHOD:PUBLISH",
};

// The three time zones carry the same rules; events refer to the first.
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

// Two bytes per code: the UTF-8 form of each ISO 8859-1 byte.
struct TableUtf8 {
  char octets[256][2];
  unsigned char longueur[256];
  constexpr TableUtf8() : octets(), longueur() {
    for (int c = 0; c < 256; ++c) {
      if (c == 0) {
        octets[c][0] = ' ';
        longueur[c] = 1;
      } else if (c < 128) {
        octets[c][0] = static_cast<char>(c);
        longueur[c] = 1;
      } else {
        octets[c][0] = static_cast<char>(c < 192 ? 0xC2 : 0xC3);
        octets[c][1] = static_cast<char>(c < 192 ? c : c - 64);
        longueur[c] = 2;
      }
    }
  }
};
constexpr TableUtf8 kUtf8;

}  // namespace

std::string_view UTF8(unsigned char car) { return {kUtf8.octets[car], kUtf8.longueur[car]}; }

char* VersUtf8(std::string_view latin1, char* p) {
  // Bytes 1 to 127 are copied as they are, sixteen at a time; a copy of
  // sixteen may write up to sixteen bytes past the converted text.
  size_t i = 0;
  while (i < latin1.size()) {
    if (i + 16 <= latin1.size()) {
      size_t n = CopierAscii16(latin1.data() + i, p);
      p += n;
      i += n;
      if (n == 16) continue;
    }
    auto c = static_cast<unsigned char>(latin1[i++]);
    p[0] = kUtf8.octets[c][0];
    p[1] = kUtf8.octets[c][1];
    p += kUtf8.longueur[c];
  }
  return p;
}

void AjouterUtf8(std::string_view latin1, Tampon* tampon) {
  // Converted a piece at a time on the stack, so the buffer grows once per piece.
  constexpr size_t kPiece = 2048;
  char morceau[2 * kPiece + 16];
  while (!latin1.empty()) {
    std::string_view piece = latin1.substr(0, kPiece);
    char* fin = VersUtf8(piece, morceau);
    tampon->Ajouter(std::string_view(morceau, static_cast<size_t>(fin - morceau)));
    latin1.remove_prefix(piece.size());
  }
}

Conversion::Conversion(Source* source, Resultat* result, Trace* trace, Repertoire* repertoire,
                       Erreurs* erreurs, Options options)
    : source_(source),
      result_(result),
      trace_(trace),
      repertoire_(repertoire),
      erreurs_(erreurs),
      options_(options),
      rdv_(erreurs, options.limite_memoire),
      dates_debut_(erreurs, options.limite_memoire),
      dates_fin_(erreurs, options.limite_memoire) {
  INIT();
}

void Conversion::INIT() {
  trace_->TRACE = true;
  ICAL = false;
  FIN_DE_RDV = false;
  CAR_DEJA_LU = kEsc;
  NO_UID = 0;
}

void Conversion::Prologue() {
  for (std::string_view ligne : kEnTete) result_->PUTLN(ligne);
  for (std::string_view tzid : kFuseaux) {
    result_->PUTLN("BEGIN:VTIMEZONE");
    result_->PUTLN(tzid);
    for (std::string_view ligne : kReglesFuseau) result_->PUTLN(ligne);
    result_->PUTLN("END:VTIMEZONE");
  }
}

void Conversion::Convertir() {
  Prologue();
  Documents();
  EffacerBrouillons();
  FinCalendrier();
}

void Conversion::NouveauDocument() {
  RDV_RECURRENT = false;
  rdv_.Vider();
  dates_debut_.Vider();
  dates_fin_.Vider();
  a_dates_debut_ = a_dates_fin_ = a_uid_ = false;
  RDV_PRESQUE_FINI = false;
}

void Conversion::Documents() {
  // The first document is begun without looking for the end of the input.
  do {
    NouveauDocument();
    for (;;) {
      LIRE_DEBUT_LIGNE(&LIGNE, ':');
      if (!LIGNE.empty() && LIGNE[0] == kSautPage) {
        FinParSautDePage();
      } else {
        TRAITER_LIGNE(LIGNE);
      }
      if (FIN_DE_RDV || Echec() || source_->AtEnd()) break;
    }
    FIN_DE_RDV = false;
    Emettre();
    // Blanks and line ends between documents; the first other character
    // begins the next document's first item name.
    do {
      CAR = source_->NEXTCAR();
      CAR_DEJA_LU = CAR;
    } while (CAR == ' ' && !source_->AtEnd());
  } while (!Echec() && !source_->AtEnd());
}

void Conversion::FinParSautDePage() {
  SAUTER_LIGNE();
  FIN_DE_RDV = true;
  trace_->REPORT("saut de page");
}

void Conversion::EffacerBrouillons() {
  for (const char* nom : {kNomDonnees, kNomDatesDebut, kNomDatesFin, kNomRdv}) {
    if (Echec()) return;
    erreurs_->Signaler(repertoire_->Effacer(nom));
  }
}

void Conversion::FinCalendrier() { result_->PUTLN("END:VCALENDAR"); }

void Conversion::Emettre() {
  // Only a recurring document's own identifier is looked up and registered.
  RDV_DEJA_TROUVE = RDV_RECURRENT && a_uid_ && UID_DEJA_RENCONTRE();
  if (RDV_DEJA_TROUVE) {
    CHAINE trace("RDV recurrent :");
    trace.Ajouter(CH_UID);
    trace_->REPORT(trace);
    return;
  }
  // A document gives events for its own start dates only.
  if (!a_dates_debut_) return;
  dates_debut_.Rembobiner();
  dates_fin_.Rembobiner();
  while (!Echec() && NEXT_START_DATE(&START_DATE)) {
    bool a_fin = a_dates_fin_ && NEXT_END_DATE(&END_DATE);
    Statut debordement;
    int32_t annee = STR2INT(START_DATE.vue().substr(0, 4), &debordement);
    if (annee >= options_.annee_limite) continue;
    ECRIRE_DEBUT_RDV();
    ECRIRE_NEW_RDV();
    CHAINE ligne("DTSTAMP:");
    ligne.Ajouter(START_DATE);
    ligne.Ajouter("Z");
    result_->PUTLN(ligne);
    ligne = CHAINE("DTSTART;TZID=France:");
    ligne.Ajouter(START_DATE);
    result_->PUTLN(ligne);
    // An end date the document does not give leaves the event without DTEND.
    if (a_fin) {
      ligne = CHAINE("DTEND;TZID=France:");
      ligne.Ajouter(END_DATE);
      result_->PUTLN(ligne);
    }
    ECRIRE_FIN_RDV();
  }
}

void Conversion::ECRIRE_DEBUT_RDV() {
  result_->PUTLN("BEGIN:VEVENT");
  if (NO_UID == std::numeric_limits<int32_t>::max()) {
    erreurs_->Signaler(Statut::Erreur(kDebordement));
    return;
  }
  ++NO_UID;
  // Never cut: every block keeps its own number whatever the identifier's length.
  std::string uid = "UID:";
  uid += CH_UID.vue();
  uid += '-';
  uid += INT2STR(NO_UID).vue();
  result_->PUTLN(uid);
  trace_->REPORT(uid);
  result_->PUTLN("CREATED:20091101T100000Z");
}

void Conversion::ECRIRE_NEW_RDV() {
  // The buffer already holds UTF-8: each block receives the same copy.
  if (!Echec()) rdv_.CopierVers(result_->ecrivain());
}

void Conversion::ECRIRE_FIN_RDV() {
  result_->PUTLN("STATUS:CONFIRMED");
  result_->PUTLN("CATEGORIES:MEETING");
  result_->PUTLN("TRANSP:OPAQUE");
  result_->PUTLN("END:VEVENT");
}

}  // namespace vellumcast
