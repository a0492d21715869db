// The console: standard output for text lines, standard input for the name
// and the key of the input-file dialogue.
#pragma once

#include <string>
#include <string_view>

#include "reglages.h"

namespace vellumcast {

class Ecrivain;
class Lecteur;

// What the terminal on standard output accepts.
struct Terminal {
  // It may be cleared and coloured: not when NO_COLOR is set (and not empty)
  // or TERM is "dumb".
  bool couleurs = true;
  // Its locale names UTF-8 (LocaleUtf8): trace lines are shown converted,
  // as the result's texts are, under `jeu`.
  bool utf8 = false;
  Jeu jeu = Jeu::kIso88591;
};

// The terminal as the environment describes it, the export's texts in `jeu`.
Terminal LireTerminal(Jeu jeu);

class Console {
 public:
  // `entree` reads standard input (the same reader serves the documents when
  // they come from standard input); `sortie` writes standard output.
  // `entree_terminal` and `sortie_terminal` tell whether each is a terminal.
  // `erreur` (may be null) writes standard error.
  Console(Lecteur* entree, Ecrivain* sortie, bool entree_terminal, bool sortie_terminal,
          Terminal terminal = {}, Ecrivain* erreur = nullptr);
  // Sets the colour back, as Terminer does.
  ~Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // Clears the screen and sets light grey, on a terminal that takes colours;
  // from then on, a signal that ends the program sets the colour back first.
  void Preparer();
  // Sets the colour back when Preparer set it, and sends what is buffered.
  void Terminer();
  // In a child process that shows its lines on the same screen: the parent
  // prepared it and sets the colour back, so this one leaves it as it is.
  void Partager() { colore_ = false; }
  // Writes `texte` as it is, without a line end.
  void Ecrire(std::string_view texte);
  // Tells the user `texte` on standard error, as "vellumcast: TEXTE" and LF,
  // once what standard output holds is shown.
  void Avertir(std::string_view texte);
  // Writes a trace line and CR LF. On a terminal, control bytes (0 to 31, 127,
  // 128 to 159) show as "?" so that input bytes cannot drive the terminal.
  void Ligne(std::string_view texte);
  // Writes the run-time error line `ligne` and CR LF: as it is, or on a
  // terminal with the name it holds shown as standard error shows names.
  void Erreur(std::string_view ligne);
  // Reads one line typed by the user into `*ligne`, without its line end.
  // False when standard input ended (or failed) before any character.
  bool LireLigne(std::string* ligne);
  // Waits for one key, not shown and without Enter. False when none can be read.
  bool LireTouche(char* touche);
  // Sends what is buffered to standard output.
  void Transmettre();

 private:
  bool LireToucheTerminal(char* touche);

  Lecteur* entree_;
  Ecrivain* sortie_;
  Ecrivain* erreur_;
  bool entree_terminal_;
  bool sortie_terminal_;
  Terminal terminal_;
  bool colore_ = false;
};

}  // namespace vellumcast
