// vellumcast_generer: writes a synthetic calendar export to standard output.
//   vellumcast_generer --docs N --seed S [--avant-2012 SHARE] [--recurrents K]
//                      [--part-recurrents SHARE] [--part-ical SHARE] [--petits]
//                      [--annees FIRST-LAST [--hors-changements]]
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
      "                          [--annees FIRST-LAST [--hors-changements]]\n"
      "  --avant-2012       share of the documents dated before 2012 (default 0.5)\n"
      "  --recurrents       distinct recurring identifiers (default: recurring documents / 10,\n"
      "                     at most 3000)\n"
      "  --part-recurrents  share of recurring documents (default 0.3)\n"
      "  --part-ical        share of the realistic documents that embed a calendar\n"
      "                     (default 0.07)\n"
      "  --petits           tiny documents of about 130 bytes instead of about 1 KB\n"
      "  --annees           every date in the years FIRST to LAST (such as 1996-2011), at any\n"
      "                     time of the day, instead of --avant-2012's share\n"
      "  --hors-changements with --annees: no start or end from 01:00 to 03:59 on the last\n"
      "                     Sunday of March or of October\n",
      stderr);
  return 2;
}

// "1996-2011": the first and the last year, four digits each, in order.
bool LireAnnees(const char* texte, vellumcast::banc::ParametresExport* p) {
  int premiere = 0, derniere = 0, fin = 0;
  if (std::sscanf(texte, "%4d-%4d%n", &premiere, &derniere, &fin) != 2 || texte[fin] != '\0' ||
      premiere < 1000 || derniere < premiere || derniere > 9998) {
    return false;
  }
  p->annee_min = premiere;
  p->annee_max = derniere;
  return true;
}

bool EcrireTout(std::string_view s) {
  while (!s.empty()) {
    ssize_t k = ::write(1, s.data(), s.size());
    if (k <= 0) return false;
    s.remove_prefix(static_cast<size_t>(k));
  }
  return true;
}

// The parameters the arguments give; false when they are no valid command line.
bool LireArguments(int argc, char** argv, vellumcast::banc::ParametresExport* p) {
  bool docs = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    bool valeur = i + 1 < argc;
    if (a == "--docs" && valeur) {
      p->documents = std::strtoull(argv[++i], nullptr, 10);
      docs = true;
    } else if (a == "--seed" && valeur) {
      p->graine = std::strtoull(argv[++i], nullptr, 10);
    } else if (a == "--avant-2012" && valeur) {
      p->avant_2012 = std::strtod(argv[++i], nullptr);
    } else if (a == "--recurrents" && valeur) {
      p->recurrents = std::strtoull(argv[++i], nullptr, 10);
    } else if (a == "--part-recurrents" && valeur) {
      p->part_recurrents = std::strtod(argv[++i], nullptr);
    } else if (a == "--part-ical" && valeur) {
      p->part_ical = std::strtod(argv[++i], nullptr);
    } else if (a == "--petits") {
      p->petits = true;
    } else if (a == "--annees" && valeur) {
      if (!LireAnnees(argv[++i], p)) return false;
    } else if (a == "--hors-changements") {
      p->hors_changements = true;
    } else {
      return false;
    }
  }
  // The change hours are kept off only within given years.
  return docs && (!p->hors_changements || p->annee_max != 0);
}

}  // namespace

int main(int argc, char** argv) {
  vellumcast::banc::ParametresExport p;
  if (!LireArguments(argc, argv, &p)) return Usage();
  bool ok = true;
  vellumcast::banc::GenererExport(p, [&](std::string_view s) { ok = ok && EcrireTout(s); });
  if (!ok) {
    std::perror("vellumcast_generer");
    return 1;
  }
  return 0;
}
