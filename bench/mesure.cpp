// vellumcast_mesure: runs a command and prints its wall time and its CPU time
// (user + system) in seconds, its peak resident memory in KiB, then its user
// and its system time in seconds, from the rusage the kernel keeps for it
// (what /usr/bin/time -v reports).
//   vellumcast_mesure [-o FILE] COMMAND [ARGS...]
// The command's standard output goes to FILE (default /dev/null), so that
// writing it costs the same for every program measured.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>

int main(int argc, char** argv) {
  int i = 1;
  const char* sortie = "/dev/null";
  if (i + 1 < argc && std::strcmp(argv[i], "-o") == 0) {
    sortie = argv[i + 1];
    i += 2;
  }
  if (i >= argc) {
    std::fputs("usage: vellumcast_mesure [-o FILE] COMMAND [ARGS...]\n", stderr);
    return 2;
  }
  timespec t0, t1;
  clock_gettime(CLOCK_MONOTONIC, &t0);
  pid_t pid = fork();
  if (pid < 0) {
    std::perror("fork");
    return 2;
  }
  if (pid == 0) {
    int fd = open(sortie, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || dup2(fd, 1) < 0) _exit(126);
    close(fd);
    execvp(argv[i], argv + i);
    _exit(127);
  }
  int etat = 0;
  rusage ru{};
  while (wait4(pid, &etat, 0, &ru) < 0) {
  }
  clock_gettime(CLOCK_MONOTONIC, &t1);
  double s = static_cast<double>(t1.tv_sec - t0.tv_sec) + (t1.tv_nsec - t0.tv_nsec) * 1e-9;
  double cpu = static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
               (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-6;
  double user = static_cast<double>(ru.ru_utime.tv_sec) + ru.ru_utime.tv_usec * 1e-6;
  double sys = static_cast<double>(ru.ru_stime.tv_sec) + ru.ru_stime.tv_usec * 1e-6;
  std::printf("%.6f %.6f %ld %.6f %.6f\n", s, cpu, ru.ru_maxrss, user, sys);
  if (!WIFEXITED(etat) || WEXITSTATUS(etat) != 0) {
    std::fprintf(stderr, "vellumcast_mesure: %s ended with status %d\n", argv[i],
                 WIFEXITED(etat) ? WEXITSTATUS(etat) : 128 + WTERMSIG(etat));
    return 1;
  }
  return 0;
}
