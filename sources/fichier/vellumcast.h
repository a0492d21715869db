// The conversion of an export into an iCalendar file: the conversion state
// and the handlers that read the export into it and write the result.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bilan.h"
#include "chaines.h"
#include "date.h"
#include "ecriture_dates.h"
#include "fuseau.h"
#include "parties.h"
#include "registre.h"
#include "reglages.h"
#include "repertoire.h"
#include "serie.h"
#include "source_resultat.h"
#include "statut.h"
#include "tampon.h"
#include "trace.h"
#include "uids.h"
#include "utf8.h"

namespace vellumcast {

struct Rangee;

constexpr char kEsc = 27;       // CAR_DEJA_LU when no character is kept back
constexpr char kSautPage = 12;  // the form feed that ends a document

// The conversion state: what the handlers read and write as the input goes
// by. The line-end flag END_OF_LINE belongs to the reader (Source).
struct Etat {
  // The current item name, colon included; an empty line gives a single blank.
  CHAINE LIGNE;
  // The character kept back for the next item name; ESC when there is none.
  char CAR_DEJA_LU = kEsc;
  // The last character taken by the skip between documents and by the identifier reader.
  char CAR = 0;
  // "$UpdatedBy:" or "$Revisions:" was met: an empty line now starts the body.
  bool RDV_PRESQUE_FINI = false;
  // The body has ended: the document is complete.
  bool FIN_DE_RDV = false;
  // The document showed more than one date.
  bool RDV_RECURRENT = false;
  // The recurring document's identifier was already registered.
  bool RDV_DEJA_TROUVE = false;
  // Would have the emission copy the captured event instead of writing event
  // blocks; no step sets it, so every document takes the date route.
  bool ICAL = false;
  // The document identifier; kept from one document to the next.
  CHAINE CH_UID;
  // The run-wide event number written in the "UID:" lines.
  int32_t NO_UID = 0;
  // The date pair of the event block being written.
  Date START_DATE;
  Date END_DATE;
  // What the document itself gave, so that none of it is taken from the
  // document before: its start dates, its end dates, its identifier.
  bool a_dates_debut = false;
  bool a_dates_fin = false;
  bool a_uid = false;
};

// What the bytes of an item report where they are written, long after they
// were read: each loss goes to the summary with the item's input line.
class RapportLigne : public Rapporteur {
 public:
  RapportLigne(BilanConversion* bilan, uint64_t ligne) : bilan_(bilan), ligne_(ligne) {}
  void Signaler(Perte perte) override { bilan_->Noter(perte, ligne_); }
  void PasUtf8() override { bilan_->PasUtf8(); }

 private:
  BilanConversion* bilan_;
  uint64_t ligne_;
};

// What the readers report, as the conversion hears it: each loss goes to
// the summary with the input line being read.
class RapportLecture : public Rapporteur {
 public:
  RapportLecture(BilanConversion* bilan, const Source* source) : bilan_(bilan), source_(source) {}
  void Signaler(Perte perte) override { bilan_->Noter(perte, source_->Ligne()); }
  void PasUtf8() override { bilan_->PasUtf8(); }

 private:
  BilanConversion* bilan_;
  const Source* source_;
};

// The conversion of one input, step by step (Passage runs the steps in their
// order). Holds the whole conversion state, so that many runs can share a
// process.
class Conversion {
 public:
  Conversion(Source* source, Resultat* result, Trace* trace, Repertoire* repertoire,
             Erreurs* erreurs, const Options& options = {});

  // The 49-line calendar prologue.
  void Prologue();
  // Every document, from the first to the end of the input.
  void Documents();
  // Writes the last embedded event captured into "~ical.tmp", once: at the end
  // of the run, or at a run-time error stop, so that the file then holds the
  // capture that the stop interrupted or the last one completed.
  void EcrireCapture();
  // Erases the scratch names an earlier run may have left beside the input.
  void EffacerBrouillons();
  // The closing "END:VCALENDAR" line.
  void FinCalendrier();
  // What the run wrote and left out, for its summary.
  const BilanConversion& bilan() const { return bilan_; }
  const Options& options() const { return options_; }
  // The result's parts, which the run goes on to when one is full; without
  // them, or without a size of part, one file.
  void EnParties(Parties* parties) { parties_ = parties; }

 private:
  friend class SondeConversion;  // the tests' view of the handlers

  // The start values of a run; tracing on.
  void INIT();
  void NouveauDocument();
  // Ends the document at a form feed that begins an item line or a piece.
  void FinParSautDePage();
  bool Echec() const { return erreurs_->echec(); }

  // Item lines and the dispatch table (lignes.cpp).
  void LIRE_DEBUT_LIGNE(CHAINE* seq, char deca);
  template <char kDeca>
  void LireDebutLigne(CHAINE* seq);
  void SAUTER_LIGNE() { source_->SauterLigne(); }
  void TRAITER_LIGNE(const CHAINE& ligne);
  // The row of the dispatch table that takes `ligne`, or null.
  const Rangee* Reconnaitre(std::string_view ligne) const;

