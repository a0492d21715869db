// The in-memory conversion: its wiring, and what a run left.
#include "banc.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "noms.h"

namespace vellumcast {

namespace {

int Nul() {
  static const int fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  return fd;
}

// A writer appending to `*cible`, or writing to /dev/null.
Ecrivain EcrivainVers(Erreurs* erreurs, const char* nom, std::string* cible, Vers vers) {
  if (vers == Vers::kNul) return Ecrivain(erreurs, nom, Nul(), false);
  return Ecrivain(erreurs, nom, cible);
}

// A descriptor in memory holding `contenu`, read from its start; aborts when
// none can be made, since every caller depends on it.
int Descripteur(std::string_view contenu) {
  int fd = ::memfd_create("entree", MFD_CLOEXEC);
  for (size_t ecrit = 0; fd >= 0 && ecrit < contenu.size();) {
    ssize_t k = ::write(fd, contenu.data() + ecrit, contenu.size() - ecrit);
    if (k <= 0) break;
    ecrit += static_cast<size_t>(k);
  }
  if (fd < 0 || ::lseek(fd, 0, SEEK_CUR) != static_cast<off_t>(contenu.size()) ||
      ::lseek(fd, 0, SEEK_SET) != 0) {
    std::perror("in-memory input file");
    std::abort();
  }
  return fd;
}

}  // namespace

const char* const Banc::kNomResultat = "agenda.ics";

const std::string& Banc::Lu(const char* nom) const {
  static const std::string kRien;
  const std::string* contenu = rep.Contenu(nom);
  return contenu != nullptr ? *contenu : kRien;
}

Banc::Banc(std::string_view entree, Options options, Vers vers)
    : Banc(entree, nullptr, nullptr, options, vers) {}

Banc::Banc(Lecteur* lecteur, Erreurs* erreurs, Options options)
    : Banc({}, lecteur, erreurs, options, Vers::kMemoire) {}

Banc::Banc(std::string_view entree, Lecteur* lecteur, Erreurs* partagees, Options options,
           Vers vers)
    : lecteur_propre_(lecteur != nullptr ? nullptr
                                         : std::make_unique<Lecteur>(&erreurs_propres_, entree)),
      erreurs(partagees != nullptr ? *partagees : erreurs_propres_),
      clavier(&erreurs, ""),
      ecran(EcrivainVers(&erreurs, "", &console_out, vers)),
      console(&clavier, &ecran, false, false),
      rep(vers == Vers::kNul),
      passage(lecteur != nullptr ? lecteur : lecteur_propre_.get(), "agenda.txt", Empreinte(), &rep,
              &console, &erreurs, options),
      source(passage.source()),
      conv(passage.conversion()),
      sonde(&conv) {
  passage.Ouvrir(kNomResultat);
}

Produit Banc::Convertir() {
  passage.Convertir();
  Produit p;
  p.ics = Resultat();
  p.log = Journal();
  ecran.Transmettre();
  p.console = console_out;
  if (const std::string* ical = rep.Contenu(kNomIcal)) p.ical = *ical;
  for (const char* nom : {kNomRdv, kNomDatesDebut, kNomDatesFin, kNomDonnees}) {
    if (rep.Contenu(nom) != nullptr) p.brouillons = true;
  }
  p.lectures = source.lectures();
  p.deborde = sonde.event_buffer().deborde();
  p.echec = erreurs.echec();
  if (p.echec) p.erreur = erreurs.statut().Message();
  return p;
}

const std::string& Banc::Resultat() {
  passage.Transmettre();
  return Lu(kNomResultat);
}

std::string Banc::EventBuffer() {
  size_t avant = Resultat().size();
  sonde.ECRIRE_NEW_RDV();
  return Resultat().substr(avant);
}

const std::string& Banc::Journal() {
  passage.Transmettre();
  return Lu(kNomJournal);
}

std::vector<std::string> Banc::Dates(Liste liste) {
  std::vector<std::string> dates;
  Date d;
  while (liste == Liste::kDebuts ? sonde.NEXT_START_DATE(&d) : sonde.NEXT_END_DATE(&d)) {
    dates.push_back(TexteDate(d));
  }
  return dates;
}

std::string TexteDate(const Date& d) {
  char t[40];
  int n = std::snprintf(t, sizeof t, "%04d%02d%02d", d.annee, d.mois, d.jour);
  if (d.genre == Genre::kHoraire) {
    std::snprintf(t + n, sizeof t - static_cast<size_t>(n), "T%02d%02d%02d", d.heure, d.minute,
                  d.seconde);
  }
  std::string texte(d.calendrier ? "" : "!");
  texte += t;
  for (auto [ordre, nom] : {std::pair{OrdreDates::kJourMois, " dmy"},
                            {OrdreDates::kMoisJour, " mdy"},
                            {OrdreDates::kAnneeMois, " ymd"}}) {
    if ((d.ordres & (1 << static_cast<int>(ordre))) != 0) texte += nom;
  }
  if (!d.Zone().empty()) texte += " [" + std::string(d.Zone()) + "]";
  return texte;
}

Produit Convertir(std::string_view entree, Options options) {
  return Banc(entree, options).Convertir();
}

Produit ConvertirParDescripteur(std::string_view entree, Options options) {
  Erreurs erreurs;
  Lecteur lecteur(&erreurs, "entree", Descripteur(entree), true);
  return Banc(&lecteur, &erreurs, options).Convertir();
}

}  // namespace vellumcast
