// The terminal: clearing, colour set back on every end, raw key reads.
#include "console.h"

#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <iterator>
#include <string>

#include "affichage.h"
#include "flux.h"
#include "utf8.h"

namespace vellumcast {

namespace {

// The terminal's settings while a key is read in raw mode, so that a signal
// handler can put them back before the process stops or dies.
struct termios g_normal;
volatile sig_atomic_t g_brut = 0;
int g_fd_brut = -1;
// Whether standard output was set to light grey, for a signal handler to
// set the colour back.
volatile sig_atomic_t g_couleur = 0;
constexpr char kGris[] = "\x1b[0;37m";
constexpr char kSansCouleur[] = "\x1b[0m";

// Writes a sequence from a signal handler: no buffer, nothing but write().
void EcrireSequence(const char* s, size_t n) {
  while (n > 0) {
    ssize_t k = write(1, s, n);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return;
    s += k;
    n -= static_cast<size_t>(k);
  }
}

// The signals that would leave the terminal raw, and what they did before the key was awaited.
constexpr int kSignaux[] = {SIGINT, SIGTERM, SIGTSTP, SIGHUP, SIGQUIT};
struct sigaction g_avant[std::size(kSignaux)];
bool g_ignore[std::size(kSignaux)];

void PasserEnBrut() {
  struct termios brut = g_normal;
  brut.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  brut.c_cc[VMIN] = 1;
  brut.c_cc[VTIME] = 0;
  tcsetattr(g_fd_brut, TCSAFLUSH, &brut);
}

void SurSignal(int sig);

void Installer(int sig) {
  struct sigaction sa {};
  sa.sa_handler = SurSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(sig, &sa, nullptr);
}

// Puts the terminal back, then lets the signal do what it does by default.
// The signal is blocked while its handler runs, so it is raised and then
// unblocked here: a stop takes effect at once, and the process carries on
// from this point when it is continued.
void SurSignal(int sig) {
  int errno_avant = errno;
  if (g_brut) tcsetattr(g_fd_brut, TCSANOW, &g_normal);
  if (g_couleur) EcrireSequence(kSansCouleur, sizeof kSansCouleur - 1);
  signal(sig, SIG_DFL);
  raise(sig);
  sigset_t seul;
  sigemptyset(&seul);
  sigaddset(&seul, sig);
  sigprocmask(SIG_UNBLOCK, &seul, nullptr);
  // Back from a stop: the key is still awaited, in grey.
  Installer(sig);
  if (g_brut) PasserEnBrut();
  if (g_couleur) EcrireSequence(kGris, sizeof kGris - 1);
  errno = errno_avant;
}

// Takes over the signals, except those the program was started with ignored.
void PrendreSignaux() {
  for (size_t i = 0; i < std::size(kSignaux); ++i) {
    sigaction(kSignaux[i], nullptr, &g_avant[i]);
    g_ignore[i] = g_avant[i].sa_handler == SIG_IGN;
    if (!g_ignore[i]) Installer(kSignaux[i]);
  }
}

void RendreSignaux() {
  for (size_t i = 0; i < std::size(kSignaux); ++i) {
    if (!g_ignore[i]) sigaction(kSignaux[i], &g_avant[i], nullptr);
  }
}

}  // namespace

Terminal LireTerminal(Jeu jeu) {
  Terminal t;
  t.jeu = jeu;
  const char* sans_couleur = std::getenv("NO_COLOR");
  const char* term = std::getenv("TERM");
  t.couleurs = (sans_couleur == nullptr || *sans_couleur == '\0') &&
               (term == nullptr || std::string_view(term) != "dumb");
  t.utf8 = LocaleUtf8();
  return t;
}

Console::Console(Lecteur* entree, Ecrivain* sortie, bool entree_terminal, bool sortie_terminal,
                 Terminal terminal, Ecrivain* erreur)
    : entree_(entree),
      sortie_(sortie),
      erreur_(erreur),
      entree_terminal_(entree_terminal),
      sortie_terminal_(sortie_terminal),
      terminal_(terminal) {}

Console::~Console() { Terminer(); }

void Console::Preparer() {
  if (!sortie_terminal_ || !terminal_.couleurs) return;
  // Clear, home, light grey (colour 7).
  sortie_->Ecrire("\x1b[2J\x1b[H");
  sortie_->Ecrire(kGris);
  colore_ = true;
  g_couleur = 1;
  PrendreSignaux();
}

void Console::Terminer() {
  if (colore_) {
    colore_ = false;
    sortie_->Ecrire(kSansCouleur);
  }
  sortie_->Transmettre();
  g_couleur = 0;
}

void Console::Ecrire(std::string_view texte) { sortie_->Ecrire(texte); }

void Console::Avertir(std::string_view texte) {
  if (erreur_ == nullptr) return;
  sortie_->Transmettre();
  // A name the user gave cannot drive the terminal either.
  erreur_->Ecrire("vellumcast: " + Affichable(texte) + "\n");
  erreur_->Transmettre();
}

void Console::Ligne(std::string_view texte) {
  if (sortie_terminal_ && terminal_.utf8) {
    // As the result's texts are converted, then shown as names are: a
    // control character, of either range, as "?".
    std::string utf8(EnUtf8::Place(texte.size()), '\0');
    EnUtf8 conversion(terminal_.jeu, nullptr);
    char* fin = conversion.Finir(conversion.Convertir(texte, utf8.data()));
    sortie_->Ecrire(
        Affichable(std::string_view(utf8.data(), static_cast<size_t>(fin - utf8.data())), true));
  } else if (sortie_terminal_) {
    sortie_->Ecrire(Affichable(texte, false));
  } else {
    sortie_->Ecrire(texte);
  }
  sortie_->Ecrire("\r\n");
  // A user watching the screen sees each line as it comes; a redirected
  // output is written in large blocks.
  if (sortie_terminal_) sortie_->Transmettre();
}

void Console::Erreur(std::string_view ligne) {
  sortie_->Ecrire(sortie_terminal_ ? Affichable(ligne, terminal_.utf8) : std::string(ligne));
  sortie_->Ecrire("\r\n");
}

void Console::Transmettre() { sortie_->Transmettre(); }

bool Console::LireLigne(std::string* ligne) {
  Transmettre();
  ligne->clear();
  bool lu = false;
  for (;;) {
    int c = entree_->Octet();
    if (c < 0) return lu;
    lu = true;
    if (c == '\n') break;
    ligne->push_back(static_cast<char>(c));
  }
  // A carriage return before the line feed belongs to the line end.
  if (!ligne->empty() && ligne->back() == '\r') ligne->pop_back();
  return true;
}

bool Console::LireTouche(char* touche) {
  if (entree_terminal_) return LireToucheTerminal(touche);
  Transmettre();
  int c = entree_->Octet();
  if (c < 0) return false;
  *touche = static_cast<char>(c);
  // A scripted answer comes as a line: drop the rest of it.
  while (c != '\n' && c >= 0) c = entree_->Octet();
  return true;
}

bool Console::LireToucheTerminal(char* touche) {
  int fd = entree_->fd();
  if (tcgetattr(fd, &g_normal) != 0) {
    // Not a terminal after all: read it as a scripted answer.
    entree_terminal_ = false;
    return LireTouche(touche);
  }
  g_fd_brut = fd;
  PrendreSignaux();
  // Whatever was typed ahead belongs to no key; a Ctrl-D that ended the name
  // does not end the wait for the key.
  entree_->OublierAvance();
  entree_->Reprendre();
  g_brut = 1;
  PasserEnBrut();
  // The question shows only once the terminal is raw: a key pressed as soon
  // as it appears is neither echoed nor flushed away.
  Transmettre();
  int c = entree_->Octet();
  // The rest of a key of several bytes (an arrow's escape sequence, an
  // accented letter) arrives at once: drop it so it never reaches a name.
  entree_->OublierAvance();
  struct pollfd p = {fd, POLLIN, 0};
  char jeter[64];
  while (poll(&p, 1, 30) > 0 && (p.revents & POLLIN) != 0) {
    if (read(fd, jeter, sizeof jeter) <= 0) break;
  }
  tcsetattr(fd, TCSAFLUSH, &g_normal);
  g_brut = 0;
  RendreSignaux();
  if (c < 0) return false;
  *touche = static_cast<char>(c);
  return true;
}

}  // namespace vellumcast
