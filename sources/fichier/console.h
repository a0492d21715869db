// The console: standard output for text lines, standard input for the name
// and the key of the input-file dialogue.
#pragma once

#include <string>
#include <string_view>

namespace vellumcast {

class Ecrivain;
class Lecteur;

// Whether a terminal would act on `c` rather than show it: 0 to 31, 127 and
// 128 to 159.
constexpr bool EstControle(char c) {
  auto u = static_cast<unsigned char>(c);
  return u < 32 || u == 127 || (u >= 128 && u < 160);
}

class Console {
 public:
  // `entree` reads standard input (the same reader serves the documents when
  // they come from standard input); `sortie` writes standard output.
  // `entree_terminal` and `sortie_terminal` tell whether each is a terminal.
  Console(Lecteur* entree, Ecrivain* sortie, bool entree_terminal, bool sortie_terminal);

  // Clears the screen and sets light grey, on a terminal only.
  void Preparer();
  // Writes `texte` as it is, without a line end.
  void Ecrire(std::string_view texte);
  // Writes a trace line and CR LF. On a terminal, control bytes (0 to 31, 127,
  // 128 to 159) show as "?" so that input bytes cannot drive the terminal.
  void Ligne(std::string_view texte);
  // Reads one line typed by the user into `*ligne`, without its line end.
  // False when standard input ended (or failed) before any character.
  bool LireLigne(std::string* ligne);
  // Waits for one key, not shown and without Enter. False when none can be read.
  bool LireTouche(char* touche);
  // Sends what is buffered to standard output.
  void Vider();

  bool sortie_terminal() const { return sortie_terminal_; }
  Lecteur* entree() const { return entree_; }
  Ecrivain* sortie() const { return sortie_; }

 private:
  bool LireToucheTerminal(char* touche);

  Lecteur* entree_;
  Ecrivain* sortie_;
  bool entree_terminal_;
  bool sortie_terminal_;
};

}  // namespace vellumcast
