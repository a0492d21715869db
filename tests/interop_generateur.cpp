#include "interop_generateur.h"

#include <array>
#include <string_view>

namespace vellumcast::interop {

namespace {

// Words of subjects, locations and bodies, in ISO 8859-1: accents, the three
// characters iCalendar escapes, a colon, quotes and signs.
constexpr std::array<std::string_view, 24> kMots = {
    "r\xe9union",
    "budget",
    "\xe9quipe",
    "No\xebl",
    "caf\xe9",
    "C:\\temp",
    "a,b",
    "x;y",
    "\xfc"
    "ber",
    "na\xefve",
    "se\xf1or",
    "\xc6\xd8\xc5",
    "50%",
    "\"cit\xe9\"",
    "12:30",
    "\xbdh",
    "\xa9 2009",
    "\xbfqu\xe9?",
    "Stra\xdf"
    "e",
    "\xa3"
    "5",
    "\\\\srv\\d",
    "un;deux,trois",
    "Lyon",
    "salle",
};

class Hasard {
 public:
  explicit Hasard(uint32_t graine) : etat_(graine * 2654435761u + 1) {}
  uint32_t Suivant() {
    etat_ ^= etat_ << 13;
    etat_ ^= etat_ >> 17;
    etat_ ^= etat_ << 5;
    return etat_;
  }
  int Entre(int bas, int haut) { return bas + static_cast<int>(Suivant() % (haut - bas + 1)); }
  bool Sur(int pourcent) { return Entre(1, 100) <= pourcent; }

