// vellumcast_generer: writes a synthetic calendar export to standard output.
//   vellumcast_generer --docs N --seed S [--avant-2012 SHARE] [--recurrents K]
//                      [--part-recurrents SHARE] [--part-ical SHARE] [--petits]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "generateur.h"

namespace {

int Usage() {
  std::fputs(
      "usage: vellumcast_generer --docs N --seed S [--avant-2012 SHARE] [--recurrents K]\n"
      "                          [--part-recurrents SHARE] [--part-ical SHARE] [--petits]\n"
      "  --avant-2012       share of the documents dated before 2012 (default 0.5)\n"
      "  --recurrents       distinct recurring identifiers (default: recurring documents / 10,\n"
      "                     at most 3000)\n"
      "  --part-recurrents  share of recurring documents (default 0.3)\n"
      "  --part-ical        share of the realistic documents that embed a calendar\n"
      "                     (default 0.07)\n"
      "  --petits           tiny documents of about 130 bytes instead of about 1 KB\n",
      stderr);
  return 2;
}

bool EcrireTout(std::string_view s) {
  while (!s.empty()) {
    ssize_t k = ::write(1, s.data(), s.size());
    if (k <= 0) return false;
    s.remove_prefix(static_cast<size_t>(k));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  vellumcast::banc::ParametresExport p;
  bool docs = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    bool valeur = i + 1 < argc;
    if (a == "--docs" && valeur) {
      p.documents = std::strtoull(argv[++i], nullptr, 10);
      docs = true;
    } else if (a == "--seed" && valeur) {
      p.graine = std::strtoull(argv[++i], nullptr, 10);
    } else if (a == "--avant-2012" && valeur) {
      p.avant_2012 = std::strtod(argv[++i], nullptr);
    } else if (a == "--recurrents" && valeur) {
      p.recurrents = std::strtoull(argv[++i], nullptr, 10);
    } else if (a == "--part-recurrents" && valeur) {
      p.part_recurrents = std::strtod(argv[++i], nullptr);
    } else if (a == "--part-ical" && valeur) {
      p.part_ical = std::strtod(argv[++i], nullptr);
    } else if (a == "--petits") {
      p.petits = true;
    } else {
      return Usage();
    }
  }
  if (!docs) return Usage();
  bool ok = true;
  vellumcast::banc::GenererExport(p, [&](std::string_view s) { ok = ok && EcrireTout(s); });
  if (!ok) {
    std::perror("vellumcast_generer");
    return 1;
  }
  return 0;
}
