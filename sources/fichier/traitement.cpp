// The program's run of one export: the result's name checked, the run in
// its directory, the stop, and what the user is told.
#include "traitement.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "affichage.h"
#include "collisions.h"
#include "noms.h"
#include "zone_machine.h"

namespace vellumcast {

bool EcrireSeul(int fd, std::string_view texte) {
  Erreurs erreurs;
  Ecrivain ecrivain(&erreurs, "", fd, false);
  ecrivain.Ecrire(texte);
  return ecrivain.Vider();
}

namespace {

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

// The status of a complete run: 1, and why on standard error, when the input
// changed while it was read.
int Fin(bool changee, const Entree& entree) {
  if (!changee) return kSortieOk;
  const std::string nom = entree.fichier ? entree.FIC1NAME : kNomEntreeStandard;
  EcrireSeul(2, "vellumcast: " + Affichable(nom) +
                    " changed while it was read: the result may be incomplete; convert it again\n");
  return kEntreeModifiee;
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

// The result's name in the directory the run works in.
std::string NomDuResultat(const Commande& commande, const Entree& entree) {
  const LigneDeCommande& ligne = *commande.ligne;
  if (ligne.sortie && !commande.vers_dossier) return NomDeBase(*ligne.sortie);
  return NomResultat(entree.FIC1NAME);
}

// The result as the summary names it: as -o gave it, or by its name alone
// beside the export; with several exports, behind the directory the user
// gave for the export, so that two results of one name are told apart.
std::string ResultatMontre(const Commande& commande, const Entree& entree,
                           const std::string& nom_resultat) {
  const LigneDeCommande& ligne = *commande.ligne;
  if (ligne.sortie && !commande.vers_dossier) return *ligne.sortie;
  if (ligne.sortie) {
    return ligne.sortie->ends_with('/') ? *ligne.sortie + nom_resultat
                                        : *ligne.sortie + "/" + nom_resultat;
  }
  if (!commande.plusieurs || entree.PATH.empty()) return nom_resultat;
  const size_t barre = entree.donne.rfind('/');
  return barre == std::string::npos ? nom_resultat
                                    : entree.donne.substr(0, barre + 1) + nom_resultat;
}

// Says once on standard error that the run waits for another in its
// directory, named as it is now the working directory.
void DireAttente() {
  std::error_code ec;
  std::string dossier = std::filesystem::current_path(ec).string();
  if (ec) dossier = ".";
  EcrireSeul(2, "vellumcast: waiting for another run in " + Affichable(dossier) + "\n");
}

}  // namespace

void ArretErreur(const Statut& statut, const Fichiers& f) {
  if (f.passage != nullptr) f.passage->Interrompre();
  f.console->Vider();
  f.console->Erreur(statut.Message());
  f.console->Terminer();
  // Where the user sees it when standard output goes elsewhere.
  if (f.erreur != nullptr) {
    f.erreur->Ecrire("vellumcast: " + f.export_montre + Affichable(statut.Mots()) + "\n");
    f.erreur->Vider();
  }
  if (!f.conseil.empty() && CreationRefusee(statut, f.nom_resultat)) EcrireSeul(2, f.conseil);
  Temoigner(f);
  std::exit(statut.code());
}

void Temoigner(const Fichiers& f) {
  EtatJournal etat;
  if (f.temoin < 0 || f.verrou < 0 || !ReleverJournal(f.verrou, &etat)) return;
  // A few dozen bytes into an empty pipe are written whole; a parent that
  // gets fewer takes the log for one another run may have touched.
  [[maybe_unused]] const ssize_t ecrit = ::write(f.temoin, &etat, sizeof etat);
}

int ConvertirExport(const Commande& commande, const Entree& entree, Lecteur* lecteur,
                    Console* console, Erreurs* erreurs, Fichiers* f) {
  const LigneDeCommande& ligne = *commande.ligne;
  const std::string nom_resultat = NomDuResultat(commande, entree);
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
  PriseDuJournal prise;
  prise.attendre = ligne.attendre;
  prise.attente = DireAttente;
  prise.laisses = commande.laisses;
  RepertoireCourant repertoire(std::move(prise));
  const std::string nom_entree = entree.fichier ? entree.FIC1NAME : kNomEntreeStandard;
  Passage passage(lecteur, nom_entree, entree.empreinte, &repertoire, console, erreurs,
                  ligne.options);
  Statut statut = passage.Ouvrir(nom_resultat);
  f->verrou = repertoire.verrou();
  if (!statut.ok()) ArretErreur(statut, *f);
  f->passage = &passage;
  passage.Convertir();
  if (erreurs->echec()) ArretErreur(erreurs->statut(), *f);
  f->passage = nullptr;
  // What the run left out, where the user sees it even when the trace is
  // redirected; a summary that cannot be written changes nothing done.
  if (!ligne.silencieux) {
    EcrireSeul(2, passage.bilan().Texte(Affichable(ResultatMontre(commande, entree, nom_resultat)),
                                        ligne.options, NoteMachine(ligne, passage.bilan())));
  }
  return Fin(passage.changee(), entree);
}

}  // namespace vellumcast
