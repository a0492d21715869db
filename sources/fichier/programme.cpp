// The program: the command line, the console, and the run of one export
// named or asked for, or of several in turn.
#include "programme.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>

#include "affichage.h"
#include "console.h"
#include "fichiers.h"
#include "flux.h"
#include "lot.h"
#include "options.h"
#include "traitement.h"

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

// Whether descriptors 1 and 2 write the same file.
bool MemeFichier() {
  struct stat un, deux;
  return ::fstat(1, &un) == 0 && ::fstat(2, &deux) == 0 && un.st_dev == deux.st_dev &&
         un.st_ino == deux.st_ino;
}

// Whether `nom` is an existing directory.
bool EstUnDossier(const std::string& nom) {
  struct stat st;
  return ::stat(nom.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The directory the run works in when the results go to `sortie`, a
// directory itself when `dossier`, else a file's name: opened before the
// input's directory becomes the working one, so that a name relative to
// where the program started still holds. -1 and `*statut` when it cannot be
// opened.
int RepertoireDeSortie(const std::string& sortie, bool dossier, Statut* statut) {
  size_t barre = sortie.rfind('/');
  std::string nom = dossier                      ? sortie
                    : barre == std::string::npos ? "."
                                                 : sortie.substr(0, barre + 1);
  int fd = ::open(nom.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) *statut = Statut::Fichier(Operation::kOuverture, errno, nom);
  return fd;
}

// The usage error `erreur` on standard error; the argument it quotes is
// already shown as names are.
void SignalerUsage(const std::string& erreur) {
  EcrireSeul(2, "vellumcast: " + erreur + "\nTry 'vellumcast --help'.\n");
}

// What the command line settles alone: a usage error, the help or the
// version, with the program's status; none when a run is asked for.
// `vers_dossier`: -o names an existing directory.
std::optional<int> SansConversion(const LigneDeCommande& ligne, bool vers_dossier) {
  if (!ligne.erreur.empty()) {
    SignalerUsage(ligne.erreur);
    return kUsage;
  }
  if (ligne.aide || ligne.version) {
    if (EcrireSeul(1, ligne.aide ? TexteAide() : TexteVersion())) return kSortieOk;
    EcrireSeul(2, "vellumcast: cannot write to standard output\n");
    return kErreurEcriture;
  }
  // One result cannot hold several exports.
  if (ligne.sortie && !vers_dossier && ligne.noms.size() > 1) {
    SignalerUsage("option --output needs a directory for several files, not " +
                  Cite(*ligne.sortie));
    return kUsage;
  }
  return std::nullopt;
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
  Commande commande;
  commande.ligne = &ligne;
  commande.vers_dossier = ligne.sortie && EstUnDossier(*ligne.sortie);
  commande.plusieurs = ligne.noms.size() > 1;
  if (std::optional<int> statut = SansConversion(ligne, commande.vers_dossier)) return *statut;

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
  const int repertoire_sortie =
      ligne.sortie ? RepertoireDeSortie(*ligne.sortie, commande.vers_dossier, &statut) : -1;
  if (ligne.sortie && repertoire_sortie < 0) ArretErreur(statut, f);
  if (commande.plusieurs) {
    console.Transmettre();
    if (sortie_std.echec()) ArretErreur(Statut::Erreur(kErreurEcriture), f);
    return ConvertirLot(commande, repertoire_sortie, &entree_std, &console, &erreurs, &f);
  }

  const std::string* nom = ligne.noms.empty() ? nullptr : ligne.noms.data();
  Entree entree;
  const Choix choix = GETINPUTFILE(nom, &console, &erreurs, &entree, &statut);
  // A question that could not be shown ends the dialogue as if the console
  // had ended; it is the failed write that the run reports.
  console.Transmettre();
  if (sortie_std.echec()) ArretErreur(Statut::Erreur(kErreurEcriture), f);
  if (choix == Choix::kAbandon) return kSortieOk;
  if (choix == Choix::kConsoleFermee) return kSansEntree;
  if (choix == Choix::kErreur) ArretErreur(statut, f);
  // With -o, the run works where the result goes, the input already open.
  if (repertoire_sortie >= 0 && ::fchdir(repertoire_sortie) != 0) {
    ArretErreur(Statut::Fichier(Operation::kOuverture, errno, *ligne.sortie), f);
  }
  Lecteur* lecteur = entree.fichier ? entree.fichier.get() : &entree_std;
  return ConvertirExport(commande, entree, lecteur, &console, &erreurs, &f);
}

}  // namespace vellumcast
