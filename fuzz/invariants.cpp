#include "invariants.h"

#include <algorithm>
#include <functional>
#include <set>
#include <string>

#include "attendus.h"
#include "banc.h"
#include "calendrier.h"
#include "chaines.h"

namespace vellumcast {

namespace {

constexpr std::string_view kFin = "END:VCALENDAR\r\n";

// The lines of an event block in the order the writer puts them. The event
// buffer's lines (rank kTampon) may repeat; every other rank comes once at most.
enum Rang {
  kBegin,
  kUid,
  kCreated,
  kTampon,
  kDtstamp,
  kDtstart,
  kDtend,
  kJournee,
  kRegle,
  kStatus,
  kCategories,
  kTransp,
  kEnd,
};

// The rank of a line ended by CR LF inside a block; -1 when no writer makes it.
int RangLigneComplete(std::string_view l) {
  if (l == "BEGIN:VEVENT") return kBegin;
  if (STARTSWITH(l, "UID:")) return kUid;
  if (l == "CREATED:20091101T100000Z") return kCreated;
  if (STARTSWITH(l, "DTSTAMP:")) return kDtstamp;
  if (STARTSWITH(l, "DTSTART;") || STARTSWITH(l, "DTSTART:")) return kDtstart;
  if (STARTSWITH(l, "DTEND;") || STARTSWITH(l, "DTEND:")) return kDtend;
  if (l == "X-MICROSOFT-CDO-ALLDAYEVENT:TRUE") return kJournee;
  if (STARTSWITH(l, "RRULE:FREQ=")) return kRegle;
  if (l == "STATUS:CONFIRMED") return kStatus;
  if (l == "CATEGORIES:MEETING") return kCategories;
  if (l == "TRANSP:OPAQUE") return kTransp;
  if (l == "END:VEVENT") return kEnd;
  return -1;
}

// Whether a line ended by a line feed alone is one the event buffer holds.
bool LigneDuTampon(std::string_view l) {
  return STARTSWITH(l, " ") || STARTSWITH(l, "SUMMARY:") || STARTSWITH(l, "LOCATION:") ||
         l == "CLASS:PUBLIC" || l == "CLASS:PRIVATE" || STARTSWITH(l, "DESCRIPTION:");
}

// Whether `v` is a calendar date "yyyymmdd" followed by, unless `jour`
// alone is asked for, "Thhmmss" of a time of the day and, when `utc`, "Z".
bool Calendrier(std::string_view v, bool heure, bool utc) {
  const size_t n = heure ? (utc ? 16 : 15) : 8;
  if (v.size() != n || (heure && v[8] != 'T') || (utc && v.back() != 'Z')) return false;
  for (size_t i = 0; i < (heure ? 15 : 8); ++i) {
    if (i != 8 && !ISAFIGURE(v[i])) return false;
  }
  auto deux = [&](size_t i) { return (v[i] - '0') * 10 + (v[i + 1] - '0'); };
  const int annee = deux(0) * 100 + deux(2), mois = deux(4), jour = deux(6);
  if (mois < 1 || mois > 12 || jour < 1 || jour > JoursDuMois(annee, mois)) return false;
  return !heure || (deux(9) <= 23 && deux(11) <= 59 && deux(13) <= 59);
}

bool DateHeure(std::string_view v, bool utc) { return Calendrier(v, true, utc); }

int DateHeureAnnee(std::string_view v) {
  return (v[0] - '0') * 1000 + (v[1] - '0') * 100 + (v[2] - '0') * 10 + (v[3] - '0');
}

// Checks a DTSTART or DTEND line: a local date-time of the zone, a day, or
// an instant in UTC, each a calendar value; a start in local form or a day
// gives DTSTAMP its digits. `*journee` tells the block's start is a day.
std::string VerifierValeurDate(std::string_view ligne, std::string_view dtstamp, bool debut,
                               bool* journee) {
  const size_t deux_points = ligne.find(':');
  const std::string_view parametres = ligne.substr(0, deux_points);
  const std::string_view valeur = ligne.substr(deux_points + 1);
  const std::string_view nom = debut ? "DTSTART" : "DTEND";
  const std::string cite = std::string(ligne.substr(0, 80));
  const bool jour = parametres.substr(nom.size()) == ";VALUE=DATE";
  const bool locale =
      parametres.substr(nom.size()).starts_with(";TZID=") && parametres.size() > nom.size() + 6;
  const bool utc = parametres == nom;
  if (!jour && !locale && !utc) return "a date line of no known form: " + cite;
  if (!Calendrier(valeur, !jour, utc)) return "a date line without a calendar value: " + cite;
  if (debut) {
    *journee = jour;
    const std::string attendu = std::string(valeur) + (jour ? "T000000Z" : "Z");
    if (!utc && dtstamp.substr(8) != attendu) return "DTSTART differs from DTSTAMP";
  } else if (jour != *journee) {
    return "start and end of different kinds: " + cite;
  }
  return {};
}

// Checks the blocks between the prologue and the closing line.
std::string VerifierBlocs(std::string_view corps, bool uids_stables, size_t* blocs) {
  std::set<std::string, std::less<>> uids;
  *blocs = 0;
  int rang = -1;  // rank of the previous line of the open block; -1 outside a block
  std::string dtstamp;
  bool journee = false;  // the open block's start is a day
  size_t debut = 0;
  while (debut < corps.size()) {
    size_t lf = corps.find('\n', debut);
    if (lf == std::string_view::npos) return "the result's last line has no line end";
    std::string_view ligne = corps.substr(debut, lf - debut);
    bool crlf = !ligne.empty() && ligne.back() == '\r';
    if (crlf) ligne.remove_suffix(1);
    debut = lf + 1;
    if (ligne.find('\r') != std::string_view::npos) return "a carriage return inside a line";

    int r = crlf ? RangLigneComplete(ligne) : (LigneDuTampon(ligne) ? kTampon : -1);
    if (r < 0) return "unexpected line: " + std::string(ligne.substr(0, 80));
    if (rang < 0 && r != kBegin)
      return "a line outside any block: " + std::string(ligne.substr(0, 80));
    if (rang >= 0) {
      if (r == kBegin) return "a block opens inside a block";
      if (r < rang || (r == rang && r != kTampon)) {
        return "block line out of order or repeated: " + std::string(ligne.substr(0, 80));
      }
      // Every mandatory line between the previous one and this one must have come.
      for (int m : {kUid, kCreated, kDtstamp, kDtstart, kStatus, kCategories, kTransp}) {
        if (m > rang && m < r) {
          return "a block lacks a line before: " + std::string(ligne.substr(0, 80));
        }
      }
    }
    switch (r) {
      case kBegin:
        ++*blocs;
        break;
      case kUid: {
        // Stable UIDs are all different; the others end in the block's number.
        if (uids_stables) {
          if (!uids.emplace(ligne).second)
            return "a UID twice: " + std::string(ligne.substr(0, 80));
          break;
        }
        // "UID:", the identifier, "-" and the run-wide number of this block.
        std::string attendu = "-";
        attendu += std::to_string(*blocs);
        if (ligne.size() < 4 + attendu.size() ||
            ligne.substr(ligne.size() - attendu.size()) != attendu) {
          return "UID line without the block's number: " + std::string(ligne.substr(0, 80));
        }
        break;
      }
      case kDtstamp:
        dtstamp = std::string(ligne);
        if (!DateHeure(ligne.substr(8), true)) return "DTSTAMP is no date-time: " + dtstamp;
        if (DateHeureAnnee(ligne.substr(8)) >= kAnneeLimite) {
          return "an event starts at or after the year limit: " + dtstamp;
        }
        break;
      case kDtstart:
      case kDtend: {
        std::string e = VerifierValeurDate(ligne, dtstamp, r == kDtstart, &journee);
        if (!e.empty()) return e;
        break;
      }
      case kJournee:
        if (!journee) return "an all-day mark on a timed event";
        break;
      case kStatus:
        if (journee && rang != kJournee) return "an all-day event without its mark";
        break;
      default:
        break;
    }
    rang = r == kEnd ? -1 : r;
  }
  if (rang >= 0) return "the last block is not closed";
  return {};
}

}  // namespace

std::string VerifierResultat(std::string_view resultat, size_t* blocs, bool uids_stables) {
  *blocs = 0;
  std::string_view reste = resultat;
  const std::string& prologue = PrologueAttendu();
  for (std::string_view attendu = prologue; !attendu.empty();) {
    std::string_view ligne = attendu.substr(0, attendu.find("\r\n") + 2);
    if (!STARTSWITH(reste, ligne)) {
      return "the prologue differs at: " + std::string(ligne.substr(0, ligne.size() - 2));
    }
    reste.remove_prefix(ligne.size());
    attendu.remove_prefix(ligne.size());
  }
  if (reste.size() < kFin.size() || reste.substr(reste.size() - kFin.size()) != kFin) {
    return "the result does not end with END:VCALENDAR";
  }
  reste.remove_suffix(kFin.size());
  return VerifierBlocs(reste, uids_stables, blocs);
}

Options OptionsTirees(std::string_view entree) {
  Options options;
  if (entree.empty()) return options;
  const auto premier = static_cast<unsigned char>(entree[0]);
  options.ordre_dates = static_cast<OrdreDates>(premier / 3 % kOrdres);
  constexpr Jeu kJeux[] = {Jeu::kIso88591, Jeu::kWindows1252, Jeu::kUtf8};
  options.jeu = kJeux[premier / 9 % 3];
  options.uids_stables = (premier / 27 & 1) != 0;
  options.series = (premier / 27 & 2) != 0;
  return options;
}

Decompte VerifierConversion(std::string_view entree, const Options& options) {
  Decompte bilan;
  Produit t = Convertir(entree, options);
  bilan.resultat = t.ics;
  bilan.lectures = t.lectures;

  auto echec = [&](std::string raison) {
    bilan.erreur = std::move(raison);
    return bilan;
  };
  // Nothing in memory can fail: any error is the conversion's own fault.
  if (!t.erreur.empty()) return echec("the run stopped: " + t.erreur);
  std::string e = VerifierResultat(bilan.resultat, &bilan.blocs, options.uids_stables);
  if (!e.empty()) return echec(e);

  // Every block is one date of the input, which takes two separators there.
  size_t separateurs = 0;
  for (char c : entree) separateurs += c == '/' || c == '.' || c == '-';
  if (bilan.blocs > separateurs / 2) {
    return echec("more blocks (" + std::to_string(bilan.blocs) + ") than dates in the input");
  }
  if (bilan.lectures > kLecturesParOctet * (entree.size() + 1)) {
    return echec("too many reads: " + std::to_string(bilan.lectures) + " for " +
                 std::to_string(entree.size()) + " bytes");
  }
  // Standard output is redirected here: it carries the trace lines unchanged,
  // then the line that ends a complete run.
  if (t.log + "Fichier source termine\r\n" != t.console) {
    return echec("the console is not the trace log and the closing line");
  }
  if (t.brouillons) return echec("a scratch name was left behind");
  if (t.ical && !t.ical->empty() && !t.ical->ends_with("\r\n")) {
    return echec("~ical.tmp ends inside a line");
  }
  return bilan;
}

std::string VerifierFrontiere(std::string_view entree, size_t position, const Options& options) {
  // A first line of padding that the reader skips in one piece puts the end
  // of the first buffer `position` bytes into the input; both runs read the
  // same bytes, only where the reads end differs.
  constexpr std::string_view kItem = "X-Pad:";
  position = std::min({position, entree.size(), Lecteur::kTailleTampon - kItem.size() - 1});
  std::string flux(kItem);
  flux.append(Lecteur::kTailleTampon - position - kItem.size() - 1, 'p');
  flux += '\n';
  flux.append(entree);
  Produit a = Convertir(flux, options);
  Produit b = ConvertirParDescripteur(flux, options);
  std::string ou = " with the reader's buffer ending at byte " + std::to_string(position);
  if (a.erreur != b.erreur) return "the run-time errors differ" + ou;
  if (a.ics != b.ics) return "the results differ" + ou;
  if (a.log != b.log) return "the trace logs differ" + ou;
  if (a.ical != b.ical) return "the captured events differ" + ou;
  return {};
}

}  // namespace vellumcast
