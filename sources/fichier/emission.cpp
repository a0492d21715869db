// What a finished document gives the result: nothing but a trace line for a
// recurring document met before, else one event block per start date before
// the year limit, written by the event writer.
#include <limits>
#include <optional>
#include <string>

#include "ecriture_dates.h"
#include "mots_de_zone.h"
#include "utf8.h"
#include "vellumcast.h"

namespace vellumcast {

namespace {

// Whether two zone words are the same, letters in any case.
bool MemeMot(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (TOLOWERCASE(a[i]) != TOLOWERCASE(b[i])) return false;
  }
  return true;
}

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
  DatesEvenement dates;
  if (!Dater(debut, fin, &dates)) {
    bilan_.DateInvalide(0, ligne_debuts_);
    return;
  }
  bilan_.Evenement(debut.annee);
  ECRIRE_DEBUT_RDV();
  ECRIRE_NEW_RDV();
  EcrireDates(dates);
  ECRIRE_FIN_RDV();
}

Placement Conversion::Situer(const Date& date, uint64_t ligne) {
  const HeureCivile h = date.Civile();
  const std::string_view mot = date.Zone();
  if (!mot.empty()) {
    // A word that states the offset gives the instant exactly.
    if (std::optional<int32_t> decalage = DecalageDuMot(mot)) {
      Placement p;
      p.utc = h.Secondes() - *decalage;
      return p;
    }
    // The zone's own abbreviation at that time confirms the time; any other
    // word is not applied.
    if (!MemeMot(mot, options_.fuseau.Abreviation(h))) bilan_.ZoneIgnoree(mot, ligne);
  }
  const Placement p = options_.fuseau.Placer(h);
  if (p.inexistante || p.double_) bilan_.Noter(Perte::kHeureAmbigue, ligne);
  return p;
}

bool Conversion::Dater(const Date& debut, const Date* fin, DatesEvenement* dates) {
  dates->estampille = debut.Civile();
  if (debut.genre == Genre::kJournee) {
    dates->forme = Forme::kJour;
    dates->debut = debut.Civile();
    // The end is exclusive in iCalendar: the day after the end date.
    if (fin != nullptr) dates->fin = Lendemain(fin->Civile());
    if (dates->fin && dates->fin->annee > 9999) dates->fin.reset();
    return true;
  }
  const Placement d = Situer(debut, ligne_debuts_);
  std::optional<Placement> f;
  std::optional<HeureCivile> fin_locale;
  if (fin != nullptr) {
    // An end given as a day ends at the next day's midnight.
    if (fin->genre == Genre::kJournee) {
      fin_locale = Lendemain(fin->Civile());
      f = options_.fuseau.Placer(*fin_locale);
    } else {
      fin_locale = fin->Civile();
      f = Situer(*fin, ligne_fins_);
    }
  }
  // Either date in UTC takes the other with it.
  if (d.locale && (!f || f->locale)) {
    dates->forme = Forme::kLocale;
    dates->debut = debut.Civile();
    dates->fin = fin_locale;
  } else {
    dates->forme = Forme::kUtc;
    dates->debut = HeureCivile::De(d.utc);
    if (f) dates->fin = HeureCivile::De(f->utc);
  }
  if (dates->fin && (dates->fin->annee < 0 || dates->fin->annee > 9999)) dates->fin.reset();
  return dates->debut.annee >= 0 && dates->debut.annee <= 9999;
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
