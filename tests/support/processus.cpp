#include "processus.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string_view>

namespace vellumcast {

namespace {

using Horloge = std::chrono::steady_clock;

// What remains of `echeance`, in milliseconds for poll.
int Reste(Horloge::time_point echeance) {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(echeance - Horloge::now());
  return ms.count() > 0 ? static_cast<int>(ms.count()) : 0;
}

// argv or an environment as execve wants it; the strings must outlive it.
std::vector<char*> Pointeurs(const std::vector<std::string>& textes) {
  std::vector<char*> p;
  for (const std::string& t : textes) p.push_back(const_cast<char*>(t.c_str()));
  p.push_back(nullptr);
  return p;
}

// This process's environment with TZ set to Europe/Paris: the zone the
// conversion writes in unless told another, so that the summary has no note
// on the machine's own zone.
std::vector<std::string> EnvironnementDeParis() {
  std::vector<std::string> env;
  for (char** v = environ; *v != nullptr; ++v) {
    if (!std::string_view(*v).starts_with("TZ=")) env.emplace_back(*v);
  }
  env.emplace_back("TZ=Europe/Paris");
  return env;
}

// A test writing to a child that has stopped reading must not die of it; the
// child gets the default back before it runs.
void IgnorerSigpipe() { ::signal(SIGPIPE, SIG_IGN); }

// Reads what `fd` has into `*cible`; false at its end.
bool Recevoir(int fd, std::string* cible) {
  char tampon[4096];
  ssize_t n = ::read(fd, tampon, sizeof tampon);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
  if (n <= 0) return false;
  cible->append(tampon, static_cast<size_t>(n));
  return true;
}

// In the child, before it runs: applies `c`; false when it could not.
bool Preparer(const Conditions& c) {
  if (!c.sortie_vers.empty()) {
    // The pipe's end closes at exec, so the parent reads an empty output.
    int fd = ::open(c.sortie_vers.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::dup2(fd, 1) < 0) return false;
    ::close(fd);
  }
  if (c.taille_max != RLIM_INFINITY) {
    // SIGXFSZ as it is by default: the program itself must not die of it.
    ::signal(SIGXFSZ, SIG_DFL);
    struct rlimit lim = {c.taille_max, c.taille_max};
    if (::setrlimit(RLIMIT_FSIZE, &lim) != 0) return false;
  }
  // Root ignores permission bits: the cases about them run as an ordinary user.
  if (c.sans_privilege && ::geteuid() == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kPersonne) != 0 || ::setuid(kPersonne) != 0) {
      return false;
    }
  }
  return true;
}

}  // namespace

int Execution::code() const { return fini && WIFEXITED(statut) ? WEXITSTATUS(statut) : -1; }