 private:
  uint32_t etat_;
};

std::string Phrase(Hasard* h, int mots_min, int mots_max) {
  std::string p;
  for (int n = h->Entre(mots_min, mots_max); n > 0; --n) {
    if (!p.empty()) p += ' ';
    p += kMots[h->Suivant() % kMots.size()];
  }
  return p;
}

struct Date {
  std::string texte;  // as the export writes it
  std::string lue;    // yyyymmddThhmmss
  int annee;
};

// `n` on two figures at least. Built by appending: prefixing a temporary
// string trips a false -Wrestrict warning in optimised builds.
std::string Deux(int n) {
  std::string s = n < 10 ? "0" : "";
  s += std::to_string(n);
  return s;
}

Date TirerDate(Hasard* h) {
  int jour = h->Entre(1, 28), mois = h->Entre(1, 12), annee = h->Entre(2005, 2019);
  int heure = h->Entre(0, 23), minute = h->Entre(0, 59), seconde = h->Entre(0, 59);
  Date d;
  d.annee = annee;
  bool court = h->Sur(30);  // "1/2/2009 9:30" rather than "01/02/2009 09:30:15"
  d.texte = (court ? std::to_string(jour) : Deux(jour)) + "/" +
            (court ? std::to_string(mois) : Deux(mois)) + "/" + std::to_string(annee) + " " +
            (court ? std::to_string(heure) : Deux(heure)) + ":" + Deux(minute);
  if (!court) {
    d.texte += ':';
    d.texte += Deux(seconde);
  }
  d.lue = std::to_string(annee) + Deux(mois) + Deux(jour) + "T" + Deux(heure) + Deux(minute) +
          (court ? "00" : Deux(seconde));
  return d;
}

std::string Liste(const std::vector<Date>& dates, bool virgules) {
  std::string l;
  for (const Date& d : dates) {
    if (!l.empty()) l += virgules ? ", " : "  ";
    l += d.texte;
  }
  return l;
}

// A document already written, kept so that a later one can repeat it.
struct Recurrent {
  std::string uid;
  std::string texte;
};

}  // namespace

ExportGenere GenererExport(uint32_t graine, int documents, int32_t annee_limite) {
  Hasard h(graine);
  ExportGenere g;
  std::vector<Recurrent> recurrents;
  int numero = 0;
  for (int doc = 0; doc < documents; ++doc) {
    // A recurring document repeated later, its identifier in other capitals:
    // it gives no event.
    if (!recurrents.empty() && h.Sur(10)) {
      const Recurrent& r = recurrents[h.Suivant() % recurrents.size()];
      std::string autre;
      for (char c : r.uid) autre += c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
      g.texte += "ApptUNID:" + autre + "\r\n" + r.texte;
      continue;
    }
    std::string uid = "Gen" + std::to_string(graine) + "x" + std::to_string(doc) + "-" +
                      std::string(1, static_cast<char>('A' + h.Entre(0, 25)));
    const bool recurrent = h.Sur(30);
    std::vector<Date> debuts, fins;
    // Only a comma between dates makes a document recurring: it needs two.
    for (int n = recurrent ? h.Entre(2, 4) : h.Entre(1, 2); n > 0; --n) {
      Date d = TirerDate(&h);
      debuts.push_back(d);
      Date f = d;
      f.texte = d.texte.substr(0, d.texte.find(' ')) + " 23:59:59";
      f.lue = d.lue.substr(0, 9) + "235959";
      fins.push_back(f);
    }
    // Some documents give fewer end dates than start dates, or none.
    if (h.Sur(15)) fins.resize(h.Entre(0, static_cast<int>(fins.size()) - 1));

    EvenementAttendu modele;
    std::string corps_doc;
    corps_doc += "$MessageID:<" + std::to_string(doc) + "@export>\r\n";
    std::string sujet = Phrase(&h, 1, 14);
    if (h.Sur(3)) sujet += "\tsuite";  // a control byte: only its presence is checked
    corps_doc += "Subject:" + std::string(h.Entre(0, 2), ' ') + sujet + "\r\n";
    modele.resumes.push_back(TexteLu(sujet));
    corps_doc += "From:CN=Someone/O=Org\r\n";
    if (h.Sur(60)) {
      std::string lieu = Phrase(&h, 1, 8);
      corps_doc += "Location:" + lieu + "\r\n";
      modele.lieux.push_back(TexteLu(lieu));
    }
    corps_doc += "$PublicAccess:" + std::string(h.Sur(50) ? "1" : "0") + "\r\n";
    corps_doc += "CalendarDateTime:" + Liste(debuts, recurrent) + "\r\n";
    corps_doc += "STARTDATETIME:" + Liste(debuts, recurrent) + "\r\n";
    if (!fins.empty() || h.Sur(50)) corps_doc += "EndDateTime:" + Liste(fins, recurrent) + "\r\n";
    if (h.Sur(10)) {
      corps_doc +=
          "$ICAL_ORIG_STREAM:BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\n"
          "Subject:not an item\r\nSTARTDATETIME:01/01/2001 10:00:00\r\nEND:VEVENT\r\n"
          "END:VCALENDAR\r\n";
    }
    corps_doc += "$UpdatedBy:CN=Someone/O=Org\r\n\r\n";
    std::string corps;
    for (int n = h.Entre(1, 4); n > 0; --n) {
      std::string ligne = Phrase(&h, 1, 10);
      corps_doc += ligne + "\r\n";
      corps += ligne + "\n";
    }
    if (h.Sur(20)) {
      // The form feed inside the last line: its tail is dropped.
      std::string fin = Phrase(&h, 1, 3);
      corps_doc += fin + "\f dropped tail\r\n";
      corps += fin;
    } else {
      corps_doc += "\f\r\n";
    }
    TexteAttendu description;
    description.valeur = Utf8DeLatin1(corps);
    modele.descriptions.push_back(description);
    if (h.Sur(20)) corps_doc += "  \r\n\r\n";  // blanks and empty lines between documents

    g.texte += "ApptUNID:" + uid.substr(0, 4) + " " + uid.substr(4) + "\r\n" + corps_doc;
    if (recurrent) recurrents.push_back({uid, corps_doc});
    for (size_t n = 0; n < debuts.size(); ++n) {
      if (debuts[n].annee >= annee_limite) continue;
      EvenementAttendu e = modele;
      e.uid = uid + "-" + std::to_string(++numero);
      e.debut = debuts[n].lue;
      if (n < fins.size()) e.fin = fins[n].lue;
      g.attendus.push_back(e);
    }
  }
  return g;
}

}  // namespace vellumcast::interop
