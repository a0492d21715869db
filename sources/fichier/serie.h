// The series of a recurring document: the one recurrence rule its
// occurrences follow exactly, if any, and the text of that rule.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "calendrier.h"

namespace vellumcast {

// One occurrence of a document, as it will be written.
struct Occurrence {
  HeureCivile debut;   // local start (all-day: 00:00:00)
  bool a_fin = false;  // has an end
  HeureCivile fin;     // local end (all-day: the exclusive end day, 00:00:00)
};

// The most occurrences a series holds; a document with more stays separate events.
constexpr int kOccurrencesMax = 700;

enum class Frequence { kQuotidienne, kHebdomadaire, kMensuelle, kAnnuelle };

// A recurrence rule, expanded from the first occurrence (the DTSTART) with
// weeks starting on Monday.
struct Regle {
  Frequence frequence = Frequence::kQuotidienne;
  int nombre = 0;      // COUNT: how many occurrences, the first included
  int intervalle = 1;  // INTERVAL: every how many days, weeks, months or years
  // kHebdomadaire: the days of the week, bit j for JourDeSemaine j (bit 0
  // Sunday). The first occurrence's day is always among them.
  uint8_t jours_semaine = 0;
  // kMensuelle: the day of the month (BYMONTHDAY); 0 when by weekday.
  int jour_du_mois = 0;
  // kMensuelle by weekday: which one of the month, 1 to 5 or -1 for the last,
  // and the weekday as JourDeSemaine counts it (0 Sunday).
  int rang = 0;
  int jour_semaine = 0;
};

// The rule whose expansion from the first occurrence, under RFC 5545, gives
// exactly the occurrences' starts; none unless there are 3 to 700 of them,
// strictly increasing, all at one local time of day and of one duration (all
// with an end or all without). `journees` says they are all-day: then every
// start must be at 00:00:00. When several rules fit: the longest period
// first (YEARLY, MONTHLY, WEEKLY on one day, DAILY, WEEKLY on several days:
// equally spaced days are a daily rule whatever weekdays they fall on), then
// the smallest INTERVAL, then, within MONTHLY, the day of the month before
// the n-th weekday before the last weekday. WEEKLY on several days with
// INTERVAL above 1 and Sunday among them is never given: it is the one case
// where the week's first day changes the expansion, and readers that start
// weeks on Sunday would place those occurrences elsewhere.
// Costs time linear in the number of occurrences.
std::optional<Regle> TrouverSerie(std::span<const Occurrence> occurrences, bool journees);

// The rule's text, for the line after "RRULE:": FREQ, COUNT, INTERVAL when
// above 1, then BYDAY for a WEEKLY rule of several days (Monday to Sunday,
// "MO,TH"), BYMONTHDAY ("15") or BYDAY ("2TU", "-1FR") for every MONTHLY
// rule, nothing more for DAILY, YEARLY or WEEKLY on its first day alone:
// "FREQ=WEEKLY;COUNT=10;INTERVAL=2;BYDAY=MO,TH".
std::string TexteRegle(const Regle& regle);

}  // namespace vellumcast
