// vellumcast_varier: writes exports on which two builds of the program are
// compared. About a third are freshly generated small exports; the others
// are mutations of the seed exports given and of generated ones, aimed at
// what the reader gives a role to: line ends, form feeds, code 26, item
// names, date lists, embedded calendars, lines around 254 bytes and lines
// that cross the 64 KiB read buffer.
//   vellumcast_varier --count N --seed S --out DIR [SEED_FILE...]
// Export k is DIR/k on five figures (00042.txt) and depends only on S, k and
// the seed files, not on N. Standard output gets one line per export saying
// how it was made.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "generateur.h"

namespace {

using vellumcast::banc::Alea;
using vellumcast::banc::ExportEnMemoire;
using vellumcast::banc::ParametresExport;

// Longer exports are cut there, so that thousands of them convert in minutes.
constexpr size_t kTailleMax = 200 * 1024;
// The program reads its input by blocks of this size.
constexpr size_t kBloc = 64 * 1024;

const std::vector<std::string_view> kItems = {
    "Subject:",          "Location:",      "$UpdatedBy:",  "$Revisions:", "$PublicAccess:",
    "CalendarDateTime:", "STARTDATETIME:", "EndDateTime:", "ApptUNID:",   "$ICAL_ORIG_STREAM:"};
const std::vector<std::string_view> kMarqueurs = {"BEGIN:VCALENDAR", "BEGIN:VEVENT", "END:VEVENT",
                                                  "END:VCALENDAR"};
const std::vector<std::string_view> kItemsDates = {
    "STARTDATETIME:", "EndDateTime:", "CalendarDateTime:"};

template <typename T>
const T& Choisir(Alea& r, const std::vector<T>& v) {
  return v[r.Moins(v.size())];
}

bool Sensible(unsigned char c) {
  return c == 13 || c == 10 || c == 12 || c == 26 || c == 0 || c == ' ' || c == '\t' || c == ':' ||
         c == '/' || c == ',' || c == ';' || c == '\\' || c == 27 || (c >= '0' && c <= '9') ||
         c == 0xE9 || (c >= 0x80 && c <= 0x9F);
}

// A byte the format gives a role to, or that its conversion treats apart.
char OctetSensible(Alea& r) {
  static constexpr char kFixes[] = "\r\n\f\x1a\0 \t:/,;\\\xE9\x1b";
  switch (r.Moins(6)) {
    case 0:
      return static_cast<char>('0' + r.Moins(10));
    case 1:
      return static_cast<char>(0x80 + r.Moins(32));
    case 2:  // a letter of the upper half, which the conversion writes on two bytes
      return static_cast<char>(0xA0 + r.Moins(96));
    default:
      return kFixes[r.Moins(sizeof kFixes - 1)];
  }
}

// A byte, a line end, an item name or a calendar marker.
std::string SuiteSensible(Alea& r) {
  static const std::vector<std::string_view> kSuites = {"\r\n",
                                                        "\n",
                                                        "\r",
                                                        "\r\r\n",
                                                        "\f",
                                                        "\f\r\n",
                                                        "\xC3\xA9",
                                                        "\x1a\r\n",
                                                        "\r\n\r\n",
                                                        ": ",
                                                        ", ",
                                                        "//",
                                                        "::",
                                                        "\\,",
                                                        "\x1b",
                                                        "\r\n\f\r\n",
                                                        "$UpdatedBy: x\r\n\r\n",
                                                        " \r\n",
                                                        "\t\r\n"};
  switch (r.Moins(4)) {
    case 0:
    case 1:
      return std::string(1, OctetSensible(r));
    case 2:
      return std::string(Choisir(r, kSuites));
    default: {
      std::string s(r.Chance(0.7) ? Choisir(r, kItems) : Choisir(r, kMarqueurs));
      if (r.Chance(0.5)) s += " ";
      if (r.Chance(0.5)) s += "\r\n";
      return s;
    }
  }
}

size_t Position(Alea& r, const std::string& s) { return r.Moins(s.size() + 1); }

// The start of every line, then the size: line k is [d[k], d[k + 1]).
std::vector<size_t> Debuts(const std::string& s) {
  std::vector<size_t> d{0};
  for (size_t i = 0; i + 1 < s.size(); ++i) {
    if (s[i] == '\n') d.push_back(i + 1);
  }
  d.push_back(s.size());
  return d;
}

size_t DebutDeLigne(Alea& r, const std::string& s) {
  std::vector<size_t> d = Debuts(s);
  return d[r.Moins(d.size())];
}

// Where the line that holds `i` ends, before its CR LF.
size_t FinDeLigne(const std::string& s, size_t i) {
  size_t f = s.find('\n', i);
  if (f == std::string::npos) return s.size();
  while (f > i && s[f - 1] == '\r') --f;
  return f;
}

// Where the line after the one that holds `i` starts, or the size.
size_t LigneSuivante(const std::string& s, size_t i) {
  size_t f = s.find('\n', i);
  return f == std::string::npos ? s.size() : f + 1;
}

// One of the places where `motif` stands, or npos.
size_t Trouver(Alea& r, const std::string& s, std::string_view motif) {
  std::vector<size_t> places;
  for (size_t p = s.find(motif); p != std::string::npos; p = s.find(motif, p + 1)) {
    places.push_back(p);
  }
  return places.empty() ? std::string::npos : Choisir(r, places);
}

// The start of one of the lines that begin with one of `noms`, or npos.
size_t LigneAvecItem(Alea& r, const std::string& s, const std::vector<std::string_view>& noms,
                     std::string_view* nom) {
  std::vector<size_t> places;
  std::vector<std::string_view> trouves;
  for (size_t d : Debuts(s)) {
    for (std::string_view n : noms) {
      if (s.compare(d, n.size(), n) == 0) {
        places.push_back(d);
        trouves.push_back(n);
      }
    }
  }
  if (places.empty()) return std::string::npos;
  size_t k = r.Moins(places.size());
  if (nom != nullptr) *nom = trouves[k];
  return places[k];
}

std::string Texte(Alea& r, size_t longueur, bool blancs) {
  static constexpr std::string_view kLettres = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJ\xE9\xE8\xE0";
  std::string t;
  while (t.size() < longueur) {
    t += blancs && r.Chance(0.15) ? ' ' : kLettres[r.Moins(kLettres.size())];
  }
  return t;
}

std::string DeuxChiffres(int v) {
  char t[16];
  std::snprintf(t, sizeof t, "%02d", v);
  return t;
}

// A day, a month or an hour: one figure or two, sometimes out of range or empty.
std::string Champ(Alea& r, int maxi, int hors) {
  int v = r.Entre(1, maxi);
  switch (r.Moins(8)) {
    case 0:
      return std::to_string(v);
    case 1:
      return r.Chance(0.5) ? DeuxChiffres(r.Entre(maxi + 1, hors)) : "00";
    case 2:
      return r.Chance(0.7) ? std::to_string(v % 10) : "";
    default:
      return DeuxChiffres(v);
  }
}

// A date as exports write it, or nearly.
std::string DateBizarre(Alea& r) {
  std::string d = Champ(r, 28, 40) + (r.Chance(0.95) ? "/" : "-");
  d += Champ(r, 12, 99) + (r.Chance(0.95) ? "/" : ".");
  switch (r.Moins(8)) {
    case 0:
      d += r.Chance(0.5) ? "2011" : "2012";
      break;
    case 1:
      d += r.Chance(0.5) ? "09" : "20111";
      break;
    default:
      d += std::to_string(r.Entre(1998, 2025));
  }
  std::string h = Champ(r, 23, 29), m = Champ(r, 59, 99), sec = DeuxChiffres(r.Entre(0, 59));
  switch (r.Moins(9)) {
    case 0:  // no time at all
      return d;
    case 1:
      return d + " " + h + ":" + m;
    case 2:
      return d + " " + h + ":" + m + ":" + sec + (r.Chance(0.5) ? " AM" : " PM");
    case 3:
      return d + " " + h + ":" + m + (r.Chance(0.5) ? "PM" : " am");
    case 4:
      return d + " :" + m + ":" + sec;
    case 5:
      return d + " " + h + ":" + m + ":" + sec + " ZE1";
    default:
      return d + " " + h + ":" + m + ":" + sec;
  }
}

// The value of a date item: one to four dates and what stands between them.
std::string ListeBizarre(Alea& r) {
  static const std::vector<std::string_view> kEntre = {", ", ",", " ", " , ", ",, ", ",  "};
  static const std::vector<std::string_view> kDevant = {" ", " ", " ", "", "   ", "\t"};
  static const std::vector<std::string_view> kApres = {"", "", "", " ", ",", ", ", " \t"};
  std::string v(Choisir(r, kDevant));
  if (r.Chance(0.05)) return v;  // an empty value
  int n = r.Entre(1, r.Entre(1, 4));
  for (int k = 0; k < n; ++k) {
    if (k > 0) v += Choisir(r, kEntre);
    v += DateBizarre(r);
  }
  return v + std::string(Choisir(r, kApres));
}

// Each mutation changes `s` and returns its name, for the list of exports.

std::string Remplacer(Alea& r, std::string& s) {
  if (s.empty()) return "";
  int n = r.Entre(1, 4);
  for (int k = 0; k < n; ++k) {
    size_t p = r.Moins(s.size());
    // Half of the time, a byte that matters is the one replaced.
    if (r.Chance(0.5)) {
      for (size_t i = 0; i < s.size(); ++i) {
        size_t q = (p + i) % s.size();
        if (Sensible(static_cast<unsigned char>(s[q]))) {
          p = q;
          break;
        }
      }
    }
    s[p] = r.Chance(0.8) ? OctetSensible(r) : static_cast<char>(r.Moins(256));
  }
  return "replace";
}

std::string Inserer(Alea& r, std::string& s) {
  int n = r.Entre(1, 3);
  for (int k = 0; k < n; ++k) {
    size_t p;
    switch (r.Moins(4)) {
      case 0:
        p = DebutDeLigne(r, s);
        break;
      case 1:
        p = FinDeLigne(s, Position(r, s));
        break;
      default:
        p = Position(r, s);
    }
    s.insert(p, SuiteSensible(r));
  }
  return "insert";
}

std::string Tronquer(Alea& r, std::string& s) {
  size_t p = std::string::npos;
  switch (r.Moins(6)) {
    case 0: {  // inside a date
      size_t q = Trouver(r, s, "/");
      if (q != std::string::npos) p = q + r.Moins(9) - std::min<size_t>(q, 3);
      break;
    }
    case 1: {  // inside an item name
      std::string_view nom;
      size_t q = LigneAvecItem(r, s, kItems, &nom);
      if (q != std::string::npos) p = q + r.Moins(nom.size() + 2);
      break;
    }
    case 2: {  // inside a capture
      size_t q = Trouver(r, s, r.Chance(0.5) ? "$ICAL_ORIG_STREAM:" : Choisir(r, kMarqueurs));
      if (q != std::string::npos) p = q + r.Moins(700);
      break;
    }
    case 3: {  // between a CR and its LF, or right after a form feed
      size_t q = Trouver(r, s, r.Chance(0.5) ? "\r\n" : "\f");
      if (q != std::string::npos) p = q + 1;
      break;
    }
    default:
      break;
  }
  if (p == std::string::npos) p = Position(r, s);
  s.resize(std::min(p, s.size()));
  return "truncate";
}

std::string Lignes(Alea& r, std::string& s) {
  std::vector<size_t> d = Debuts(s);
  size_t lignes = d.size() - 1;
  size_t k = r.Moins(lignes);
  switch (r.Moins(5)) {
    case 0: {  // delete one to three lines
      size_t fin = d[std::min(lignes, k + static_cast<size_t>(r.Entre(1, 3)))];
      s.erase(d[k], fin - d[k]);
      return "delete-lines";
    }
    case 1: {  // the line again, right after it or anywhere
      std::string ligne = s.substr(d[k], d[k + 1] - d[k]);
      s.insert(r.Chance(0.5) ? d[k + 1] : d[r.Moins(d.size())], ligne);
      return "duplicate-line";
    }
    case 2: {  // two neighbouring lines swapped
      if (k + 2 >= d.size()) return "";
      std::string a = s.substr(d[k], d[k + 1] - d[k]), b = s.substr(d[k + 1], d[k + 2] - d[k + 1]);
      s.replace(d[k], a.size() + b.size(), b + a);
      return "swap-lines";
    }
    default: {  // a whole document again, or gone: from a form feed's line to the next
      std::vector<size_t> fins{0};
      for (size_t i = 0; i + 1 < d.size(); ++i) {
        if (std::string_view(s).substr(d[i], d[i + 1] - d[i]).find('\f') != std::string::npos) {
          fins.push_back(d[i + 1]);
        }
      }
      if (fins.size() < 2) return "";
      size_t j = r.Moins(fins.size() - 1);
      std::string doc = s.substr(fins[j], fins[j + 1] - fins[j]);
      if (r.Chance(0.3)) {
        s.erase(fins[j], doc.size());
        return "delete-document";
      }
      s.insert(Choisir(r, fins), doc);
      return "duplicate-document";
    }
  }
}

std::string Greffer(Alea& r, std::string& s, const std::string& donneur) {
  bool aux_lignes = r.Chance(0.5);
  size_t p = aux_lignes ? DebutDeLigne(r, s) : Position(r, s);
  size_t q = aux_lignes ? DebutDeLigne(r, donneur) : Position(r, donneur);
  s = s.substr(0, p) + donneur.substr(q);
  return "splice";
}

// CR LF into LF or CR alone, or LF into CR LF: everywhere, over a stretch, or on one line.
std::string FinsDeLigne(Alea& r, std::string& s) {
  size_t a = 0, b = s.size();
  switch (r.Moins(3)) {
    case 0:
      a = Position(r, s);
      b = a + r.Moins(s.size() - a + 1);
      break;
    case 1:
      a = DebutDeLigne(r, s);
      b = LigneSuivante(s, a);
      break;
    default:
      break;
  }
  int sorte = static_cast<int>(r.Moins(3));
  std::string t = s.substr(0, a);
  for (size_t i = a; i < b; ++i) {
    bool crlf = s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n';
    if (sorte == 0 && crlf) {
      continue;  // the LF stays alone
    } else if (sorte == 1 && crlf) {
      t += '\r';
      ++i;
    } else if (sorte == 2 && s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) {
      t += "\r\n";
    } else {
      t += s[i];
    }
  }
  s = t + s.substr(b);
  static constexpr const char* kNoms[] = {"lf-only", "cr-only", "crlf"};
  return kNoms[sorte];
}

// An item name or a marker in other capitals, or with a blank where none belongs.
std::string Casse(Alea& r, std::string& s) {
  std::vector<std::string_view> noms = kItems;
  noms.insert(noms.end(), kMarqueurs.begin(), kMarqueurs.end());
  std::string_view nom;
  size_t p = LigneAvecItem(r, s, noms, &nom);
  if (p == std::string::npos) {
    p = DebutDeLigne(r, s);
    nom = Choisir(r, kItems);
    s.insert(p, std::string(nom) + " x\r\n");
  }
  std::string n(nom);
  switch (r.Moins(6)) {
    case 0:
      for (char& c : n) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      break;
    case 1:
      for (char& c : n) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      break;
    case 2: {
      size_t i = r.Moins(n.size());
      unsigned char c = static_cast<unsigned char>(n[i]);
      n[i] = static_cast<char>(std::isupper(c) ? std::tolower(c) : std::toupper(c));
      break;
    }
    case 3:
      if (n.back() == ':') n.insert(n.size() - 1, r.Chance(0.5) ? " " : "\t");
      break;
    case 4:
      n.insert(0, " ");
      break;
    default:
      if (n.back() == ':') n.pop_back();
      break;
  }
  s.replace(p, nom.size(), n);
  return "case";
}

std::string LigneLongue(Alea& r, std::string& s) {
  size_t p = DebutDeLigne(r, s);
  std::string ligne;
  switch (r.Moins(7)) {
    case 0:  // no colon within the limit of an item name
      ligne = Texte(r, static_cast<size_t>(r.Entre(252, 257)), r.Chance(0.3)) + "\r\n";
      break;
    case 1:  // the colon at 253 to 256
      ligne = Texte(r, static_cast<size_t>(r.Entre(252, 255)), false) + ": v\r\n";
      break;
    case 2:  // a text value over 255 bytes
      ligne = std::string(r.Chance(0.5) ? "Subject: " : "Location: ") +
              Texte(r, static_cast<size_t>(r.Entre(250, 600)), true) + "\r\n";
      break;
    case 3: {  // a captured line of 253 to 256 bytes without a blank
      size_t q = Trouver(r, s, "BEGIN:VEVENT");
      if (q != std::string::npos) p = LigneSuivante(s, q);
      ligne = "DESCRIPTION:" + Texte(r, static_cast<size_t>(r.Entre(241, 244)), false) + "\r\n";
      break;
    }
    case 4: {  // a byte that matters on the boundary of a read block
      size_t cible = kBloc - 1 + r.Moins(2);
      size_t q = std::string::npos;
      for (int essai = 0; essai < 8 && (q == std::string::npos || q < p); ++essai) {
        static const std::vector<std::string_view> kCibles = {"\r\n", "\f", ":", "\n", "/"};
        q = Trouver(r, s, Choisir(r, kCibles));
      }
      if (q != std::string::npos && q >= p && q + 4 < cible) {
        s.insert(p, std::string(cible - q - 2, 'x') + "\r\n");
        return "block-boundary";
      }
      [[fallthrough]];
    }
    default: {  // a line longer than a read block
      size_t n = kBloc + static_cast<size_t>(r.Entre(-3, 3)) +
                 (r.Chance(0.3) ? static_cast<size_t>(r.Entre(0, 20000)) : 0);
      switch (r.Moins(4)) {
        case 0:
          ligne = "Subject: " + Texte(r, n, true);
          break;
        case 1: {
          ligne = "STARTDATETIME: 01/02/2009 09:30:00";
          while (ligne.size() < n) ligne += ", 08/02/2009 09:30:00";
          break;
        }
        default:
          ligne = Texte(r, n, r.Chance(0.5));
      }
      ligne += "\r\n";
      s.insert(p, ligne);
      return "block-long-line";
    }
  }
  s.insert(p, ligne);
  return "long-line";
}

std::string Dates(Alea& r, std::string& s) {
  std::string_view nom;
  size_t p = LigneAvecItem(r, s, kItemsDates, &nom);
  if (p == std::string::npos || r.Chance(0.15)) {
    p = DebutDeLigne(r, s);
    s.insert(p, std::string(Choisir(r, kItemsDates)) + ListeBizarre(r) + "\r\n");
    return "odd-dates";
  }
  size_t debut = p + nom.size(), fin = FinDeLigne(s, p);
  s.replace(debut, fin - debut, ListeBizarre(r));
  return "odd-dates";
}

// An embedded calendar that lacks a marker, has a damaged one, or ends its document first.
std::string CalendrierOuvert(Alea& r, std::string& s) {
  size_t debut = Trouver(r, s, "$ICAL_ORIG_STREAM:");
  if (debut == std::string::npos || r.Chance(0.2)) {
    std::vector<std::string> lignes = {"$ICAL_ORIG_STREAM: BEGIN:VCALENDAR",
                                       "VERSION:2.0",
                                       "BEGIN:VEVENT",
                                       "SUMMARY:R\xE9union",
                                       "END:VEVENT",
                                       "END:VCALENDAR"};
    size_t sans = static_cast<size_t>(r.Entre(2, 5));
    std::string cal;
    for (size_t k = 0; k < lignes.size(); ++k) {
      if (k != sans || r.Chance(0.2)) cal += lignes[k] + "\r\n";
    }
    s.insert(DebutDeLigne(r, s), cal);
    return "open-calendar";
  }
  size_t q = s.find(Choisir(r, kMarqueurs), debut);
  if (q == std::string::npos) q = debut + r.Moins(s.size() - debut);
  size_t ligne = s.rfind('\n', q);
  ligne = ligne == std::string::npos ? 0 : ligne + 1;
  switch (r.Moins(5)) {
    case 0:
    case 1:  // the marker's line gone
      s.erase(ligne, LigneSuivante(s, q) - ligne);
      break;
    case 2:  // the marker cut short
      if (q + 3 < s.size()) s.erase(q + 3, 1);
      break;
    case 3:  // a form feed before the marker
      s.insert(ligne, r.Chance(0.5) ? "\f\r\n" : "\f");
      break;
    default:  // the marker behind a blank, inside its line
      s.insert(q, r.Chance(0.5) ? " " : "x ");
      break;
  }
  return "open-calendar";
}

// Documents that run into each other, begin with ESC, or share an identifier in other capitals.
std::string Documents(Alea& r, std::string& s) {
  switch (r.Moins(5)) {
    case 0: {
      size_t p = LigneAvecItem(r, s, {"$UpdatedBy:", "$Revisions:"}, nullptr);
      if (p == std::string::npos) return "";
      s.erase(p, LigneSuivante(s, p) - p);
      return "no-body-marker";
    }
    case 1: {
      size_t p = Trouver(r, s, "\f");
      if (p == std::string::npos) return "";
      if (r.Chance(0.5)) {
        s.erase(p, 1);
      } else {
        s.insert(p + 1, " after the form feed");
      }
      return "form-feed";
    }
    case 2: {
      size_t p = Trouver(r, s, "\f\r\n");
      s.insert(p == std::string::npos ? 0 : p + 3, r.Chance(0.5) ? "\x1b" : "\r\n \t\r\n\x1b");
      return "esc-first";
    }
    default: {
      size_t p = Trouver(r, s, "ApptUNID:");
      if (p == std::string::npos) return "";
      size_t fin = FinDeLigne(s, p);
      std::string valeur = s.substr(p, fin - p);
      if (r.Chance(0.5)) {
        for (size_t i = 9; i < valeur.size(); ++i) {
          unsigned char c = static_cast<unsigned char>(valeur[i]);
          if (r.Chance(0.5)) valeur[i] = static_cast<char>(std::tolower(c));
        }
        s.replace(p, fin - p, valeur);
      } else {
        size_t q = Trouver(r, s, "ApptUNID:");
        s.replace(q, FinDeLigne(s, q) - q, valeur);
      }
      return "same-identifier";
    }
  }
}

// Bytes of the upper half in a text the conversion writes out: a subject, a
// location or a body line; now and then all 128 of them in a row.
std::string Hautes(Alea& r, std::string& s) {
  size_t p = LigneAvecItem(r, s, {"Subject:", "Location:"}, nullptr);
  // After the value of an item, or as a line of its own (a body line, when it falls in one).
  bool ligne = p == std::string::npos || r.Chance(0.3);
  p = ligne ? DebutDeLigne(r, s) : FinDeLigne(s, p);
  std::string octets;
  if (r.Chance(0.2)) {
    for (int c = 128; c < 256; ++c) octets += static_cast<char>(c);
  } else {
    int n = r.Entre(1, 40);
    for (int k = 0; k < n; ++k) octets += static_cast<char>(0x80 + r.Moins(128));
  }
  if (ligne) octets += "\r\n";
  s.insert(p, octets);
  return "high-bytes";
}

ParametresExport ParametresAuHasard(Alea& r, int documents_max) {
  ParametresExport p;
  p.graine = r.Suivant();
  p.documents = static_cast<uint64_t>(r.Entre(1, r.Entre(1, documents_max)));
  p.petits = r.Chance(0.4);
  static const std::vector<double> kIcal = {0, 0.07, 0.3, 1, 1, -1};
  static const std::vector<double> kAvant = {0, 0.5, 0.5, 1, -1};
  static const std::vector<double> kRecurrents = {0, 0.3, 0.3, 1, -1};
  auto part = [&](const std::vector<double>& v) {
    double x = Choisir(r, v);
    return x < 0 ? static_cast<double>(r.Moins(1001)) / 1000 : x;
  };
  p.part_ical = part(kIcal);
  p.avant_2012 = part(kAvant);
  p.part_recurrents = part(kRecurrents);
  p.recurrents = static_cast<uint64_t>(r.Chance(0.5) ? 0 : r.Entre(1, 3));
  return p;
}

std::string Decrire(const ParametresExport& p) {
  std::ostringstream o;
  o << p.documents << (p.petits ? " tiny" : " realistic") << " documents, seed " << p.graine
    << ", part-ical " << p.part_ical << ", avant-2012 " << p.avant_2012 << ", part-recurrents "
    << p.part_recurrents << ", recurrents " << p.recurrents;
  return o.str();
}

struct Graine {
  std::string nom;
  std::string octets;
};

// A seed export, or a small generated one when there are none or by chance.
std::string Base(Alea& r, const std::vector<Graine>& graines, std::string* origine) {
  if (!graines.empty() && r.Chance(0.55)) {
    const Graine& g = Choisir(r, graines);
    *origine = g.nom;
    return g.octets;
  }
  ParametresExport p = ParametresAuHasard(r, 12);
  *origine = "generated (" + Decrire(p) + ")";
  return ExportEnMemoire(p);
}

std::string Varier(Alea& r, const std::vector<Graine>& graines, std::string* recette) {
  if (r.Chance(1.0 / 3)) {
    ParametresExport p = ParametresAuHasard(r, 60);
    *recette = "generated: " + Decrire(p);
    return ExportEnMemoire(p);
  }
  std::string origine;
  std::string s = Base(r, graines, &origine);
  std::string noms;
  int n = r.Entre(1, r.Entre(1, 6));
  for (int k = 0; k < n; ++k) {
    std::string nom;
    switch (r.Moins(14)) {
      case 0:
      case 1:
        nom = Remplacer(r, s);
        break;
      case 2:
      case 3:
        nom = Inserer(r, s);
        break;
      case 4:
        nom = Tronquer(r, s);
        break;
      case 5:
        nom = Lignes(r, s);
        break;
      case 6: {
        std::string d;
        nom = Greffer(r, s, Base(r, graines, &d));
        break;
      }
      case 7:
        nom = FinsDeLigne(r, s);
        break;
      case 8:
        nom = Casse(r, s);
        break;
      case 9:
        nom = LigneLongue(r, s);
        break;
      case 10:
        nom = Dates(r, s);
        break;
      case 11:
        nom = CalendrierOuvert(r, s);
        break;
      case 12:
        nom = Hautes(r, s);
        break;
      default:
        nom = Documents(r, s);
        break;
    }
    if (!nom.empty()) noms += " " + nom;
  }
  if (s.size() > kTailleMax) {
    s.resize(kTailleMax - r.Moins(kTailleMax / 4));
    noms += " cut";
  }
  *recette = "mutated from " + origine + ":" + (noms.empty() ? " unchanged" : noms);
  return s;
}

bool Lire(const std::string& chemin, std::string* octets) {
  std::ifstream f(chemin, std::ios::binary);
  if (!f) return false;
  std::ostringstream o;
  o << f.rdbuf();
  *octets = o.str();
  return !f.bad();
}

int Usage() {
  std::fputs(
      "usage: vellumcast_varier --count N --seed S --out DIR [SEED_FILE...]\n"
      "  writes N exports DIR/00000.txt, DIR/00001.txt, ...: a third generated, the others\n"
      "  mutations of the seed files and of generated exports; prints how each was made\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  uint64_t nombre = 0, graine = 1;
  bool compte = false;
  std::string dossier;
  std::vector<Graine> graines;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    bool valeur = i + 1 < argc;
    if (a == "--count" && valeur) {
      nombre = std::strtoull(argv[++i], nullptr, 10);
      compte = true;
    } else if (a == "--seed" && valeur) {
      graine = std::strtoull(argv[++i], nullptr, 10);
    } else if (a == "--out" && valeur) {
      dossier = argv[++i];
    } else if (a.starts_with("--")) {
      return Usage();
    } else {
      Graine g{a, {}};
      if (!Lire(a, &g.octets)) {
        std::perror(a.c_str());
        return 1;
      }
      graines.push_back(std::move(g));
    }
  }
  if (!compte || dossier.empty()) return Usage();
  std::error_code e;
  std::filesystem::create_directories(dossier, e);
  if (e) {
    std::fprintf(stderr, "vellumcast_varier: %s: %s\n", dossier.c_str(), e.message().c_str());
    return 1;
  }
  int chiffres = 5;
  for (uint64_t n = 100000; n < nombre; n *= 10) ++chiffres;
  for (uint64_t k = 0; k < nombre; ++k) {
    // Each export from its own stream, so that it does not depend on the others.
    Alea r(Alea(graine * 0x2545F4914F6CDD1Dull + k).Suivant());
    std::string recette;
    std::string octets = Varier(r, graines, &recette);
    char nom[32];
    std::snprintf(nom, sizeof nom, "%0*llu.txt", chiffres, static_cast<unsigned long long>(k));
    std::string chemin = dossier + "/" + nom;
    std::ofstream f(chemin, std::ios::binary);
    f.write(octets.data(), static_cast<std::streamsize>(octets.size()));
    f.close();
    if (!f) {
      std::perror(chemin.c_str());
      return 1;
    }
    std::printf("%s\t%zu bytes\t%s\n", nom, octets.size(), recette.c_str());
  }
  return 0;
}