  // Text items, kept in the event buffer in UTF-8 as the result receives them (textes.cpp).
  void PUT_RDV(std::string_view ch);
  void ECRIRE_LIGNE_RDV(std::string_view mot_cle);
  void ECRIRE_DESCRIPTION();
  void ECRIRE_ACCES();

  // Date items and recurrence (dates.cpp).
  void RECUPERER_DATES(Liste liste);
  void CHERCHER_RECURRENCE();
  bool NEXT_START_DATE(Date* date) { return dates_debut_.Suivant(date); }
  bool NEXT_END_DATE(Date* date) { return dates_fin_.Suivant(date); }

  // Identifiers (identifiants.cpp).
  void RECUPERER_UID();
  bool UID_DEJA_RENCONTRE() { return registre_.DejaRencontre(etat_.CH_UID); }

  // The capture of an embedded calendar's first event (capture.cpp).
  void RECUPERER_ICAL();
  void ECRIRE_FIN_LIGNE();
  // How a loop over the pieces of the capture ended.
  enum class Arret { kMarque, kEntreeEpuisee, kDocumentFini };
  // Reads pieces until `marque` holds for one, the input ends or a piece
  // begins with a form feed.
  template <typename Marque>
  Arret PiecesJusqua(CHAINE* ch, Marque&& marque);

  // The emission of a finished document and the event writer (emission.cpp).
  void Emettre();
  // What a pass over the document's dates does with each event: writes it,
  // only notes what its dates call for, or gathers it for a series, silently.
  enum class Passe { kEcrire, kNoter, kRecueillir };
  // Goes through the document's start dates and their ends in order; false
  // when it has none.
  bool Paires(Passe passe);
  // The lines of the event the current start date and its end give (the end
  // only with `a_fin`); false, with the note it calls for, when it gives none.
  bool DatesDePaire(bool a_fin, DatesEvenement* dates);
  // An event's dates, for the series the document's dates may form.
  void Recueillir(const Date& debut, const DatesEvenement& dates);
  // The document's dates as one event and its rule, when they follow one;
  // false when they do not, and nothing was written.
  bool EcrireSerie();
  // Before each event: a full part ends its calendar, and the next begins
  // with the prologue.
  void PlaceDansLaPartie();
  // One event block from `debut`, its dates as `dates` writes them.
  void EcrireBloc(const Date& debut, const DatesEvenement& dates);
  // The lines DTSTAMP, DTSTART and DTEND, and the all-day mark.
  void EcrireDates(const DatesEvenement& dates);
  // The "UID:" line of the event that starts at `debut`, or of the series;
  // valid until the next call.
  std::string_view Uid(const Date& debut, bool serie);
  void ECRIRE_DEBUT_RDV(const Date& debut, bool serie);
  void ECRIRE_NEW_RDV();
  void ECRIRE_FIN_RDV();

  // The dates of an event in its zone (placement.cpp).
  // Where a timed date of the list on input line `ligne` falls, its zone
  // word applied.
  Placement Situer(const Date& date, uint64_t ligne);
  // How the event's dates are written: days, local times of the zone, or
  // instants in UTC when the zone's definition would place one wrongly;
  // false when they cannot be written.
  bool Dater(const Date& debut, const Date* fin, DatesEvenement* dates);

  Source* source_;
  Resultat* result_;
  Trace* trace_;
  Repertoire* repertoire_;
  Erreurs* erreurs_;
  Options options_;
  Parties* parties_ = nullptr;
  std::string uid_;  // the last UID line, its room kept for the next

  Etat etat_;
  BilanConversion bilan_;  // what the run wrote and what it left out
  RapportLecture rapport_;
  EnUtf8 utf8_;         // the conversion of the texts
  Tampon rdv_;          // the event buffer of the document
  Tampon dates_debut_;  // the document's own start dates, one a line
  Tampon dates_fin_;    // and its own end dates
  Registre registre_;
  // The lines where the document began, where its date lists stand and
  // where the identifier in use was read.
  uint64_t ligne_document_ = 0;
  uint64_t ligne_debuts_ = 0;
  uint64_t ligne_fins_ = 0;
  uint64_t ligne_uid_ = 0;
  // Nothing is told to the summary while a series is looked for.
  bool muet_ = false;
  // The occurrences gathered for a series, the first one's start and dates,
  // and whether all of them can repeat by a rule.
  struct Serie {
    std::vector<Occurrence> occurrences;
    Date debut;
    DatesEvenement dates;
    bool possible = true;
  } serie_;
  // What names the document when it has no identifier of its own, and
  // whether the summary was told; the UIDs written.
  Signature signature_;
  bool signature_notee_ = false;
  UidsEcrits uids_;
  Tampon capture_;                          // the embedded event being or last captured
  std::unique_ptr<Ecrivain> fichier_ical_;  // "~ical.tmp", open from the first capture on
  bool capture_ecrite_ = false;
};

}  // namespace vellumcast
