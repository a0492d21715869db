// A command of several exports: each opened here, checked against the
// results of those before it, converted by a child process, and counted.
#include "lot.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "affichage.h"
#include "fichiers.h"
#include "repertoire.h"

namespace vellumcast {

namespace {

// Where a result is written: its directory, as the file system knows it,
// and its name there; and the export it comes from, as the user named it.
struct Destination {
  dev_t appareil = 0;
  ino_t inode = 0;
  std::string nom;
  std::string source;
};

// What the command has done so far.
struct Lot {
  std::vector<Destination> resultats;  // of the exports whose run has started
  std::vector<EtatJournal> laisses;    // the logs those runs left
  size_t converties = 0;
  std::vector<std::string> echecs;
  int statut = kSortieOk;

  void Compter(const std::string& nom, int code) {
    if (code == kSortieOk) {
      ++converties;
      return;
    }
    echecs.push_back(nom);
    if (statut == kSortieOk) statut = code;
  }
  // Keeps `etat` as the log of its directory, in place of the one before.
  void Laisser(const EtatJournal& etat) {
    std::erase_if(laisses, [&](const EtatJournal& e) {
      return e.appareil == etat.appareil && e.inode == etat.inode;
    });
    laisses.push_back(etat);
  }
};

// Where the export `entree` has its result written; false when its
// directory cannot be told, which leaves the run to report it.
bool Situer(const Commande& commande, int repertoire_sortie, const Entree& entree, Destination* d) {
  struct stat st;
  const bool ok = repertoire_sortie >= 0 ? ::fstat(repertoire_sortie, &st) == 0
                  : entree.PATH.empty()  ? ::stat(".", &st) == 0
                                         : ::stat(entree.PATH.c_str(), &st) == 0;
  if (!ok) return false;
  d->appareil = st.st_dev;
  d->inode = st.st_ino;
  d->nom = commande.vers_dossier || !commande.ligne->sortie ? NomResultat(entree.FIC1NAME)
                                                            : NomDeBase(*commande.ligne->sortie);
  d->source = entree.donne;
  return true;
}

// The child's side: works where the export's run works, then runs it as a
// single export would run. Never returns.
[[noreturn]] void Enfant(const Commande& commande, int repertoire_sortie, const Entree& entree,
                         Lecteur* lecteur, Console* console, Erreurs* erreurs, Fichiers f) {
  console->Partager();
  f.export_montre = Affichable(entree.donne) + ": ";
  if (repertoire_sortie >= 0 ? ::fchdir(repertoire_sortie) != 0
                             : !entree.PATH.empty() && ::chdir(entree.PATH.c_str()) != 0) {
    const std::string dossier = repertoire_sortie >= 0 ? *commande.ligne->sortie : entree.PATH;
    ArretErreur(Statut::Fichier(Operation::kOuverture, errno, dossier), f);
  }
  const int code = ConvertirExport(commande, entree, lecteur, console, erreurs, &f);
  Temoigner(f);
  std::exit(code);
}

// Runs the export `entree` in a child process and waits for it; returns its
// status, and keeps how it left its log.
int Convertir(Commande commande, int repertoire_sortie, Entree* entree, Lecteur* entree_std,
              Console* console, Erreurs* erreurs, const Fichiers& f, Lot* lot) {
  int tube[2];
  if (::pipe2(tube, O_CLOEXEC) != 0) tube[0] = tube[1] = -1;
  // Nothing waiting in a buffer is written twice.
  console->Vider();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (tube[0] >= 0) ::close(tube[0]);
    Fichiers enfant = f;
    enfant.temoin = tube[1];
    commande.laisses = lot->laisses;
    Lecteur* lecteur = entree->fichier ? entree->fichier.get() : entree_std;
    Enfant(commande, repertoire_sortie, *entree, lecteur, console, erreurs, enfant);
  }
  if (tube[1] >= 0) ::close(tube[1]);
  // The child has its own copy of the input; this one is closed.
  entree->fichier.reset();
  int code = kAccesRefuse;
  if (pid < 0) {
    EcrireSeul(2, "vellumcast: " + Affichable(entree->donne) +
                      ": cannot start its conversion: " + std::strerror(errno) + "\n");
  } else {
    int etat = 0;
    while (::waitpid(pid, &etat, 0) < 0 && errno == EINTR) {
    }
    // A run that a signal ended counts as a shell counts it.
    code = WIFEXITED(etat) ? WEXITSTATUS(etat) : 128 + WTERMSIG(etat);
    EtatJournal laisse;
    if (tube[0] >= 0 && ::read(tube[0], &laisse, sizeof laisse) == sizeof laisse) {
      lot->Laisser(laisse);
    }
  }
  if (tube[0] >= 0) ::close(tube[0]);
  return code;
}

// One export of the command: opened, checked, converted; its status.
int UnExport(const std::string& nom, const Commande& commande, int repertoire_sortie,
             Lecteur* entree_std, Console* console, Erreurs* erreurs, const Fichiers& f, Lot* lot) {
  Entree entree;
  if (int erreur = OuvrirExport(nom, erreurs, &entree); erreur != 0) {
    EcrireSeul(2,
               "vellumcast: cannot open " + Affichable(nom) + ": " + std::strerror(erreur) + "\n");
    return CodeErreur(Operation::kOuverture, erreur);
  }
  Destination d;
  if (Situer(commande, repertoire_sortie, entree, &d)) {
    auto meme = std::find_if(lot->resultats.begin(), lot->resultats.end(), [&](const auto& r) {
      return r.appareil == d.appareil && r.inode == d.inode && r.nom == d.nom;
    });
    if (meme != lot->resultats.end()) {
      EcrireSeul(2, "vellumcast: " + Affichable(nom) + ": its result would overwrite that of " +
                        Affichable(meme->source) + "\n");
      return kAccesRefuse;
    }
    lot->resultats.push_back(d);
  }
  return Convertir(commande, repertoire_sortie, &entree, entree_std, console, erreurs, f, lot);
}

}  // namespace

int ConvertirLot(const Commande& commande, int repertoire_sortie, Lecteur* entree_std,
                 Console* console, Erreurs* erreurs, Fichiers* f) {
  Lot lot;
  for (const std::string& nom : commande.ligne->noms) {
    lot.Compter(nom,
                UnExport(nom, commande, repertoire_sortie, entree_std, console, erreurs, *f, &lot));
  }
  EcrireSeul(2, LigneDeFin(lot.converties, lot.echecs, commande.ligne->silencieux));
  return lot.statut;
}

std::string LigneDeFin(size_t converties, const std::vector<std::string>& echecs, bool silencieux) {
  if (echecs.empty() && silencieux) return {};
  std::string ligne = "vellumcast: " + std::to_string(converties) +
                      (converties == 1 ? " export converted" : " exports converted");
  if (!echecs.empty()) {
    ligne += ", " + std::to_string(echecs.size()) + " failed: ";
    for (size_t k = 0; k < echecs.size(); ++k) {
      ligne += (k == 0 ? "" : ", ") + Affichable(echecs[k]);
    }
  }
  return ligne + "\n";
}

}  // namespace vellumcast
