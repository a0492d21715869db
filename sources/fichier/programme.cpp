// Start-up, the run over real files, its summary and the run-time error stop.
#include "programme.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "affichage.h"
#include "chaines.h"
#include "collisions.h"
#include "console.h"
#include "fichiers.h"
#include "flux.h"
#include "noms.h"
#include "options.h"
#include "trace.h"
#include "vellumcast.h"
#include "zone_machine.h"

namespace vellumcast {

namespace {

// Standard descriptors closed at start are opened on /dev/null, so that no
// file the program opens takes their place.
void OuvrirDescripteursStandard() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      int n = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
      if (n >= 0 && n != fd) {
        ::dup2(n, fd);
        ::close(n);
      }
    }
  }
}

// Everything the run has open, for the stop to flush.
struct Fichiers {
  Console* console = nullptr;
  Ecrivain* erreur = nullptr;  // standard error, when it is not standard output's file
  Ecrivain* journal = nullptr;
  Ecrivain* resultat = nullptr;
  Conversion* conversion = nullptr;
  // When the run works beside the input without -o: the result's name, and
  // the line that points to -o when a file cannot be created there.
  std::string nom_resultat;
  std::string conseil;
};

// Writes `texte` to descriptor `fd` alone, before any console is set up.
// False when the write failed.
bool EcrireSeul(int fd, std::string_view texte) {
  Erreurs erreurs;
  Ecrivain ecrivain(&erreurs, "", fd, false);
  ecrivain.Ecrire(texte);
  return ecrivain.Vider();
}

// Whether `statut` says that a file the run creates beside the input could
// not be, because the place is read-only or not the user's: what -o avoids.
bool CreationRefusee(const Statut& statut, const std::string& nom_resultat) {
  const int e = statut.systeme();
  const std::string& nom = statut.nom();
  return statut.code() == kAccesRefuse && (e == EROFS || e == EACCES || e == EPERM) &&
         (nom == kNomJournal || nom == kNomIcal || nom == nom_resultat);
}

// The line that points to -o, with the command for the input `donne`, named
// as the user gave it, and the result `nom_resultat`.
std::string ConseilSortie(const std::string& donne, const std::string& nom_resultat) {
  const std::string entree = MotShell(donne);
  const std::string sortie = "~/" + MotShell(nom_resultat);
  // A name that starts with "-" comes after "--".
  const std::string commande = donne[0] == '-' ? "vellumcast -o " + sortie + " -- " + entree
                                               : "vellumcast " + entree + " -o " + sortie;
  return "vellumcast: cannot write beside the export: write the result elsewhere with -o FILE, "
         "as in: " +
         Affichable(commande) + "\n";
}

// The run-time error stop: flushes the result file and the trace log, writes
// the captured event, then "Runtime error N" (and the file's name) on
// standard output, and ends with status N.
[[noreturn]] void ArretErreur(const Statut& statut, const Fichiers& f) {
  if (f.resultat != nullptr) f.resultat->Vider();
  if (f.journal != nullptr) f.journal->Vider();
  if (f.conversion != nullptr) f.conversion->EcrireCapture();
  f.console->Vider();
  f.console->Erreur(statut.Message());
  f.console->Terminer();
  // Where the user sees it when standard output goes elsewhere.
  if (f.erreur != nullptr) {
    f.erreur->Ecrire("vellumcast: " + Affichable(statut.Mots()) + "\n");
    f.erreur->Vider();
  }
  if (!f.conseil.empty() && CreationRefusee(statut, f.nom_resultat)) EcrireSeul(2, f.conseil);
  std::exit(statut.code());
}

// Whether descriptors 1 and 2 write the same file.
bool MemeFichier() {
  struct stat un, deux;
  return ::fstat(1, &un) == 0 && ::fstat(2, &deux) == 0 && un.st_dev == deux.st_dev &&
         un.st_ino == deux.st_ino;
}

// The directory the run works in when the result goes to `sortie`: opened
// before the input's directory becomes the working one, so that a name
// relative to where the program started still holds. -1 and `*statut` when
// it cannot be opened.
int RepertoireDeSortie(const std::string& sortie, Statut* statut) {
  size_t barre = sortie.rfind('/');
  std::string dossier = barre == std::string::npos ? "." : sortie.substr(0, barre + 1);
  int fd = ::open(dossier.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) *statut = Statut::Fichier(Operation::kOuverture, errno, dossier);
  return fd;
}

// Creates (or empties) `nom` for writing.
Statut Creer(const std::string& nom, Erreurs* erreurs, std::unique_ptr<Ecrivain>* ecrivain) {
  int fd = -1;
  Statut statut = OuvrirEnEcriture(nom, O_CREAT | O_TRUNC, &fd);
  if (statut.ok()) *ecrivain = std::make_unique<Ecrivain>(erreurs, nom, fd, true);
  return statut;
}

