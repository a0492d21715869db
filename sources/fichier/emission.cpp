// What a finished document gives the result: nothing but a trace line for a
// recurring document met before, else one event block per start date before
// the year limit, written by the event writer.
#include <limits>
#include <string>

#include "utf8.h"
#include "vellumcast.h"

namespace vellumcast {

namespace {

// Writes the line `octets`, bytes as read, to the result in UTF-8 as the texts
// are, through `conversion`, and its line end: identifiers and dates are the
// input's bytes too, and what they write counts for the summary as the
// texts' bytes do.
void PutlnUtf8(Resultat* result, EnUtf8 conversion, std::string_view octets) {
  // A "UID:" line, the longest, holds an identifier of 255 bytes and a number.
  constexpr size_t kMorceau = 2 * LONG_MAX_CHAINE;
  char utf8[EnUtf8::Place(kMorceau)];
  for (;;) {
    std::string_view morceau = octets.substr(0, kMorceau);
    octets.remove_prefix(morceau.size());
    char* fin = conversion.Convertir(morceau, utf8);
    if (octets.empty()) {
      result->PUTLN(std::string_view(utf8, static_cast<size_t>(conversion.Finir(fin) - utf8)));
      return;
    }
    result->PUT(std::string_view(utf8, static_cast<size_t>(fin - utf8)));
  }
}

}  // namespace

void Conversion::Emettre() {
  Etat& e = etat_;
  // Only a recurring document's own identifier is looked up and registered.
  e.RDV_DEJA_TROUVE = e.RDV_RECURRENT && e.a_uid && UID_DEJA_RENCONTRE();
  if (e.RDV_DEJA_TROUVE) {
    bilan_.Repetition();
    CHAINE trace("RDV recurrent :");
    trace.Ajouter(e.CH_UID);
    trace_->REPORT(trace);
    return;
  }
  // A document gives events for its own start dates only.
  if (!e.a_dates_debut) {
    if (ligne_document_ != 0) bilan_.Noter(Perte::kSansDebut, ligne_document_);
    return;
  }
  dates_debut_.Rembobiner();
  dates_fin_.Rembobiner();
  bool une_date = false;
  while (!Echec() && NEXT_START_DATE(&e.START_DATE)) {
    une_date = true;
    bool a_fin = e.a_dates_fin && NEXT_END_DATE(&e.END_DATE);
    Statut debordement;
    int32_t annee = STR2INT(e.START_DATE.vue().substr(0, 4), &debordement);
    if (annee >= options_.annee_limite) {
      bilan_.Noter(Perte::kAnneeLimite, ligne_debuts_);
      continue;
    }
    EcrireBloc(a_fin);
  }
  if (!une_date) bilan_.Noter(Perte::kSansDebut, ligne_debuts_);
}

void Conversion::EcrireBloc(bool a_fin) {
  const Etat& e = etat_;
  bilan_.Evenement();
  NoterDate(e.START_DATE, ligne_debuts_);
  ECRIRE_DEBUT_RDV();
  ECRIRE_NEW_RDV();
  // Each line is cut to 255 bytes as read, then converted.
  CHAINE ligne("DTSTAMP:");
  ligne.Ajouter(e.START_DATE);
  ligne.Ajouter("Z");
  PutlnUtf8(result_, EnUtf8(options_.jeu, &bilan_, ligne_debuts_), ligne);
  ligne = CHAINE("DTSTART;TZID=France:");
  ligne.Ajouter(e.START_DATE);
  PutlnUtf8(result_, EnUtf8(options_.jeu, &bilan_, ligne_debuts_), ligne);
  // An end date the document does not give leaves the event without DTEND.
  if (a_fin) {
    NoterDate(e.END_DATE, ligne_fins_);
    ligne = CHAINE("DTEND;TZID=France:");
    ligne.Ajouter(e.END_DATE);
    PutlnUtf8(result_, EnUtf8(options_.jeu, &bilan_, ligne_fins_), ligne);
  }
  ECRIRE_FIN_RDV();
}

void Conversion::NoterDate(const CHAINE& date, uint64_t ligne) {
  bool mois_premier = false;
  if (DateCalendrier(date, &mois_premier)) return;
  bilan_.Noter(Perte::kDateInvalide, ligne);
  if (mois_premier) bilan_.MoisPremier();
}

void Conversion::ECRIRE_DEBUT_RDV() {
  result_->PUTLN("BEGIN:VEVENT");
  if (etat_.NO_UID == std::numeric_limits<int32_t>::max()) {
    erreurs_->Signaler(Statut::Erreur(kDebordement));
    return;
  }
  ++etat_.NO_UID;
  // Never cut: every block keeps its own number whatever the identifier's
  // length. The trace keeps the identifier's bytes as read.
  std::string uid = "UID:";
  uid += etat_.CH_UID.vue();
  uid += '-';
  uid += INT2STR(etat_.NO_UID).vue();
  PutlnUtf8(result_, EnUtf8(options_.jeu, &bilan_, ligne_uid_), uid);
  trace_->REPORT(uid);
  result_->PUTLN("CREATED:20091101T100000Z");
}

void Conversion::ECRIRE_NEW_RDV() {
  // The buffer already holds UTF-8: each block receives the same copy.
  rdv_.Copier([this](std::string_view morceau) { result_->PUT(morceau); });
}

void Conversion::ECRIRE_FIN_RDV() {
  result_->PUTLN("STATUS:CONFIRMED");
  result_->PUTLN("CATEGORIES:MEETING");
  result_->PUTLN("TRANSP:OPAQUE");
  result_->PUTLN("END:VEVENT");
}

}  // namespace vellumcast
