#include "invariants.h"

#include <algorithm>
#include <string>

#include "attendus.h"
#include "banc.h"
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
  if (STARTSWITH(l, "DTSTART;TZID=France:")) return kDtstart;
  if (STARTSWITH(l, "DTEND;TZID=France:")) return kDtend;
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

// Checks the blocks between the prologue and the closing line.
std::string VerifierBlocs(std::string_view corps, size_t* blocs) {
  *blocs = 0;
  int rang = -1;  // rank of the previous line of the open block; -1 outside a block
  std::string dtstamp;
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
        break;
      case kDtstart: {
        // Both lines carry the same date-time; a text line holds 255 characters at most.
        std::string_view date = ligne.substr(20);
        if (ligne.size() < LONG_MAX_CHAINE) {
          std::string attendu = "DTSTAMP:" + std::string(date) + "Z";
          if (dtstamp != attendu.substr(0, LONG_MAX_CHAINE)) return "DTSTART differs from DTSTAMP";
        } else if (!STARTSWITH(std::string_view(dtstamp).substr(8), date)) {
          return "DTSTART differs from DTSTAMP";
        }
        Statut debordement;
        if (STR2INT(date.substr(0, 4), &debordement) >= kAnneeLimite) {
          return "an event starts at or after the year limit: " + std::string(date.substr(0, 40));
        }
        break;
      }
      default:
        break;
    }
    rang = r == kEnd ? -1 : r;
  }
  if (rang >= 0) return "the last block is not closed";
  return {};
}

}  // namespace

std::string VerifierResultat(std::string_view resultat, size_t* blocs) {
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
  return VerifierBlocs(reste, blocs);
}

Bilan VerifierConversion(std::string_view entree, size_t limite_memoire) {
  Bilan bilan;
  Options options;
  options.limite_memoire = limite_memoire;
  Produit t = Convertir(entree, options);
  bilan.resultat = t.ics;
  bilan.lectures = t.lectures;

  auto echec = [&](std::string raison) {
    bilan.erreur = std::move(raison);
    return bilan;
  };
  // Nothing in memory can fail: any error is the conversion's own fault.
  if (!t.erreur.empty()) return echec("the run stopped: " + t.erreur);
  std::string e = VerifierResultat(bilan.resultat, &bilan.blocs);
  if (!e.empty()) return echec(e);

  // A written date takes its day and month separators ("/") and the blank
  // after its year from the input, and every block is one written date.
  size_t barres = static_cast<size_t>(std::count(entree.begin(), entree.end(), '/'));
  size_t blancs = static_cast<size_t>(std::count(entree.begin(), entree.end(), ' '));
  if (bilan.blocs > barres / 2 || bilan.blocs > blancs) {
    return echec("more blocks (" + std::to_string(bilan.blocs) + ") than dates in the input");
  }
  if (bilan.lectures > kLecturesParOctet * (entree.size() + 1)) {
    return echec("too many reads: " + std::to_string(bilan.lectures) + " for " +
                 std::to_string(entree.size()) + " bytes");
  }
  // Standard output is redirected here: it carries the trace lines unchanged.
  if (t.log != t.console) return echec("the trace log and the console differ");
  if (t.brouillons) return echec("a scratch name was left behind");
  if (t.ical && !t.ical->empty() && !t.ical->ends_with("\r\n")) {
    return echec("~ical.tmp ends inside a line");
  }
  return bilan;
}

std::string VerifierFrontiere(std::string_view entree, size_t position) {
  // A first line of padding that the reader skips in one piece puts the end
  // of the first buffer `position` bytes into the input; both runs read the
  // same bytes, only where the reads end differs.
  constexpr std::string_view kItem = "X-Pad:";
  position = std::min({position, entree.size(), Lecteur::kTailleTampon - kItem.size() - 1});
  std::string flux(kItem);
  flux.append(Lecteur::kTailleTampon - position - kItem.size() - 1, 'p');
  flux += '\n';
  flux.append(entree);
  Produit a = Convertir(flux);
  Produit b = ConvertirParDescripteur(flux);
  std::string ou = " with the reader's buffer ending at byte " + std::to_string(position);
  if (a.erreur != b.erreur) return "the run-time errors differ" + ou;
  if (a.ics != b.ics) return "the results differ" + ou;
  if (a.log != b.log) return "the trace logs differ" + ou;
  if (a.ical != b.ical) return "the captured events differ" + ou;
  return {};
}

}  // namespace vellumcast
