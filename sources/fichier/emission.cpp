// What a finished document gives the result: nothing but a trace line for a
// recurring document met before, else one event block per start date before
// the year limit, or one block for the series its dates form; and the event
// writer.
#include <limits>
#include <optional>
#include <string>

#include "ecriture_dates.h"
#include "serie.h"
#include "utf8.h"
#include "vellumcast.h"

namespace vellumcast {

namespace {

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
  if (options_.series && EcrireSerie()) return;
  if (!Paires(Passe::kEcrire)) bilan_.Noter(Perte::kSansDebut, ligne_debuts_);
}

bool Conversion::Paires(Passe passe) {
  Etat& e = etat_;
  dates_debut_.Rembobiner();
  dates_fin_.Rembobiner();
  // Gathering the dates of a series tells nothing: the pass that follows does.
  muet_ = passe == Passe::kRecueillir;
  bool une_date = false;
  while (!Echec() && NEXT_START_DATE(&e.START_DATE)) {
    une_date = true;
    const bool a_fin = e.a_dates_fin && NEXT_END_DATE(&e.END_DATE);
    DatesEvenement dates;
    if (!DatesDePaire(a_fin, &dates)) continue;
    if (passe == Passe::kEcrire) EcrireBloc(e.START_DATE, dates);
    if (passe == Passe::kRecueillir) Recueillir(e.START_DATE, dates);
  }
  muet_ = false;
  return une_date;
}

bool Conversion::DatesDePaire(bool a_fin, DatesEvenement* dates) {
  Etat& e = etat_;
  if (e.START_DATE.annee >= options_.annee_limite) {
    if (!muet_) bilan_.Noter(Perte::kApresLimite, ligne_debuts_);
    return false;
  }
  // A date that is no calendar date is never written: its event goes
  // without it, and keeps the other dates paired as the lists give them.
  if (!e.START_DATE.calendrier) {
    if (!muet_) bilan_.DateInvalide(e.START_DATE.ordres, ligne_debuts_);
    return false;
  }
  if (a_fin && !e.END_DATE.calendrier) {
    if (!muet_) bilan_.DateInvalide(e.END_DATE.ordres, ligne_fins_);
    a_fin = false;
  }
  if (!Dater(e.START_DATE, a_fin ? &e.END_DATE : nullptr, dates)) {
    if (!muet_) bilan_.DateInvalide(0, ligne_debuts_);
    return false;
  }
  return true;
}

void Conversion::Recueillir(const Date& debut, const DatesEvenement& dates) {
  if (serie_.occurrences.size() > static_cast<size_t>(kOccurrencesMax)) return;
  if (serie_.occurrences.empty()) {
    serie_.debut = debut;
    serie_.dates = dates;
  }
  // Only local times of the zone, or days, repeat by a rule.
  serie_.possible =
      serie_.possible && dates.forme != Forme::kUtc && dates.forme == serie_.dates.forme;
  serie_.occurrences.push_back(
      {dates.debut, dates.fin.has_value(), dates.fin.value_or(dates.debut)});
}

bool Conversion::EcrireSerie() {
  serie_.occurrences.clear();
  serie_.possible = true;
  Paires(Passe::kRecueillir);
  if (!serie_.possible || Echec()) return false;
  const std::optional<Regle> regle =
      TrouverSerie(serie_.occurrences, serie_.dates.forme == Forme::kJour);
  if (!regle) return false;
  // The notes each date calls for, once, without writing its event.
  Paires(Passe::kNoter);
  PlaceDansLaPartie();
  bilan_.Evenement(serie_.debut.annee);
  bilan_.Serie(regle->nombre, ligne_debuts_);
  ECRIRE_DEBUT_RDV(serie_.debut, true);
  ECRIRE_NEW_RDV();
  EcrireDates(serie_.dates);
  result_->PUTLN("RRULE:" + TexteRegle(*regle));
  ECRIRE_FIN_RDV();
  return true;
}

void Conversion::PlaceDansLaPartie() {
  if (parties_ == nullptr) return;
  if (parties_->Pleine()) {
    FinCalendrier();
    if (!parties_->Suivante()) return;
    Prologue();
  }
  parties_->Compter();
}

void Conversion::EcrireBloc(const Date& debut, const DatesEvenement& dates) {
  PlaceDansLaPartie();
  bilan_.Evenement(debut.annee);
  ECRIRE_DEBUT_RDV(debut, false);
  ECRIRE_NEW_RDV();
  EcrireDates(dates);
  ECRIRE_FIN_RDV();
}

void Conversion::EcrireDates(const DatesEvenement& dates) {
  const std::string_view tzid = options_.fuseau.tzid();
  EcrireLigneDate(result_, "DTSTAMP", Forme::kUtc, dates.estampille);
  EcrireLigneDate(result_, "DTSTART", dates.forme, dates.debut, tzid);
  if (dates.fin) EcrireLigneDate(result_, "DTEND", dates.forme, *dates.fin, tzid);
  if (dates.forme == Forme::kJour) {
    bilan_.Noter(Perte::kJournee, ligne_debuts_);
    // Without it, a widespread client shows the day as a timed block.
    result_->PUTLN("X-MICROSOFT-CDO-ALLDAYEVENT:TRUE");
  }
}

std::string_view Conversion::Uid(const Date& debut, bool serie) {
  const Etat& e = etat_;
  // Never cut: every block keeps its own number or start whatever the
  // identifier's length. The trace keeps the identifier's bytes as read.
  // One buffer for every event: its room is kept from one to the next.
  std::string& uid = uid_;
  uid.assign("UID:");
  if (!options_.uids_stables) {
    uid += e.CH_UID.vue();
    uid += '-';
    uid += INT2STR(e.NO_UID).vue();
    return uid;
  }
  if (e.a_uid) {
    uid += e.CH_UID.vue();
  } else {
    uid += signature_.Texte();
    if (!signature_notee_) bilan_.Noter(Perte::kSansIdentifiant, ligne_document_);
    signature_notee_ = true;
  }
  // A series is its document; an event, its document's start as read.
  if (!serie) {
    uid += '-';
    uid += ChiffresDate(debut.Civile(), debut.genre == Genre::kJournee);
  }
  if (const uint32_t avant = uids_.Compter(std::string_view(uid).substr(4)); avant > 0) {
    uid += '-';
    uid += std::to_string(avant + 1);
    bilan_.Noter(Perte::kUidPartage, ligne_debuts_);
  }
  return uid;
}

void Conversion::ECRIRE_DEBUT_RDV(const Date& debut, bool serie) {
  result_->PUTLN("BEGIN:VEVENT");
  if (etat_.NO_UID == std::numeric_limits<int32_t>::max()) {
    erreurs_->Signaler(Statut::Erreur(kDebordement));
    return;
  }
  ++etat_.NO_UID;
  const std::string_view uid = Uid(debut, serie);
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
