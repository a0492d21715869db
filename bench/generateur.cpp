#include "generateur.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

namespace vellumcast::banc {

namespace {

uint64_t Melanger(uint64_t a, uint64_t b) {
  Alea r(a * 0x2545F4914F6CDD1Dull ^ b);
  return r.Suivant();
}

// The word lists are written here in UTF-8 and turned into ISO 8859-1 once.
std::string Latin1(std::string_view utf8) {
  std::string r;
  for (size_t i = 0; i < utf8.size(); ++i) {
    auto c = static_cast<unsigned char>(utf8[i]);
    if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
      auto suite = static_cast<unsigned char>(utf8[++i]);
      r.push_back(static_cast<char>(c == 0xC2 ? suite : suite + 64));
    } else {
      r.push_back(static_cast<char>(c));
    }
  }
  return r;
}

std::vector<std::string> Liste(std::initializer_list<std::string_view> mots) {
  std::vector<std::string> r;
  for (std::string_view m : mots) r.push_back(Latin1(m));
  return r;
}

struct Vocabulaire {
  std::vector<std::string> sujets = Liste({"Réunion d'équipe",
                                           "Point hebdomadaire",
                                           "Comité de direction",
                                           "Revue de projet",
                                           "Déjeuner avec le client",
                                           "Formation sécurité",
                                           "Entretien annuel",
                                           "Séminaire stratégie",
                                           "Présentation budgétaire, exercice suivant",
                                           "Visite du site de Lyon",
                                           "Conférence téléphonique; ordre du jour joint",
                                           "Rendez-vous médecin du travail",
                                           "Atelier qualité",
                                           "Préparation du salon",
                                           "Bilan trimestriel des ventes, région Île-de-France",
                                           "Audit interne",
                                           "Pot de départ de François",
                                           "Réunion syndicale",
                                           "Démonstration produit",
                                           "Clôture comptable"});
  std::vector<std::string> complements = Liste(
      {"", "", "", " (reporté)", " - suite", ", salle à confirmer", " avec Mme Lefèvre",
       " : décisions à prendre", " n°2", " et points divers, tour de table, questions ouvertes"});
  std::vector<std::string> lieux =
      Liste({"Salle Mozart", "Bâtiment B, 2e étage", "Salle de réunion 3", "Bureau du directeur",
             "Cafétéria", "Visioconférence", "Siège social, Paris", "Agence de Nantes",
             "Amphithéâtre", "Salle Émile Zola", "Extérieur"});
  std::vector<std::string> personnes =
      Liste({"Jean Dupont", "Marie Lefèvre", "François Müller", "Hélène Garçon", "Pierre Martin",
             "Sophie Bernard", "Jérôme Dubois", "Agnès Thévenin", "Loïc Le Goff", "Céline Roux"});
  std::vector<std::string> services = Liste(
      {"Direction", "Comptabilité", "Informatique", "Ressources humaines", "Ventes", "Qualité"});
  std::vector<std::string> mots = Liste(
      {"le",     "la",         "les",          "des",       "une",      "nous",    "réunion",
       "projet", "équipe",     "client",       "budget",    "décision", "prévoir", "présenter",
       "à",      "été",        "déjà",         "où",        "ordre",    "du",      "jour",
       "suivi",  "après-midi", "matinée",      "reçu",      "côté",     "être",    "français",
       "délai",  "coût",       "prochain",     "rapport,",  "voir",     "pièce",   "jointe;",
       "merci",  "d'avance",   "cordialement", "échéance",  "Noël",     "intérêt", "garçon",
       "hôtel",  "naïf",       "oeuvre",       "caractère", "planning", "agenda"});
  std::vector<std::string> chemins =
      Liste({"\\\\serveur\\partage\\compte-rendu.doc", "C:\\Documents\\réunion.ppt",
             "\\\\nas01\\projets\\budget 2009.xls"});
};

const Vocabulaire& Vocab() {
  static const Vocabulaire v;
  return v;
}

template <typename T>
const T& Choisir(Alea& r, const std::vector<T>& v) {
  return v[r.Moins(v.size())];
}

// Days since 1970-01-01 to a civil date.
void DateCivile(int64_t jours, int* a, int* m, int* j) {
  jours += 719468;
  int64_t ere = (jours >= 0 ? jours : jours - 146096) / 146097;
  auto jde = static_cast<unsigned>(jours - ere * 146097);
  unsigned ade = (jde - jde / 1460 + jde / 36524 - jde / 146096) / 365;
  unsigned jda = jde - (365 * ade + ade / 4 - ade / 100);
  unsigned mp = (5 * jda + 2) / 153;
  *j = static_cast<int>(jda - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *a = static_cast<int>(static_cast<int64_t>(ade) + ere * 400 + (*m <= 2 ? 1 : 0));
}

// "dd/mm/yyyy hh:mm:ss"
void AjouterDate(std::string* s, int64_t jours, int heure, int minute) {
  int a, m, j;
  DateCivile(jours, &a, &m, &j);
  char t[64];
  std::snprintf(t, sizeof t, "%02d/%02d/%04d %02d:%02d:00", j, m, a, heure, minute);
  *s += t;
}

void AjouterListe(std::string* s, std::string_view nom, const std::vector<int64_t>& jours,
                  int heure, int minute) {
  *s += nom;
  *s += ' ';
  for (size_t k = 0; k < jours.size(); ++k) {
    if (k > 0) *s += ", ";
    AjouterDate(s, jours[k], heure, minute);
  }
  *s += "\r\n";
}

std::string Identifiant(uint64_t h) {
  char t[40];
  std::snprintf(t, sizeof t, "%016llX%016llX", static_cast<unsigned long long>(h),
                static_cast<unsigned long long>(Melanger(h, 7)));
  return t;
}

std::string Nom(Alea& r) {
  const Vocabulaire& v = Vocab();
  return "CN=" + Choisir(r, v.personnes) + "/OU=" + Choisir(r, v.services) + "/O=Acme";
}

// The dates of one document: one, or 2 to 20 for a recurring one; all before
// 2012 or all after, as drawn.
std::vector<int64_t> Jours(Alea& r, bool recurrent, bool avant) {
  // 1998-01-01 is day 10227, 2011-01-01 is day 14975, 2012-01-01 is 15340.
  int64_t debut = avant ? 10227 + static_cast<int64_t>(r.Moins(14975 - 10227))
                        : 15340 + static_cast<int64_t>(r.Moins(13 * 365));
  // Short series are the most common.
  int n = recurrent ? r.Entre(2, r.Entre(2, 20)) : 1;
  int pas = r.Chance(0.7) ? 7 : 1;
  std::vector<int64_t> jours;
  for (int k = 0; k < n; ++k) jours.push_back(debut + k * pas);
  return jours;
}

// Days since 1970-01-01 to the first of January of `annee`.
int64_t PremierJanvier(int annee) {
  const int64_t a = annee - 1;
  const int64_t ere = (a >= 0 ? a : a - 399) / 400;
  const int64_t annee_ere = a - ere * 400;
  // The first of January is day 306 of a year counted from March.
  return ere * 146097 + annee_ere * 365 + annee_ere / 4 - annee_ere / 100 + 306 - 719468;
}

// The dates of one document drawn within the years of `p`, the whole series
// inside them: one, or 2 to 20 for a recurring one.
std::vector<int64_t> JoursDansLesAnnees(Alea& r, bool recurrent, const ParametresExport& p) {
  int n = recurrent ? r.Entre(2, r.Entre(2, 20)) : 1;
  int pas = r.Chance(0.7) ? 7 : 1;
  const int64_t premier = PremierJanvier(p.annee_min);
  const int64_t places = PremierJanvier(p.annee_max + 1) - premier - int64_t{n - 1} * pas;
  const int64_t debut = premier + static_cast<int64_t>(r.Moins(std::max<int64_t>(places, 1)));
  std::vector<int64_t> jours;
  for (int k = 0; k < n; ++k) jours.push_back(debut + k * pas);
  return jours;
}

// Whether the day is the last Sunday of March or of October, when summer
// time starts or ends.
bool DimancheDeChangement(int64_t jours) {
  int a, m, j;
  DateCivile(jours, &a, &m, &j);
  const bool dimanche = ((jours + 4) % 7 + 7) % 7 == 0;  // 1970-01-01 was a Thursday
  return dimanche && (m == 3 || m == 10) && j > 31 - 7;
}

// A start time anywhere in the day whose end, an hour later, is the same
// day; with `hors_changements`, none from 00:00 to 03:59 on a day of
// `jours` that is a change day, so that neither start nor end falls from
// 01:00 to 03:59.
void HeureDuJour(Alea& r, const std::vector<int64_t>& jours, bool hors_changements, int* heure,
                 int* minute) {
  const bool changement =
      hors_changements && std::any_of(jours.begin(), jours.end(), DimancheDeChangement);
  do {
    *heure = r.Entre(0, 22);
  } while (changement && *heure <= 3);
  *minute = r.Entre(0, 59);
}

void Corps(Alea& r, std::string* s, int lignes_min, int lignes_max) {
  const Vocabulaire& v = Vocab();
  int lignes = r.Entre(lignes_min, lignes_max);
  for (int l = 0; l < lignes; ++l) {
    size_t longueur = static_cast<size_t>(r.Entre(20, 75));
    size_t debut = s->size();
    bool premier = true;
    while (s->size() - debut < longueur) {
      if (!premier) *s += ' ';
      premier = false;
      *s += r.Chance(0.01) ? Choisir(r, v.chemins) : Choisir(r, v.mots);
    }
    *s += r.Chance(0.5) ? "." : "";
    *s += "\r\n";
  }
}

// "yyyymmddThhmmss"
void AjouterDateIcal(std::string* s, int64_t jours, int heure, int minute) {
  int a, m, j;
  DateCivile(jours, &a, &m, &j);
  char t[32];
  std::snprintf(t, sizeof t, "%04d%02d%02dT%02d%02d00", a, m, j, heure, minute);
  *s += t;
}

// The calendar an export embeds beside an appointment: its time zone, then
// the appointment as one event, each line ended by CR LF.
void CalendrierEmbarque(Alea& r, const std::string& uid, const std::vector<int64_t>& jours,
                        int heure, int minute, std::string* s) {
  const Vocabulaire& v = Vocab();
  *s += "$ICAL_ORIG_STREAM: BEGIN:VCALENDAR\r\n";
  *s += "VERSION:2.0\r\nPRODID:-//Acme//Agenda 2//EN\r\n";
  *s += "METHOD:PUBLISH\r\nBEGIN:VTIMEZONE\r\nTZID:Romance\r\n";
  *s += "BEGIN:STANDARD\r\nDTSTART:19501029T020000\r\nTZOFFSETFROM:+0200\r\n";
  *s += "TZOFFSETTO:+0100\r\nRRULE:FREQ=YEARLY;BYMINUTE=0;BYHOUR=2;BYDAY=-1SU;BYMONTH=10\r\n";
  *s += "END:STANDARD\r\nBEGIN:DAYLIGHT\r\nDTSTART:19500326T020000\r\nTZOFFSETFROM:+0100\r\n";
  *s += "TZOFFSETTO:+0200\r\nRRULE:FREQ=YEARLY;BYMINUTE=0;BYHOUR=2;BYDAY=-1SU;BYMONTH=3\r\n";
  *s += "END:DAYLIGHT\r\nEND:VTIMEZONE\r\nBEGIN:VEVENT\r\n";
  *s += "DTSTART;TZID=\"Romance\":";
  AjouterDateIcal(s, jours.front(), heure, minute);
  *s += "\r\nDTEND;TZID=\"Romance\":";
  AjouterDateIcal(s, jours.front(), heure + 1, minute);
  *s += "\r\nTRANSP:OPAQUE\r\nDTSTAMP:";
  AjouterDateIcal(s, jours.front() - 1, 9, 0);
  *s += "Z\r\nSEQUENCE:" + std::to_string(r.Entre(0, 3)) + "\r\n";
  *s += "ATTENDEE;ROLE=CHAIR;PARTSTAT=ACCEPTED;CN=\"" + Choisir(r, v.personnes) +
        "\";RSVP=FALSE:\r\n mailto:organisateur@acme.example\r\n";
  *s += "CLASS:PUBLIC\r\nSUMMARY:" + Choisir(r, v.sujets) + "\r\n";
  *s += "LOCATION:" + Choisir(r, v.lieux) + "\r\n";
  *s += "ORGANIZER;CN=\"" + Choisir(r, v.personnes) + "\":mailto:organisateur@acme.example\r\n";
  *s += "UID:" + uid + "\r\n";
  *s += "X-ACME-BROADCAST:FALSE\r\nX-ACME-UPDATE-SEQ:1\r\nX-ACME-NOTICETYPE:0\r\n";
  *s += "X-ACME-APPTTYPE:" + std::string(jours.size() > 1 ? "3" : "0") + "\r\n";
  *s += "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

void DocumentRealiste(Alea& r, const ParametresExport& p, const std::string& uid, bool recurrent,
                      bool avant, bool ical, std::string* s) {
  const Vocabulaire& v = Vocab();
  std::vector<int64_t> jours;
  int heure, minute;
  if (p.annee_max != 0) {
    jours = JoursDansLesAnnees(r, recurrent, p);
    HeureDuJour(r, jours, p.hors_changements, &heure, &minute);
  } else {
    jours = Jours(r, recurrent, avant);
    heure = r.Entre(7, 18);
    minute = r.Chance(0.5) ? 0 : 30;
  }
  *s += "Form: Appointment\r\n";
  *s += "$Alarm: " + std::to_string(r.Entre(0, 1)) + "\r\n";
  *s += "$AlarmOffset: -" + std::to_string(r.Entre(1, 6) * 5) + "\r\n";
  *s += "Subject: " + Choisir(r, v.sujets) + Choisir(r, v.complements) + "\r\n";
  if (r.Chance(0.7)) *s += "Location: " + Choisir(r, v.lieux) + "\r\n";
  *s += "AppointmentType: " + std::string(recurrent ? "3" : "0") + "\r\n";
  *s += "$PublicAccess: " + std::to_string(r.Entre(0, 1)) + "\r\n";
  AjouterListe(s, "CalendarDateTime:", jours, heure, minute);
  AjouterListe(s, "STARTDATETIME:", jours, heure, minute);
  AjouterListe(s, "EndDateTime:", jours, heure + 1, minute);
  *s += "StartTimeZone: Z=-1$DO=1$DL=3 -1 1 10 -1 1$ZX=6$ZN=Romance\r\n";
  *s += "EndTimeZone: Z=-1$DO=1$DL=3 -1 1 10 -1 1$ZX=6$ZN=Romance\r\n";
  *s += "ApptUNID: " + uid + "\r\n";
  // A long list of attendees wraps over continuation lines, as exports do.
  *s += "RequiredAttendees: " + Nom(r);
  int invites = r.Entre(0, 2);
  for (int k = 0; k < invites; ++k) *s += (k % 2 == 0 ? ",\r\n  " : ", ") + Nom(r);
  *s += "\r\n";
  *s += "$BusyName: " + Nom(r) + "\r\n";
  *s += "$BusyPriority: 1\r\n";
  *s += "SequenceNum: " + std::to_string(r.Entre(1, 4)) + "\r\n";
  *s += "OrgTable: C0\r\n";
  *s += "$CSVersion: 2\r\n";
  if (r.Chance(0.3)) *s += "Categories: " + Choisir(r, v.services) + "\r\n";
  if (ical) CalendrierEmbarque(r, uid, jours, heure, minute, s);
  *s += "$NoPurge: ";
  AjouterDate(s, jours.back() + 30, 0, 0);
  *s += "\r\n";
  *s += "$Revisions: ";
  AjouterDate(s, jours.front() - r.Entre(1, 60), r.Entre(8, 17), r.Entre(0, 59));
  *s += "\r\n";
  *s += "$UpdatedBy: " + Nom(r) + "\r\n";
  *s += "\r\n";
  Corps(r, s, 2, 5);
  *s += "\f\r\n";
}

void DocumentPetit(Alea& r, const ParametresExport& p, const std::string& uid, bool recurrent,
                   bool avant, std::string* s) {
  std::vector<int64_t> jours =
      p.annee_max != 0 ? JoursDansLesAnnees(r, recurrent, p) : Jours(r, recurrent, avant);
  jours.resize(std::min<size_t>(jours.size(), 2));
  int heure = 9, minute = 0;
  if (p.annee_max != 0) HeureDuJour(r, jours, p.hors_changements, &heure, &minute);
  *s += "Subject: Point rapide\r\n";
  AjouterListe(s, "STARTDATETIME:", jours, heure, minute);
  *s += "ApptUNID: " + uid + "\r\n";
  *s += "$UpdatedBy: CN=A\r\n\r\nTexte.\r\n\f\r\n";
}

constexpr uint64_t kRecurrentsMax = 3000;

}  // namespace

void GenererExport(const ParametresExport& p, const std::function<void(std::string_view)>& ecrire) {
  uint64_t recurrents = p.recurrents;
  if (recurrents == 0) {
    recurrents = std::clamp<uint64_t>(
        static_cast<uint64_t>(static_cast<double>(p.documents) * p.part_recurrents / 10), 1,
        kRecurrentsMax);
  }
  Alea tirage(p.graine);
  // Drawn apart, so that the share of embedded calendars leaves every other
  // byte of the export as it is.
  Alea calendriers(Melanger(p.graine, 0x1CA1));
  std::string s;
  for (uint64_t d = 0; d < p.documents; ++d) {
    bool recurrent = tirage.Chance(p.part_recurrents);
    // A recurring appointment is written the same each time it comes back.
    uint64_t cle =
        recurrent ? Melanger(p.graine, tirage.Moins(recurrents)) : Melanger(p.graine ^ 0x5555, d);
    Alea r(cle);
    bool avant = r.Chance(p.avant_2012);
    bool ical = calendriers.Chance(p.part_ical);
    std::string uid = Identifiant(cle);
    if (p.petits) {
      DocumentPetit(r, p, uid, recurrent, avant, &s);
    } else {
      DocumentRealiste(r, p, uid, recurrent, avant, ical, &s);
    }
    if (s.size() >= (1 << 20)) {
      ecrire(s);
      s.clear();
    }
  }
  ecrire(s);
}

std::string ExportEnMemoire(const ParametresExport& p) {
  std::string tout;
  GenererExport(p, [&](std::string_view morceau) { tout.append(morceau); });
  return tout;
}

}  // namespace vellumcast::banc
