// Runs the built program as a child process: with its standard streams in
// pipes, or as the foreground job of a pseudo-terminal.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace vellumcast {

// What a finished child left.
struct Execution {
  bool fini = false;  // false when the hang guard had to kill it
  int statut = -1;    // the wait status
  std::string sortie;
  std::string erreur;

  // The exit status, or -1 when the child did not exit by itself.
  int code() const;
};

// The unprivileged user and group a child without privilege runs as.
constexpr uid_t kPersonne = 65534;

// What else the child starts with, for the cases that need it.
struct Conditions {
  std::string sortie_vers;            // its standard output goes to this file ("": captured)
  rlim_t taille_max = RLIM_INFINITY;  // RLIMIT_FSIZE, SIGXFSZ left as by default
  bool sans_privilege = false;        // runs as kPersonne when we are root
};

// Runs `argv` in `repertoire` with `entree` on its standard input (null:
// /dev/null) and `environnement` as its environment (null: this one's, with
// TZ=Europe/Paris).
// Kills it after `delai` seconds.
Execution Executer(const std::vector<std::string>& argv, const std::string& repertoire,
                   const std::string* entree = nullptr,
                   const std::vector<std::string>* environnement = nullptr, int delai = 10,
                   const Conditions& conditions = {});

// A child started with its standard output and standard error in pipes,
// which the test watches while it runs.
class Suivi {
 public:
  Suivi() = default;
  // Kills the child if it still runs.
  ~Suivi();
  Suivi(const Suivi&) = delete;
  Suivi& operator=(const Suivi&) = delete;

  // Starts `argv` in `repertoire`, standard input /dev/null, in this
  // environment with TZ=Europe/Paris.
  bool Lancer(const std::vector<std::string>& argv, const std::string& repertoire);
  // Reads its output until standard error holds `attendu`; false when it
  // ends first, or after `delai` seconds.
  bool AttendreErreur(std::string_view attendu, int delai = 10);
  // Whether the child has ended, without waiting for it.
  bool Fini();
  // Reads the rest of its output and waits for its end; kills it after
  // `delai` seconds.
  Execution Finir(int delai = 60);

 private:
  // Reads what the pipes hold, waiting at most `attente_ms`; false once both
  // have ended.
  bool Lire(int attente_ms);

  pid_t pid_ = -1;
  int sortie_ = -1;
  int erreur_ = -1;
  bool termine_ = false;
  Execution fin_;
};

// A child run as a shell with job control runs it: in a session of its own
// whose controlling terminal is a pseudo-terminal, in the foreground process
// group, with a parent in the same session that reports its stops and its end.
class SousTerminal {
 public:
  SousTerminal() = default;
  // Kills the child if it still runs.
  ~SousTerminal();
  SousTerminal(const SousTerminal&) = delete;
  SousTerminal& operator=(const SousTerminal&) = delete;

  // Starts `argv` in `repertoire`; `ignores` are signals it starts with
  // ignored; `variables` ("NAME=VALUE", or "NAME" to remove it) change the
  // environment it gets.
  bool Lancer(const std::vector<std::string>& argv, const std::string& repertoire,
              const std::vector<int>& ignores = {}, const std::vector<std::string>& variables = {});
  // Types `texte` on the keyboard.
  void Taper(std::string_view texte);
  // Reads the screen until what came after the first `depuis` bytes holds
  // `attendu`; false after `delai` seconds.
  bool Attendre(std::string_view attendu, size_t depuis = 0, int delai = 10);
  // Everything the child has shown so far (with the echo of what was typed).
  const std::string& ecran() const { return ecran_; }
  // Waits until the terminal is raw (`brut`) or back in its normal mode.
  bool AttendreMode(bool brut, int delai = 10);
  // Whether the terminal echoes and reads whole lines.
  bool ModeNormal() const;
  // Sends `sig` to the child.
  void Signaler(int sig);
  // Waits for the child to stop or to end; true with its wait status in `*statut`.
  bool AttendreEtat(int* statut, int delai = 10);

 private:
  void Lire(int attente_ms);

  pid_t parent_ = -1;  // the job-control parent, our own child
  pid_t pid_ = -1;     // the program
  int maitre_ = -1;
  int esclave_ = -1;
  int etats_ = -1;  // the parent's reports: the program's pid, then each wait status
  bool termine_ = false;
  std::string ecran_;
};

}  // namespace vellumcast