// Creates the trace log, or opens it without emptying it, and empties it only
// once this run holds it alone: a run that finds another run holding it stops
// before it has written or erased anything. The lock lasts until the process
// ends, on a descriptor of its own that outlives the log's close at the stop,
// so that no other run starts before the result is complete.
Statut CreerJournal(Erreurs* erreurs, std::unique_ptr<Ecrivain>* journal) {
  int fd = -1;
  Statut statut = OuvrirEnEcriture(kNomJournal, O_CREAT, &fd);
  if (!statut.ok()) return statut;
  // A file system that cannot lock at all leaves the run unguarded, not stopped.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    ::close(fd);
    return Statut::FichierCode(kAccesRefuse, kNomJournal).Raison("in use by another run");
  }
  // Never closed: this copy holds the lock until the process ends.
  ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (::ftruncate(fd, 0) != 0) {
    statut = Statut::Fichier(Operation::kOuverture, errno, kNomJournal);
    ::close(fd);
    return statut;
  }
  *journal = std::make_unique<Ecrivain>(erreurs, kNomJournal, fd, true);
  return Statut();
}

// The usage error `erreur` on standard error; the argument it quotes is
// already shown as names are.
void SignalerUsage(const std::string& erreur) {
  EcrireSeul(2, "vellumcast: " + erreur + "\nTry 'vellumcast --help'.\n");
}

// The status of a complete run: 1, and why on standard error, when the input
// changed while it was read.
int Fin(bool changee, const Entree& entree) {
  if (!changee) return kSortieOk;
  const std::string nom = entree.fichier ? entree.FIC1NAME : kNomEntreeStandard;
  EcrireSeul(2, "vellumcast: " + Affichable(nom) +
                    " changed while it was read: the result may be incomplete; convert it again\n");
  return kEntreeModifiee;
}

// What the command line settles alone: a usage error, the help or the
// version, with the program's status; none when a run is asked for.
std::optional<int> SansConversion(const LigneDeCommande& ligne) {
  if (!ligne.erreur.empty()) {
    SignalerUsage(ligne.erreur);
    return kUsage;
  }
  if (ligne.aide || ligne.version) {
    if (EcrireSeul(1, ligne.aide ? TexteAide() : TexteVersion())) return kSortieOk;
    EcrireSeul(2, "vellumcast: cannot write to standard output\n");
    return kErreurEcriture;
  }
  if (std::string superflus = ArgumentsSuperflus(ligne); !superflus.empty()) {
    EcrireSeul(2, "vellumcast: " + superflus + "\n");
  }
  struct stat st;
  if (ligne.sortie && ::stat(ligne.sortie->c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    SignalerUsage("option --output needs a file, not the directory " + Cite(*ligne.sortie));
    return kUsage;
  }
  return std::nullopt;
}

// The note on the machine's own time zone: when --timezone was not given and
// the machine's offsets differ from Paris's in the years of the events, the
// export may have been made there. Empty otherwise.
std::string NoteMachine(const LigneDeCommande& ligne, const BilanConversion& bilan) {
  if (ligne.fuseau_donne || bilan.evenements() == 0) return {};
  const Machine machine = Machine::DeCetteMachine();
  const Ressemblance r =
      CommeParis(FuseauMachine(machine), bilan.premiere_annee(), bilan.derniere_annee());
  if (r != Ressemblance::kAutre) return {};
  return NoteZoneMachine(ligne.options, NomDeZoneMachine(machine));
}

// The run once its input is open, in the directory it works in: the log and
// the result created, the conversion, and the stop.
int Convertir(const LigneDeCommande& ligne, const Entree& entree, Lecteur* lecteur,
              Console* console, Erreurs* erreurs, Fichiers* f) {
  const std::string nom_resultat =
      ligne.sortie ? NomDeBase(*ligne.sortie) : NomResultat(entree.FIC1NAME);
  if (!ligne.sortie && entree.fichier && entree.empreinte.reguliere) {
    f->nom_resultat = nom_resultat;
    f->conseil = ConseilSortie(entree.donne, nom_resultat);
  }
  std::string collision = NomQuiEstLEntree(lecteur->fd(), nom_resultat);
  if (!collision.empty()) {
    ArretErreur(Statut::FichierCode(kAccesRefuse, collision).Raison("it is the input"), *f);
  }
  // Nothing is created, emptied or erased before the result is known to be
  // none of the run's other files.
  if (std::string raison = RaisonContreResultat(nom_resultat); !raison.empty()) {
    ArretErreur(Statut::FichierCode(kAccesRefuse, nom_resultat).Raison(raison), *f);
  }
  Trace trace(erreurs, console);
  trace.TRACE = true;
  std::unique_ptr<Ecrivain> journal;
  Statut statut = CreerJournal(erreurs, &journal);
  if (!statut.ok()) ArretErreur(statut, *f);
  f->journal = journal.get();
  trace.LOGFILE = journal.get();
  std::unique_ptr<Ecrivain> resultat;
  statut = Creer(nom_resultat, erreurs, &resultat);
  if (!statut.ok()) ArretErreur(statut, *f);
  f->resultat = resultat.get();

  Source source(lecteur);
  Resultat result(resultat.get(), erreurs);
  RepertoireCourant repertoire;
  Conversion conversion(&source, &result, &trace, &repertoire, erreurs, ligne.options);
  f->conversion = &conversion;
  conversion.Prologue();
  conversion.Documents();
  conversion.EcrireCapture();
  conversion.EffacerBrouillons();
  if (erreurs->echec()) ArretErreur(erreurs->statut(), *f);

  journal->Fermer();
  if (erreurs->echec()) ArretErreur(erreurs->statut(), *f);
  const bool changee = Changee(entree.empreinte, *lecteur);
  if (entree.fichier && !entree.fichier->Fermer()) {
    ArretErreur(Statut::Fichier(Operation::kLecture, errno, entree.FIC1NAME), *f);
  }
  conversion.FinCalendrier();
  resultat->Fermer();
  if (erreurs->echec()) ArretErreur(erreurs->statut(), *f);
  console->Ecrire("Fichier source termine\r\n");
  console->Vider();
  if (erreurs->echec()) ArretErreur(erreurs->statut(), *f);
  // What the run left out, where the user sees it even when the trace is
  // redirected; a summary that cannot be written changes nothing done.
  if (!ligne.silencieux) {
    EcrireSeul(2, conversion.bilan().Texte(Affichable(ligne.sortie.value_or(nom_resultat)),
                                           ligne.options, NoteMachine(ligne, conversion.bilan())));
  }
  return Fin(changee, entree);
}

}  // namespace

