// What a finished document gives the result: nothing but a trace line for a
// recurring document met before, else one event block per start date before
// the year limit, written by the event writer.
#include <limits>
#include <optional>
#include <string>

#include "ecriture_dates.h"
#include "utf8.h"
#include "vellumcast.h"

namespace vellumcast {

namespace {

// The zone of the prologue that local date-times refer to.
constexpr std::string_view kTzid = "France";

// Writes the line `octets`, bytes as read, to the result in UTF-8 as the texts
// are, through `conversion`, and its line end: an identifier is the input's
// bytes too, and what it writes counts for the summary as the texts' bytes do.
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
    if (e.START_DATE.annee >= options_.annee_limite) {
      bilan_.Noter(Perte::kAnneeLimite, ligne_debuts_);
      continue;
    }
    // A date that is no calendar date is never written: its event goes
    // without it, and keeps the other dates paired as the lists give them.
    if (!e.START_DATE.calendrier) {
      bilan_.DateInvalide(e.START_DATE.ordres, ligne_debuts_);
      continue;
    }
    if (a_fin && !e.END_DATE.calendrier) {
      bilan_.DateInvalide(e.END_DATE.ordres, ligne_fins_);
      a_fin = false;
    }
    EcrireBloc(e.START_DATE, a_fin ? &e.END_DATE : nullptr);
  }
  if (!une_date) bilan_.Noter(Perte::kSansDebut, ligne_debuts_);
}

void Conversion::EcrireBloc(const Date& debut, const Date* fin) {
  bilan_.Evenement();
  ECRIRE_DEBUT_RDV();
  ECRIRE_NEW_RDV();
  EcrireDates(debut, fin);
  ECRIRE_FIN_RDV();
}

void Conversion::EcrireDates(const Date& debut, const Date* fin) {
  if (!debut.Zone().empty()) bilan_.ZoneIgnoree(debut.Zone(), ligne_debuts_);
  if (fin != nullptr && !fin->Zone().empty()) bilan_.ZoneIgnoree(fin->Zone(), ligne_fins_);
  const HeureCivile d = debut.Civile();
  const bool journee = debut.genre == Genre::kJournee;
  // The end is exclusive in iCalendar: an end given as a day, and every end
  // of an all-day event, is the next day's midnight.
  std::optional<HeureCivile> f;
  if (fin != nullptr) {
    const bool jour = journee || fin->genre == Genre::kJournee;
    const HeureCivile h = jour ? Lendemain(fin->Civile()) : fin->Civile();
    if (h.annee <= 9999) f = h;
  }
  const Forme forme = journee ? Forme::kJour : Forme::kLocale;
  EcrireLigneDate(result_, "DTSTAMP", Forme::kUtc, d);
  EcrireLigneDate(result_, "DTSTART", forme, d, kTzid);
  if (f) EcrireLigneDate(result_, "DTEND", forme, *f, kTzid);
  if (journee) {
    bilan_.Noter(Perte::kJournee, ligne_debuts_);
    // Without it, a widespread client shows the day as a timed block.
    result_->PUTLN("X-MICROSOFT-CDO-ALLDAYEVENT:TRUE");
  }
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
  RapportLigne rapport(&bilan_, ligne_uid_);
  PutlnUtf8(result_, EnUtf8(options_.jeu, &rapport), uid);
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