Execution Executer(const std::vector<std::string>& argv, const std::string& repertoire,
                   const std::string* entree, const std::vector<std::string>* environnement,
                   int delai, const Conditions& conditions) {
  IgnorerSigpipe();
  Execution r;
  int in[2] = {-1, -1}, out[2], err[2];
  if ((entree != nullptr && ::pipe2(in, O_CLOEXEC) != 0) || ::pipe2(out, O_CLOEXEC) != 0 ||
      ::pipe2(err, O_CLOEXEC) != 0) {
    return r;
  }
  std::vector<char*> args = Pointeurs(argv);
  // Both sides name objects that outlive the call: a temporary copy here
  // would be gone, and its strings with it, before execve reads them.
  const std::vector<std::string> paris = EnvironnementDeParis();
  std::vector<char*> env = Pointeurs(environnement != nullptr ? *environnement : paris);
  pid_t pid = ::fork();
  if (pid < 0) return r;
  if (pid == 0) {
    int fd0 = entree != nullptr ? in[0] : ::open("/dev/null", O_RDONLY);
    ::dup2(fd0, 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    ::signal(SIGPIPE, SIG_DFL);
    if (::chdir(repertoire.c_str()) != 0) ::_exit(126);
    if (!Preparer(conditions)) ::_exit(125);
    ::execve(args[0], args.data(), env.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  if (entree != nullptr) {
    ::close(in[0]);
    ::fcntl(in[1], F_SETFL, O_NONBLOCK);
  }
  size_t ecrit = 0;
  int fd_entree = entree != nullptr ? in[1] : -1;
  if (fd_entree >= 0 && entree->empty()) {
    ::close(fd_entree);
    fd_entree = -1;
  }
  bool ouvert_sortie = true, ouvert_erreur = true;
  auto echeance = Horloge::now() + std::chrono::seconds(delai);
  r.fini = true;
  while (ouvert_sortie || ouvert_erreur) {
    struct pollfd p[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {fd_entree, POLLOUT, 0}};
    if (!ouvert_sortie) p[0].fd = -1;
    if (!ouvert_erreur) p[1].fd = -1;
    int n = ::poll(p, 3, Reste(echeance));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      r.fini = false;
      ::kill(pid, SIGKILL);
      break;
    }
    if (p[0].revents != 0) ouvert_sortie = Recevoir(out[0], &r.sortie);
    if (p[1].revents != 0) ouvert_erreur = Recevoir(err[0], &r.erreur);
    if (fd_entree >= 0 && p[2].revents != 0) {
      ssize_t k = ::write(fd_entree, entree->data() + ecrit, entree->size() - ecrit);
      if (k > 0) ecrit += static_cast<size_t>(k);
      if ((k < 0 && errno != EAGAIN && errno != EINTR) || ecrit == entree->size()) {
        ::close(fd_entree);
        fd_entree = -1;
      }
    }
  }
  if (fd_entree >= 0) ::close(fd_entree);
  ::close(out[0]);
  ::close(err[0]);
  while (::waitpid(pid, &r.statut, 0) < 0 && errno == EINTR) {
  }
  return r;
}

Suivi::~Suivi() {
  if (pid_ > 0 && !termine_) {
    ::kill(pid_, SIGKILL);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  for (int fd : {sortie_, erreur_}) {
    if (fd >= 0) ::close(fd);
  }
}

bool Suivi::Lancer(const std::vector<std::string>& argv, const std::string& repertoire) {
  IgnorerSigpipe();
  int out[2], err[2];
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return false;
  std::vector<char*> args = Pointeurs(argv);
  const std::vector<std::string> paris = EnvironnementDeParis();
  std::vector<char*> env = Pointeurs(paris);
  pid_ = ::fork();
  if (pid_ < 0) return false;
  if (pid_ == 0) {
    ::dup2(::open("/dev/null", O_RDONLY), 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    ::signal(SIGPIPE, SIG_DFL);
    if (::chdir(repertoire.c_str()) != 0) ::_exit(126);
    ::execve(args[0], args.data(), env.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  sortie_ = out[0];
  erreur_ = err[0];
  return true;
}

bool Suivi::Lire(int attente_ms) {
  struct pollfd p[2] = {{sortie_, POLLIN, 0}, {erreur_, POLLIN, 0}};
  if (sortie_ < 0 && erreur_ < 0) return false;
  if (::poll(p, 2, attente_ms) <= 0) return true;
  if (p[0].revents != 0 && !Recevoir(sortie_, &fin_.sortie)) {
    ::close(sortie_);
    sortie_ = -1;
  }
  if (p[1].revents != 0 && !Recevoir(erreur_, &fin_.erreur)) {
    ::close(erreur_);
    erreur_ = -1;
  }
  return true;
}

bool Suivi::AttendreErreur(std::string_view attendu, int delai) {
  auto echeance = Horloge::now() + std::chrono::seconds(delai);
  while (fin_.erreur.find(attendu) == std::string::npos) {
    if (Horloge::now() >= echeance || !Lire(Reste(echeance))) return false;
  }
  return true;
}

bool Suivi::Fini() {
  if (!termine_ && ::waitpid(pid_, &fin_.statut, WNOHANG) == pid_) termine_ = true;
  return termine_;
}

Execution Suivi::Finir(int delai) {
  auto echeance = Horloge::now() + std::chrono::seconds(delai);
  fin_.fini = true;
  while (Lire(Reste(echeance))) {
    if (Horloge::now() >= echeance) {
      fin_.fini = false;
      ::kill(pid_, SIGKILL);
      break;
    }
  }
  if (!termine_) {
    while (::waitpid(pid_, &fin_.statut, 0) < 0 && errno == EINTR) {
    }
    termine_ = true;
  }
  return fin_;
}

SousTerminal::~SousTerminal() {
  if (pid_ > 0 && !termine_) ::kill(pid_, SIGKILL);
  if (parent_ > 0) {
    while (::waitpid(parent_, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  for (int fd : {maitre_, esclave_, etats_}) {
    if (fd >= 0) ::close(fd);
  }
}

bool SousTerminal::Lancer(const std::vector<std::string>& argv, const std::string& repertoire,
                          const std::vector<int>& ignores,
                          const std::vector<std::string>& variables) {
  IgnorerSigpipe();
  int etats[2];
  if (::openpty(&maitre_, &esclave_, nullptr, nullptr, nullptr) != 0 ||
      ::pipe2(etats, O_CLOEXEC) != 0) {
    return false;
  }
  ::fcntl(maitre_, F_SETFD, FD_CLOEXEC);
  ::fcntl(esclave_, F_SETFD, FD_CLOEXEC);
  std::vector<char*> args = Pointeurs(argv);
  parent_ = ::fork();
  if (parent_ == 0) {
    // The job-control parent: leads the session the terminal belongs to.
    ::setsid();
    ::ioctl(esclave_, TIOCSCTTY, 0);
    pid_t pid = ::fork();
    if (pid == 0) {
      ::setpgid(0, 0);
      // Taking the foreground from the background would stop us without this.
      sigset_t ttou, avant;
      sigemptyset(&ttou);
      sigaddset(&ttou, SIGTTOU);
      ::sigprocmask(SIG_BLOCK, &ttou, &avant);
      ::tcsetpgrp(esclave_, ::getpid());
      ::sigprocmask(SIG_SETMASK, &avant, nullptr);
      for (int fd = 0; fd <= 2; ++fd) ::dup2(esclave_, fd);
      ::signal(SIGPIPE, SIG_DFL);
      for (int sig : ignores) ::signal(sig, SIG_IGN);
      ::setenv("TZ", "Europe/Paris", 1);
      for (const std::string& v : variables) {
        size_t egal = v.find('=');
        if (egal == std::string::npos) {
          ::unsetenv(v.c_str());
        } else {
          ::setenv(v.substr(0, egal).c_str(), v.substr(egal + 1).c_str(), 1);
        }
      }
      if (::chdir(repertoire.c_str()) != 0) ::_exit(126);
      ::execv(args[0], args.data());
      ::_exit(127);
    }
    ::setpgid(pid, pid);
    if (::write(etats[1], &pid, sizeof pid) != sizeof pid) ::_exit(1);
    for (;;) {
      int statut;
      if (::waitpid(pid, &statut, WUNTRACED) < 0) {
        if (errno == EINTR) continue;
        ::_exit(1);
      }
      if (::write(etats[1], &statut, sizeof statut) != sizeof statut) ::_exit(1);
      if (!WIFSTOPPED(statut)) ::_exit(0);
    }
  }
  ::close(etats[1]);
  etats_ = etats[0];
  ::fcntl(maitre_, F_SETFL, O_NONBLOCK);
  struct pollfd p = {etats_, POLLIN, 0};
  if (::poll(&p, 1, 10000) != 1) return false;
  return ::read(etats_, &pid_, sizeof pid_) == sizeof pid_;
}

void SousTerminal::Taper(std::string_view texte) {
  while (!texte.empty()) {
    ssize_t n = ::write(maitre_, texte.data(), texte.size());
    if (n < 0 && errno != EAGAIN && errno != EINTR) return;
    if (n > 0) texte.remove_prefix(static_cast<size_t>(n));
  }
}

void SousTerminal::Lire(int attente_ms) {
  struct pollfd p = {maitre_, POLLIN, 0};
  if (::poll(&p, 1, attente_ms) == 1) Recevoir(maitre_, &ecran_);
}

bool SousTerminal::Attendre(std::string_view attendu, size_t depuis, int delai) {
  auto echeance = Horloge::now() + std::chrono::seconds(delai);
  for (;;) {
    if (ecran_.size() >= depuis && ecran_.find(attendu, depuis) != std::string::npos) return true;
    if (Horloge::now() >= echeance) return false;
    Lire(Reste(echeance));
  }
}

bool SousTerminal::ModeNormal() const {
  struct termios t;
  if (::tcgetattr(esclave_, &t) != 0) return false;
  return (t.c_lflag & ICANON) != 0 && (t.c_lflag & ECHO) != 0;
}

bool SousTerminal::AttendreMode(bool brut, int delai) {
  auto echeance = Horloge::now() + std::chrono::seconds(delai);
  for (;;) {
    struct termios t;
    if (::tcgetattr(esclave_, &t) != 0) return false;
    bool est_brut = (t.c_lflag & (ICANON | ECHO)) == 0;
    if (brut ? est_brut : ModeNormal()) return true;
    if (Horloge::now() >= echeance) return false;
    // Keep the screen drained so that the child never waits on it.
    Lire(5);
  }
}

void SousTerminal::Signaler(int sig) {
  if (pid_ > 0 && !termine_) ::kill(pid_, sig);
}

bool SousTerminal::AttendreEtat(int* statut, int delai) {
  auto echeance = Horloge::now() + std::chrono::seconds(delai);
  for (;;) {
    struct pollfd p = {etats_, POLLIN, 0};
    int n = ::poll(&p, 1, std::min(Reste(echeance), 20));
    if (n == 1) {
      if (::read(etats_, statut, sizeof *statut) != sizeof *statut) return false;
      if (!WIFSTOPPED(*statut)) termine_ = true;
      // What it showed before stopping or ending is all in the terminal by now.
      std::string::size_type avant;
      do {
        avant = ecran_.size();
        Lire(0);
      } while (ecran_.size() != avant);
      return true;
    }
    if (Horloge::now() >= echeance) return false;
    Lire(0);
  }
}

}  // namespace vellumcast
