// The input reader, the result writer, the directory the run works in and the
// input-file prompt.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "flux.h"
#include "statut.h"

namespace vellumcast {

class Console;

constexpr char kFinEntree = 26;  // what reading delivers once the input is exhausted

// The input, handed out one character at a time with its line ends normalised.
class Source {
 public:
  explicit Source(Lecteur* lecteur) : lecteur_(lecteur) {}

  // The next character: carriage returns dropped, a line feed delivered as a
  // blank with END_OF_LINE set, code 26 once nothing is left.
  char NEXTCAR() {
    ++lectures_;
    END_OF_LINE = false;
    int c = lecteur_->Octet();
    while (c == '\r') c = lecteur_->Octet();
    vide_ = c < 0;
    if (c == '\n') {
      END_OF_LINE = true;
      return ' ';
    }
    return vide_ ? kFinEntree : static_cast<char>(c);
  }

  // Whether the input is at its end: nothing but carriage returns left, or the
  // next other byte is code 26. Takes nothing else.
  bool AtEnd() {
    ++lectures_;
    int c = lecteur_->Regarder();
    while (c == '\r') {
      lecteur_->Avancer(1);
      c = lecteur_->Regarder();
    }
    return c < 0 || c == kFinEntree;
  }

  // Whether the last NEXTCAR found nothing left to read.
  bool Epuisee() const { return vide_; }

  // Skips the rest of the line: up to and including its line feed, or up to
  // the end of the input. Same effect as NEXTCAR until END_OF_LINE or AtEnd.
  void SauterLigne();

  // The bytes read ahead and not yet taken, so that a caller can take a run
  // of ordinary characters at once. Reads nothing: when it is empty, NEXTCAR
  // or AtEnd reads, exactly as often as without the runs (a terminal at its
  // end is asked once, as before).
  std::string_view Suite() const { return lecteur_->Avance(); }
  // Takes the first `n` bytes of Suite(), none of them a carriage return or a
  // line feed: the same as `n` calls of NEXTCAR.
  void Prendre(size_t n) {
    lecteur_->Avancer(n);
    lectures_ += n;
    if (n > 0) END_OF_LINE = vide_ = false;
  }

  bool END_OF_LINE = false;

  // Calls to NEXTCAR and AtEnd, for bounding the work done on an input.
  uint64_t lectures() const { return lectures_; }
  Lecteur* lecteur() const { return lecteur_; }

 private:
  Lecteur* lecteur_;
  bool vide_ = false;
  uint64_t lectures_ = 0;
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
  Ecrivain* ecrivain() const { return ecrivain_; }

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

// Files held in memory, for running conversions without touching the disk.
class RepertoireMemoire : public Repertoire {
 public:
  Statut CreerSansLien(const std::string& nom, Erreurs* erreurs,
                       std::unique_ptr<Ecrivain>* ecrivain) override;
  Statut Effacer(const std::string& nom) override;
  // The content of `nom`, or null when there is no such file.
  const std::string* Contenu(const std::string& nom) const;
  void Poser(const std::string& nom, std::string contenu);

 private:
  std::vector<std::pair<std::string, std::unique_ptr<std::string>>> fichiers_;
};

// What GETINPUTFILE ends with.
enum class Choix {
  kOuvert,      // the input is open and its directory is the working directory
  kAbandon,     // the user answered "Y": end with status 0
  kSansEntree,  // the console input ended: end with status 2
  kErreur,      // the change of directory failed: run-time error in *statut
};

// The input file, once chosen.
struct Entree {
  std::string FIC1NAME;              // the name as opened, absolute when it exists
  std::string PATH;                  // the directory part, up to and including the last "/"
  std::unique_ptr<Lecteur> fichier;  // null when the input is standard input
};

// Asks for the input file until one opens or the user gives up: takes `argument`
// when given (null when the program got none), else asks on the console.
// Standard input serves as the input for an empty name.
Choix GETINPUTFILE(const std::string* argument, Console* console, Erreurs* erreurs, Entree* entree,
                   Statut* statut);

// The absolute form of `nom` used to open it: lexically normalised when that
// names the same file; `nom` itself when it does not exist.
std::string Developper(const std::string& nom);

// The result file's name: the base name of `fic1name` (after its last "/",
// less its extension from the last ".") followed by ".ics".
std::string NomResultat(const std::string& fic1name);

}  // namespace vellumcast
