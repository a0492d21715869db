// The input reader, the result writer, the directory the run works in and the
// input-file prompt.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>

#include "balayage.h"
#include "flux.h"
#include "statut.h"

namespace vellumcast {

class Console;

constexpr char kFinEntree = 26;  // what reading delivers once the input is exhausted

// How a run read by Source::Jusqua ended, when no stop byte ended it.
constexpr int kEpuisee = -1;  // the input is exhausted
constexpr int kPlein = -2;    // the receiver took less than it was handed

// The input, read forward with its line ends normalised: a carriage return is
// dropped wherever it stands, and a line feed ends a line. Every read goes
// through Suite(), which asks the descriptor for more only once nothing is at
// hand, so that a terminal is read no sooner than a character is needed.
class Source {
 public:
  explicit Source(Lecteur* lecteur) : lecteur_(lecteur) {}

  // The bytes at hand after the carriage returns that come first; empty once
  // the input is exhausted.
  std::string_view Suite() {
    ++lectures_;
    std::string_view d = lecteur_->Disponible();
    while (!d.empty() && d[0] == '\r') {
      lecteur_->Avancer(1);
      d = lecteur_->Disponible();
    }
    return d;
  }
  // Takes the first `n` bytes of Suite(), none of them a line feed.
  void Prendre(size_t n) {
    lecteur_->Avancer(n);
    END_OF_LINE = vide_ = false;
  }

  // Takes the bytes up to the first of `Arrets`, handing each run of them to
  // `recevoir`, which returns how many of the run it takes; carriage returns
  // are dropped between runs. Returns the byte that stopped the reading, not
  // taken, or kPlein when `recevoir` took less than a whole run, or kEpuisee.
  template <char... Arrets, typename Recevoir>
  int Jusqua(Recevoir&& recevoir) {
    for (;;) {
      std::string_view d = Suite();
      if (d.empty()) return kEpuisee;
      size_t n = SansAucun<'\r', Arrets...>(d);
      size_t pris = n == 0 ? 0 : recevoir(d.substr(0, n));
      if (pris > 0) Prendre(pris);
      if (pris < n) return kPlein;
      if (n < d.size() && d[n] != '\r') return static_cast<unsigned char>(d[n]);
    }
  }

  // Skips the bytes up to the first of `Arrets`; returns it, not taken, or
  // kEpuisee. What is skipped is read by nobody, carriage returns included.
  template <char... Arrets>
  int Passer() {
    for (;;) {
      std::string_view d = Suite();
      if (d.empty()) return kEpuisee;
      size_t n = SansAucun<Arrets...>(d);
      if (n > 0) Prendre(n);
      if (n < d.size()) return static_cast<unsigned char>(d[n]);
    }
  }

  // The next character: a line feed delivered as a blank with END_OF_LINE
  // set, code 26 once nothing is left.
  char NEXTCAR() {
    std::string_view d = Suite();
    if (d.empty()) {
      END_OF_LINE = false;
      vide_ = true;
      return kFinEntree;
    }
    Prendre(1);
    END_OF_LINE = d[0] == '\n';
    lignes_ += END_OF_LINE;
    return END_OF_LINE ? ' ' : d[0];
  }
  // The number of the line being read: the line feeds taken so far, plus one.
  // Every line feed is taken by NEXTCAR.
  uint64_t Ligne() const { return lignes_ + 1; }
  // Whether the input is at its end: nothing is left but carriage returns,
  // or the next byte is code 26.
  bool AtEnd() {
    std::string_view d = Suite();
    return d.empty() || d[0] == kFinEntree;
  }
  // Whether the last NEXTCAR found nothing left to read.
  bool Epuisee() const { return vide_; }

  // Takes the blanks that come next, not a line end.
  void PasserBlancs();
  // Skips the rest of the line: up to and including its line feed, or up to
  // the end of the input. Reads nothing once the line has ended.
  void SauterLigne();

  bool END_OF_LINE = false;

  // Calls to Suite(), for bounding the work done on an input.
  uint64_t lectures() const { return lectures_; }