int Programme(int argc, char** argv) {
  OuvrirDescripteursStandard();
  ::signal(SIGPIPE, SIG_IGN);
  // A file-size limit makes a write fail, which the run reports, instead of
  // killing the program without a word.
  ::signal(SIGXFSZ, SIG_IGN);

  // The command line is read before the console is touched: help, version and
  // usage errors leave the screen as it was.
  const LigneDeCommande ligne = LireLigneDeCommande(argc, argv);
  if (std::optional<int> statut = SansConversion(ligne)) return *statut;

  Erreurs erreurs;
  Lecteur entree_std(&erreurs, kNomEntreeStandard, 0, false);
  Ecrivain sortie_std(&erreurs, kNomSortieStandard, 1, false);
  Ecrivain erreur_std(nullptr, "", 2, false);
  Console console(&entree_std, &sortie_std, ::isatty(0) == 1, ::isatty(1) == 1,
                  LireTerminal(ligne.options.jeu), &erreur_std);
  Fichiers f;
  f.console = &console;
  if (!MemeFichier()) f.erreur = &erreur_std;
  console.Preparer();

  Statut statut;
  const int repertoire_sortie = ligne.sortie ? RepertoireDeSortie(*ligne.sortie, &statut) : -1;
  if (ligne.sortie && repertoire_sortie < 0) ArretErreur(statut, f);

  const std::string* nom = ligne.nom ? &*ligne.nom : nullptr;
  Entree entree;
  const Choix choix = GETINPUTFILE(nom, &console, &erreurs, &entree, &statut);
  // A question that could not be shown ends the dialogue as if the console
  // had ended; it is the failed write that the run reports.
  console.Vider();
  if (sortie_std.echec()) ArretErreur(Statut::Erreur(kErreurEcriture), f);
  if (choix == Choix::kAbandon) return kSortieOk;
  if (choix == Choix::kSansEntree) return kSansEntree;
  if (choix == Choix::kErreur) ArretErreur(statut, f);
  // With -o, the run works where the result goes, the input already open.
  if (repertoire_sortie >= 0 && ::fchdir(repertoire_sortie) != 0) {
    ArretErreur(Statut::Fichier(Operation::kOuverture, errno, *ligne.sortie), f);
  }
  Lecteur* lecteur = entree.fichier ? entree.fichier.get() : &entree_std;
  return Convertir(ligne, entree, lecteur, &console, &erreurs, &f);
}

}  // namespace vellumcast
