// The program's run of one export: the result's name checked, the run in
// its directory, the stop, and what the user is told.
#include "traitement.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

#include "affichage.h"
#include "chaines.h"
#include "collisions.h"
#include "noms.h"
#include "parties.h"
#include "zone_machine.h"

namespace vellumcast {

bool EcrireSeul(int fd, std::string_view texte) {
  Erreurs erreurs;
  Ecrivain ecrivain(&erreurs, "", fd, false);
  ecrivain.Ecrire(texte);
  return ecrivain.Transmettre();
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
  if (ligne.sortie && !commande.vers_dossier) {
    // A part takes the place of FILE's name in the path -o gave.
    const size_t barre = ligne.sortie->rfind('/');
    return barre == std::string::npos ? nom_resultat
                                      : ligne.sortie->substr(0, barre + 1) + nom_resultat;
  }
  if (ligne.sortie) {
    return ligne.sortie->ends_with('/') ? *ligne.sortie + nom_resultat
                                        : *ligne.sortie + "/" + nom_resultat;
  }
  if (!commande.plusieurs || entree.PATH.empty()) return nom_resultat;
  const size_t barre = entree.donne.rfind('/');
  return barre == std::string::npos ? nom_resultat
                                    : entree.donne.substr(0, barre + 1) + nom_resultat;
}

// Why the result may not be written under `nom`: it is the input read
// through `fd_entree`, or one of the run's other files; ok otherwise.
Statut RefusDuResultat(int fd_entree, const std::string& nom) {
  if (std::string collision = NomQuiEstLEntree(fd_entree, nom); !collision.empty()) {
    return Statut::FichierCode(kAccesRefuse, collision).Raison("it is the input");
  }
  if (std::string raison = RaisonContreResultat(nom); !raison.empty()) {
    return Statut::FichierCode(kAccesRefuse, nom).Raison(raison);
  }
  return {};
}

// The numbers above `n` of the parts of `resultat` in the working
// directory, in order: what an earlier run of more parts left.
std::vector<size_t> PartiesLaissees(const std::string& resultat, size_t n) {
  const std::string premiere = NomDePartie(resultat, 1);
  const std::string avant = premiere.substr(0, premiere.size() - 5);  // "1.ics"
  std::vector<size_t> laissees;
  std::error_code ec;
  // Read without exceptions: a directory that cannot be listed has none.
  for (std::filesystem::directory_iterator it(".", ec), fin; !ec && it != fin; it.increment(ec)) {
    const std::string nom = it->path().filename().string();
    if (!nom.starts_with(avant) || !nom.ends_with(".ics")) continue;
    const std::string chiffres = nom.substr(avant.size(), nom.size() - avant.size() - 4);
    // The name the run would give part k, and no other spelling of k.
    if (chiffres.empty() || chiffres.size() > 12 || chiffres[0] == '0' ||
        !std::all_of(chiffres.begin(), chiffres.end(), ISAFIGURE)) {
      continue;
    }
    if (const size_t k = std::stoull(chiffres); k > n) laissees.push_back(k);
  }
  std::sort(laissees.begin(), laissees.end());
  return laissees;
}

// The summary's lines on the parts written, shown as `montre` shows a name,
// and on those an earlier run left beyond them, which stay as they were.
std::string LignesDesParties(const std::vector<std::string>& noms, const std::string& resultat,
                             const std::function<std::string(const std::string&)>& montre) {
  if (noms.empty()) return {};
  std::string t = "vellumcast: the result in " + std::to_string(noms.size()) +
                  (noms.size() == 1 ? " part: " : " parts: ");
  for (size_t k = 0; k < noms.size(); ++k) t += (k == 0 ? "" : ", ") + montre(noms[k]);
  t += "\n";
  std::string laissees;
  for (size_t k : PartiesLaissees(resultat, noms.size())) {
    laissees += (laissees.empty() ? "" : ", ") + montre(NomDePartie(resultat, k));
  }
  if (!laissees.empty()) {
    t += "vellumcast: note: left from an earlier run, not erased and no part of this result: " +
         laissees + "\n";
  }
  return t;
}

// Says once on standard error that the run waits for another in its
// directory, named as it is now the working directory.
void DireAttente() {
  std::error_code ec;
  const std::filesystem::path ici = std::filesystem::current_path(ec);
  const std::string dossier = ec ? std::string(".") : ici.string();
  EcrireSeul(2, "vellumcast: waiting for another run in " + Affichable(dossier) + "\n");
}

}  // namespace

void ArretErreur(const Statut& statut, const Fichiers& f) {
  if (f.passage != nullptr) f.passage->Interrompre();
  f.console->Transmettre();
  f.console->Erreur(statut.Message());
  f.console->Terminer();
  // Where the user sees it when standard output goes elsewhere.
  if (f.erreur != nullptr) {
    f.erreur->Ecrire("vellumcast: " + f.export_montre + Affichable(statut.Mots()) + "\n");
    f.erreur->Transmettre();
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
  // With parts, the first is created where the result would be.
  const bool en_parties = ligne.options.evenements_par_partie > 0;
  const std::string nom_cree = en_parties ? NomDePartie(nom_resultat, 1) : nom_resultat;
  if (!ligne.sortie && entree.fichier && entree.empreinte.reguliere) {
    f->nom_resultat = nom_cree;
    f->conseil = ConseilSortie(entree.donne, nom_resultat);
  }
  // Nothing is created, emptied or erased before the result is known to be
  // neither the input nor one of the run's other files.
  const int fd_entree = lecteur->fd();
  if (Statut refus = RefusDuResultat(fd_entree, nom_cree); !refus.ok()) ArretErreur(refus, *f);
  PriseDuJournal prise;
  prise.attendre = ligne.attendre;
  prise.attente = DireAttente;
  prise.laisses = commande.laisses;
  RepertoireCourant repertoire(std::move(prise));
  const std::string nom_entree = entree.fichier ? entree.FIC1NAME : kNomEntreeStandard;
  Passage passage(lecteur, nom_entree, entree.empreinte, &repertoire, console, erreurs,
                  ligne.options);
  Statut statut = passage.Ouvrir(nom_resultat, [fd_entree](const std::string& nom) {
    return RefusDuResultat(fd_entree, nom);
  });
  f->verrou = repertoire.verrou();
  if (!statut.ok()) ArretErreur(statut, *f);
  f->passage = &passage;
  passage.Convertir();
  if (erreurs->echec()) ArretErreur(erreurs->statut(), *f);
  f->passage = nullptr;
  // What the run left out, where the user sees it even when the trace is
  // redirected; a summary that cannot be written changes nothing done.
  if (!ligne.silencieux) {
    auto montre = [&](const std::string& nom) {
      return Affichable(ResultatMontre(commande, entree, nom));
    };
    const std::vector<std::string>& parties = passage.parties().noms();
    const std::string resultat = parties.empty() ? montre(nom_resultat)
                                 : parties.size() == 1
                                     ? montre(parties.front())
                                     : montre(parties.front()) + " to " + montre(parties.back());
    EcrireSeul(2,
               passage.bilan().Texte(resultat, ligne.options, NoteMachine(ligne, passage.bilan())) +
                   LignesDesParties(parties, nom_resultat, montre));
  }
  return Fin(passage.changee(), entree);
}

}  // namespace vellumcast