 private:
  Lecteur* lecteur_;
  bool vide_ = false;
  uint64_t lectures_ = 0;
  uint64_t lignes_ = 0;
};

// The result file: PUT writes a text, PUTLN a text and CR LF.
// Nothing more is written once the run has failed, so that the file holds
// exactly what was written before the failure.
class Resultat {
 public:
  Resultat(Ecrivain* ecrivain, Erreurs* erreurs) : ecrivain_(ecrivain), erreurs_(erreurs) {}
  void PUT(std::string_view ch) {
    if (!erreurs_->echec()) ecrivain_->Ecrire(ch);
  }
  void PUTLN(std::string_view ch) {
    if (erreurs_->echec()) return;
    ecrivain_->Ecrire(ch);
    ecrivain_->Ecrire("\r\n");
  }

 private:
  Ecrivain* ecrivain_;
  Erreurs* erreurs_;
};

// The directory where the run creates and erases its fixed names.
class Repertoire {
 public:
  virtual ~Repertoire() = default;
  // Creates `nom` empty for writing without following a link planted under it.
  virtual Statut CreerSansLien(const std::string& nom, Erreurs* erreurs,
                               std::unique_ptr<Ecrivain>* ecrivain) = 0;
  // Erases `nom` (a link itself, never its target); nothing to do when absent.
  virtual Statut Effacer(const std::string& nom) = 0;
};

// The working directory of the process.
class RepertoireCourant : public Repertoire {
 public:
  Statut CreerSansLien(const std::string& nom, Erreurs* erreurs,
                       std::unique_ptr<Ecrivain>* ecrivain) override;
  Statut Effacer(const std::string& nom) override;
};

// Opens `nom` for writing, with `drapeaux` (O_CREAT, O_TRUNC, O_NOFOLLOW)
// beside O_WRONLY, without waiting on a FIFO or a device, and keeps it only
// when it is a regular file: a FIFO (whether anyone reads it or not), a
// device, a socket or a directory there is refused as access denied, with
// nothing written through it; so is a link refused by O_NOFOLLOW. `*fd`
// receives the descriptor, in blocking mode, when the status is ok.
Statut OuvrirEnEcriture(const std::string& nom, int drapeaux, int* fd);

// The name that stands for the input in messages when it is standard input.
constexpr const char* kNomEntreeStandard = "(standard input)";
constexpr const char* kNomSortieStandard = "(standard output)";

// What the input looked like when it was opened, to tell at the end of the
// run whether it changed while it was read.
struct Empreinte {
  bool reguliere = false;        // only a regular file's size and time tell anything
  bool depuis_le_debut = false;  // its reader has had every byte from the first on
  int64_t taille = 0;
  std::timespec modification{};
};

// The size and modification time of what `fd` reads.
Empreinte Relever(int fd, bool depuis_le_debut);

// Whether the regular file read by `lecteur` is no longer what `avant` saw:
// another size or modification time, or, read from its first byte, another
// number of bytes than its size (fewer are read when a code 26 ends the input
// early, never more).
bool Changee(const Empreinte& avant, const Lecteur& lecteur);

// What GETINPUTFILE ends with.
enum class Choix {
  kOuvert,      // the input is open, and the working directory is its PATH when it has one
  kAbandon,     // the user answered "Y": end with status 0
  kSansEntree,  // the console input ended: end with status 2
  kErreur,      // the change of directory failed: run-time error in *statut
};

// The input file, once chosen.
struct Entree {
  std::string FIC1NAME;  // the name as opened, absolute when it exists
  std::string donne;     // the name as the user gave or typed it
  // The directory part, up to and including the last "/", made the working
  // directory; empty when the run works where it started: standard input, or
  // an input that is no regular file.
  std::string PATH;
  std::unique_ptr<Lecteur> fichier;  // null when the input is standard input
  Empreinte empreinte;               // taken as the input was opened
};

// Asks for the input file until one opens or the user gives up: takes `argument`
// when given (null when the program got none), else asks on the console.
// Standard input serves as the input for an empty name.
Choix GETINPUTFILE(const std::string* argument, Console* console, Erreurs* erreurs, Entree* entree,
                   Statut* statut);

// The absolute form of `nom` used to open it: lexically normalised when that
// names the same file; `nom` itself when it does not exist, or when its
// absolute form cannot be built or reached (a working directory past the
// path limit, or one whose path cannot be read).
std::string Developper(const std::string& nom);

// The result file's name: the base name of `fic1name` (after its last "/",
// less its extension from the last ".") followed by ".ics".
std::string NomResultat(const std::string& fic1name);

// What follows the last "/" of `nom`; all of it when it has none.
std::string NomDeBase(const std::string& nom);

}  // namespace vellumcast
