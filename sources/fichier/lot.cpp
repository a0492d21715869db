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

// A command of several exports, as it goes: what it works with, the
// results and logs of the exports converted so far, and their count.
class Lot {
 public:
  Lot(const Commande& commande, int repertoire_sortie, Lecteur* entree_std, Console* console,
      Erreurs* erreurs, const Fichiers& f)
      : commande_(commande),
        repertoire_sortie_(repertoire_sortie),
        entree_std_(entree_std),
        console_(console),
        erreurs_(erreurs),
        fichiers_(f) {}

  // One export of the command: opened, checked, converted, and counted.
  void Exporter(const std::string& nom) { Compter(nom, StatutDe(nom)); }
  // The command's status: that of the first export that failed, else 0.
  int statut() const { return statut_; }
  std::string Fin() const { return LigneDeFin(converties_, echecs_, commande_.ligne->silencieux); }

 private:
  // The export's status: its run's, or its open's when it cannot be opened.
  int StatutDe(const std::string& nom);
  // Where the export `entree` has its result written; false when its
  // directory cannot be told, which leaves its run to report it.
  bool Situer(const Entree& entree, Destination* d) const;
  // Runs the export `entree` in a child process and waits for it; returns
  // its status, and keeps how it left its log.
  int Convertir(Entree* entree);
  // The child's side: works where the export's run works, then runs it as a
  // single export would run, and tells the parent through `temoin` how it
  // left the log.
  [[noreturn]] void Enfant(const Entree& entree, int temoin);

  void Compter(const std::string& nom, int code) {
    if (code == kSortieOk) {
      ++converties_;
      return;
    }
    echecs_.push_back(nom);
    if (statut_ == kSortieOk) statut_ = code;
  }
  // Keeps `etat` as the log of its directory, in place of the one before.
  void Laisser(const EtatJournal& etat) {
    std::erase_if(commande_.laisses, [&](const EtatJournal& e) {
      return e.appareil == etat.appareil && e.inode == etat.inode;
    });
    commande_.laisses.push_back(etat);
  }

  Commande commande_;  // its logs left are those of the exports converted so far
  int repertoire_sortie_;
  Lecteur* entree_std_;
  Console* console_;
  Erreurs* erreurs_;
  Fichiers fichiers_;
  std::vector<Destination> resultats_;  // of the exports whose run has started
  size_t converties_ = 0;
  std::vector<std::string> echecs_;
  int statut_ = kSortieOk;
};

int Lot::StatutDe(const std::string& nom) {
  Entree entree;
  if (int erreur = OuvrirExport(nom, erreurs_, &entree); erreur != 0) {
    EcrireSeul(2,
               "vellumcast: cannot open " + Affichable(nom) + ": " + std::strerror(erreur) + "\n");
    return CodeErreur(Operation::kOuverture, erreur);
  }
  Destination d;
  if (Situer(entree, &d)) {
    auto meme = std::find_if(resultats_.begin(), resultats_.end(), [&](const Destination& r) {
      return r.appareil == d.appareil && r.inode == d.inode && r.nom == d.nom;
    });
    if (meme != resultats_.end()) {
      EcrireSeul(2, "vellumcast: " + Affichable(nom) + ": its result would overwrite that of " +
                        Affichable(meme->source) + "\n");
      return kAccesRefuse;
    }
    resultats_.push_back(d);
  }
  return Convertir(&entree);
}

bool Lot::Situer(const Entree& entree, Destination* d) const {
  struct stat st;
  const bool ok = repertoire_sortie_ >= 0 ? ::fstat(repertoire_sortie_, &st) == 0
                  : entree.PATH.empty()   ? ::stat(".", &st) == 0
                                          : ::stat(entree.PATH.c_str(), &st) == 0;
  if (!ok) return false;
  d->appareil = st.st_dev;
  d->inode = st.st_ino;
  // With several names, -o names a directory.
  d->nom = NomResultat(entree.FIC1NAME);
  d->source = entree.donne;
  return true;
}

int Lot::Convertir(Entree* entree) {
  int tube[2];
  if (::pipe2(tube, O_CLOEXEC) != 0) tube[0] = tube[1] = -1;
  // Nothing waiting in a buffer is written twice.
  console_->Transmettre();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (tube[0] >= 0) ::close(tube[0]);
    Enfant(*entree, tube[1]);
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
      Laisser(laisse);
    }
  }
  if (tube[0] >= 0) ::close(tube[0]);
  return code;
}

void Lot::Enfant(const Entree& entree, int temoin) {
  console_->Partager();
  Fichiers f = fichiers_;
  f.temoin = temoin;
  f.export_montre = Affichable(entree.donne) + ": ";
  if (repertoire_sortie_ >= 0 ? ::fchdir(repertoire_sortie_) != 0
                              : !entree.PATH.empty() && ::chdir(entree.PATH.c_str()) != 0) {
    const std::string dossier = repertoire_sortie_ >= 0 ? *commande_.ligne->sortie : entree.PATH;
    ArretErreur(Statut::Fichier(Operation::kOuverture, errno, dossier), f);
  }
  Lecteur* lecteur = entree.fichier ? entree.fichier.get() : entree_std_;
  const int code = ConvertirExport(commande_, entree, lecteur, console_, erreurs_, &f);
  Temoigner(f);
  std::exit(code);
}

}  // namespace

int ConvertirLot(const Commande& commande, int repertoire_sortie, Lecteur* entree_std,
                 Console* console, Erreurs* erreurs, Fichiers* f) {
  Lot lot(commande, repertoire_sortie, entree_std, console, erreurs, *f);
  for (const std::string& nom : commande.ligne->noms) lot.Exporter(nom);
  EcrireSeul(2, lot.Fin());
  return lot.statut();
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
