#include "interop_modele.h"

#include <regex>

namespace vellumcast::interop {

namespace {

bool Controle(unsigned char c) { return c < 32 || c == 127 || (c >= 128 && c < 160); }

std::string_view SansBlancs(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

char Minuscule(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// Whether the stored identifier is found by `uid`: the same word, A to Z
// folded, ending the stored text or followed by a blank, "=" or ">".
bool MemeIdentifiant(std::string_view stocke, std::string_view uid) {
  if (uid.empty() || stocke.size() < uid.size()) return false;
  for (size_t i = 0; i < uid.size(); ++i) {
    if (Minuscule(stocke[i]) != Minuscule(uid[i])) return false;
  }
  if (stocke.size() == uid.size()) return true;
  char suite = stocke[uid.size()];
  return suite == ' ' || suite == '=' || suite == '>';
}

std::string DeuxChiffres(const std::string& champ) {
  return champ.size() == 1 ? "0" + champ : champ;
}

// The dates of a list value, as yyyymmddThhmmss; false when a date is not
// one of the well-formed shapes.
bool LireDates(std::string_view valeur, std::vector<std::string>* dates, bool* recurrent,
               std::string* incertitude) {
  static const std::regex kDate(
      R"(^(\d{1,2})/(\d{1,2})/(\d{4}) (\d{1,2}):(\d{1,2})(?::(\d{1,2}))?(,|  *|$))");
  dates->clear();
  std::string reste(valeur);
  for (;;) {
    size_t blancs = reste.find_first_not_of(' ');
    if (blancs == std::string::npos) return true;
    reste.erase(0, blancs);
    std::smatch m;
    if (!std::regex_search(reste, m, kDate)) {
      *incertitude = "date list '" + std::string(valeur) + "'";
      return false;
    }
    std::string secondes = m[6].matched ? DeuxChiffres(m[6]) : "00";
    dates->push_back(m[3].str() + DeuxChiffres(m[2]) + DeuxChiffres(m[1]) + "T" +
                     DeuxChiffres(m[4]) + DeuxChiffres(m[5]) + secondes);
    if (m[7] == ",") *recurrent = true;
    reste.erase(0, static_cast<size_t>(m.length(0)));
  }
}

// The export read line by line, carriage returns dropped.
class Lignes {
 public:
  explicit Lignes(std::string_view texte) {
    for (char c : texte) {
      if (c != '\r') t_ += c;
    }
  }
  bool Fin() const { return i_ >= t_.size(); }
  std::string_view Ligne() {
    size_t lf = t_.find('\n', i_);
    size_t fin = lf == std::string::npos ? t_.size() : lf;
    std::string_view l(t_.data() + i_, fin - i_);
    i_ = lf == std::string::npos ? t_.size() : lf + 1;
    return l;
  }
  // The body: up to its form feed (the rest of that line dropped) or the end.
  std::string Corps() {
    size_t ff = t_.find('\f', i_);
    std::string corps = t_.substr(i_, ff == std::string::npos ? std::string::npos : ff - i_);
    i_ = ff == std::string::npos ? t_.size() : ff;
    if (!Fin()) Ligne();
    return corps;
  }
  // Blanks and line ends between documents.
  void SauterBlancs() {
    while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\n')) ++i_;
  }
  const std::string& texte() const { return t_; }

 private:
  std::string t_;
  size_t i_ = 0;
};

// Consumes an embedded calendar; false when a form feed ended the document.
bool SauterCalendrier(std::string_view reste, Lignes* lignes) {
  auto debut = [](std::string_view l, std::string_view m) { return l.substr(0, m.size()) == m; };
  if (!debut(reste, "BEGIN:VEVENT")) {
    for (;;) {
      if (lignes->Fin()) return true;
      std::string_view l = lignes->Ligne();
      if (debut(l, "\f")) return false;
      if (debut(l, "BEGIN:VEVENT")) break;
    }
  }
  for (;;) {
    if (lignes->Fin()) return true;
    std::string_view l = lignes->Ligne();
    if (debut(l, "\f")) return false;
    if (debut(l, "END:VEVENT")) break;
  }
  for (;;) {
    if (lignes->Fin()) return true;
    std::string_view l = lignes->Ligne();
    // Every word of these lines is looked at.
    for (size_t p = 0;;) {
      std::string_view piece = l.substr(p);
      if (debut(piece, "\f")) return false;
      if (debut(piece, "END:VCALENDAR")) return true;
      size_t blanc = l.find(' ', p);
      if (blanc == std::string_view::npos) break;
      p = blanc + 1;
    }
  }
}

}  // namespace

std::string Utf8DeLatin1(std::string_view latin1) {
  std::string utf8;
  for (char c : latin1) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u == 0) {
      utf8 += ' ';
    } else if (u < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | (u >> 6));
      utf8 += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return utf8;
}

TexteAttendu TexteLu(std::string_view latin1) {
  TexteAttendu t;
  std::string_view v = SansBlancs(latin1);
  for (char c : v) {
    if (Controle(static_cast<unsigned char>(c))) t.verifiable = false;
  }
  t.valeur = Utf8DeLatin1(v);
  return t;
}

std::vector<EvenementAttendu> LireAttendus(std::string_view texte, int32_t annee_limite,
                                           std::string* incertitude) {
  incertitude->clear();
  size_t sub = texte.find('\x1a');
  if (sub != std::string_view::npos) {
    *incertitude = "a code 26 inside the export";
    return {};
  }
  Lignes lignes(texte);
  std::vector<EvenementAttendu> evenements;
  std::vector<std::string> registre = {"0"};
  std::string uid;
  int numero = 0;
  auto debut = [](std::string_view l, std::string_view m) { return l.substr(0, m.size()) == m; };
  do {
    bool presque_fini = false, recurrent = false, uid_propre = false;
    std::vector<std::string> debuts, fins;
    EvenementAttendu modele;
    while (!lignes.Fin()) {
      std::string_view l = lignes.Ligne();
      if (debut(l, "\f")) break;
      if (debut(l, "Subject:")) {
        modele.resumes.push_back(TexteLu(l.substr(8)));
      } else if (debut(l, "Location:")) {
        modele.lieux.push_back(TexteLu(l.substr(9)));
      } else if (debut(l, "$UpdatedBy:") || debut(l, "$Revisions:")) {
        presque_fini = true;
      } else if (l.empty() && presque_fini) {
        std::string corps = lignes.Corps();
        TexteAttendu d;
        for (char c : corps) {
          if (c != '\n' && Controle(static_cast<unsigned char>(c))) d.verifiable = false;
        }
        d.valeur = Utf8DeLatin1(SansBlancs(corps));
        modele.descriptions.push_back(d);
        break;
      } else if (debut(l, "CalendarDateTime:")) {
        if (l.find(',') != std::string_view::npos) recurrent = true;
      } else if (debut(l, "STARTDATETIME:")) {
        if (!LireDates(l.substr(14), &debuts, &recurrent, incertitude)) return {};
      } else if (debut(l, "EndDateTime:")) {
        if (!LireDates(l.substr(12), &fins, &recurrent, incertitude)) return {};
      } else if (debut(l, "ApptUNID:")) {
        uid.clear();
        for (char c : l.substr(9)) {
          if (c != ' ') uid += c;
        }
        if (uid.empty()) uid = "A";
        uid_propre = true;
      } else if (debut(l, "$ICAL_ORIG_STREAM:")) {
        if (!SauterCalendrier(l.substr(18), &lignes)) break;
      }
    }
    if (recurrent && uid_propre) {
      bool trouve = false;
      for (const std::string& s : registre) trouve = trouve || MemeIdentifiant(s, uid);
      if (trouve) continue;
      registre.push_back(uid);
    }
    for (size_t n = 0; n < debuts.size(); ++n) {
      int32_t annee = std::stoi(debuts[n].substr(0, 4));
      if (annee >= annee_limite) continue;
      EvenementAttendu e = modele;
      e.uid = uid + "-" + std::to_string(++numero);
      for (char c : uid) {
        if (c < 33 || c > 126 || c == '\\' || c == ',' || c == ';') e.uid_verifiable = false;
      }
      e.debut = debuts[n];
      if (n < fins.size()) e.fin = fins[n];
      evenements.push_back(e);
    }
  } while ((lignes.SauterBlancs(), !lignes.Fin()));
  return evenements;
}

}  // namespace vellumcast::interop
