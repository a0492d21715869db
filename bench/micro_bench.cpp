// Micro-benchmarks of the conversion's hot paths: the character reader, the
// skip of ignored item lines, the UTF-8 copy of the event buffer into the
// result, the folding writer, the description, the registry look-up, the
// placing of a local time in a zone, and a whole conversion for scale.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "banc.h"
#include "fuseau.h"
#include "generateur.h"
#include "registre.h"
#include "tampon.h"

namespace vellumcast {
namespace {

const std::string& ExportRealiste() {
  static const std::string texte = [] {
    banc::ParametresExport p;
    p.documents = 10000;  // about 10 MB
    return banc::ExportEnMemoire(p);
  }();
  return texte;
}

std::string Repeter(std::string_view ligne, size_t fois) {
  std::string r;
  for (size_t k = 0; k < fois; ++k) r += ligne;
  return r;
}

// NEXTCAR over a realistic export, one character per call.
void BM_NEXTCAR(benchmark::State& state) {
  const std::string& texte = ExportRealiste();
  for (auto _ : state) {
    Erreurs erreurs;
    Lecteur lecteur(&erreurs, texte);
    Source source(&lecteur);
    uint64_t somme = 0;
    for (;;) {
      char c = source.NEXTCAR();
      if (source.Epuisee()) break;
      somme += static_cast<unsigned char>(c);
    }
    benchmark::DoNotOptimize(somme);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * texte.size()));
}
BENCHMARK(BM_NEXTCAR)->Unit(benchmark::kMillisecond);

// The skip of the rest of ignored item lines.
void BM_SauterLigne(benchmark::State& state) {
  const std::string texte =
      Repeter("StartTimeZone: Z=-1$DO=1$DL=3 -1 1 10 -1 1$ZX=6$ZN=Romance\r\n", 20000);
  for (auto _ : state) {
    Erreurs erreurs;
    Lecteur lecteur(&erreurs, texte);
    Source source(&lecteur);
    while (!source.AtEnd()) {
      source.END_OF_LINE = false;
      source.SauterLigne();
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * texte.size()));
}
BENCHMARK(BM_SauterLigne)->Unit(benchmark::kMicrosecond);

// A whole ignored item line: the name read up to its colon, then the skip.
void BM_LigneIgnoree(benchmark::State& state) {
  const std::string texte =
      Repeter("StartTimeZone: Z=-1$DO=1$DL=3 -1 1 10 -1 1$ZX=6$ZN=Romance\r\n", 20000);
  for (auto _ : state) {
    Banc b(texte, {}, Vers::kNul);
    while (!b.source.AtEnd()) {
      b.sonde.LIRE_DEBUT_LIGNE(&b.sonde.etat().LIGNE, ':');
      b.sonde.TRAITER_LIGNE(b.sonde.etat().LIGNE);
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * texte.size()));
}
BENCHMARK(BM_LigneIgnoree)->Unit(benchmark::kMicrosecond);

// The copy of a document's event buffer into the result, once per event block.
void BM_ECRIRE_NEW_RDV(benchmark::State& state) {
  std::string corps = "\r\n";
  for (int l = 0; l < 8; ++l)
    corps += "Pr\xE9voir la r\xE9union d'\xE9quipe, budget; ordre du jour\r\n";
  Banc b("Subject: R\xE9union d'\xE9quipe hebdomadaire, salle 3\r\nLocation: B\xE2timent B\r\n" +
             corps + "\f\r\n",
         {}, Vers::kNul);
  b.sonde.LIRE_DEBUT_LIGNE(&b.sonde.etat().LIGNE, ':');
  b.sonde.ECRIRE_LIGNE_RDV("SUMMARY:");
  b.sonde.LIRE_DEBUT_LIGNE(&b.sonde.etat().LIGNE, ':');
  b.sonde.ECRIRE_LIGNE_RDV("LOCATION:");
  b.sonde.LIRE_DEBUT_LIGNE(&b.sonde.etat().LIGNE, ':');
  b.sonde.ECRIRE_DESCRIPTION();
  for (auto _ : state) b.sonde.ECRIRE_NEW_RDV();
  b.passage.Transmettre();
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * b.sonde.event_buffer().size()));
}
BENCHMARK(BM_ECRIRE_NEW_RDV);

// The folding writer over subjects of `range(0)` characters with accents and commas.
void BM_ECRIRE_LIGNE_RDV(benchmark::State& state) {
  std::string valeur;
  while (valeur.size() < static_cast<size_t>(state.range(0))) valeur += "R\xE9union, \xE9t\xE9 ";
  valeur.resize(static_cast<size_t>(state.range(0)));
  const std::string texte = Repeter("Subject: " + valeur + "\r\n", 1000);
  for (auto _ : state) {
    Banc b(texte, {}, Vers::kNul);
    for (int k = 0; k < 1000; ++k) {
      b.sonde.LIRE_DEBUT_LIGNE(&b.sonde.etat().LIGNE, ':');
      b.sonde.ECRIRE_LIGNE_RDV("SUMMARY:");
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * texte.size()));
}
BENCHMARK(BM_ECRIRE_LIGNE_RDV)->Arg(40)->Arg(200)->Unit(benchmark::kMicrosecond);

// A body of 5,000 lines up to its form feed.
void BM_ECRIRE_DESCRIPTION(benchmark::State& state) {
  const std::string texte =
      Repeter("Pr\xE9voir la r\xE9union d'\xE9quipe, budget; voir C:\\temp\\a.doc merci\r\n",
              5000) +
      "\f\r\n";
  for (auto _ : state) {
    Banc b(texte, {}, Vers::kNul);
    b.sonde.ECRIRE_DESCRIPTION();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * texte.size()));
}
BENCHMARK(BM_ECRIRE_DESCRIPTION)->Unit(benchmark::kMicrosecond);

std::string Identifiant(int k) {
  char t[40];
  std::snprintf(t, sizeof t, "C1257A3B%08X%016X", k * 2654435761u, k);
  return t;
}

std::vector<std::string> Identifiants(int n) {
  std::vector<std::string> ids;
  for (int k = 0; k < n; ++k) ids.push_back(Identifiant(k));
  return ids;
}

// A look-up that finds its identifier among `range(0)` stored ones.
void BM_RegistreTrouve(benchmark::State& state) {
  Registre registre;
  const std::vector<std::string> ids = Identifiants(static_cast<int>(state.range(0)));
  for (const std::string& id : ids) registre.DejaRencontre(id);
  size_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(registre.DejaRencontre(ids[k]));
    if (++k == ids.size()) k = 0;
  }
}
BENCHMARK(BM_RegistreTrouve)->Arg(10)->Arg(1000)->Arg(100000);

// A look-up that misses, and so stores, its identifier: 100,000 of them from empty.
void BM_RegistreNouveau(benchmark::State& state) {
  const std::vector<std::string> ids = Identifiants(100000);
  for (auto _ : state) {
    Registre registre;
    for (const std::string& id : ids) benchmark::DoNotOptimize(registre.DejaRencontre(id));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * ids.size()));
}
BENCHMARK(BM_RegistreNouveau)->Unit(benchmark::kMillisecond);

// Local times every 7 days and 13 hours from 1960 to 2011, as events spread
// over the years of an export.
std::vector<HeureCivile> HeuresDesEvenements() {
  std::vector<HeureCivile> heures;
  const int64_t fin = HeureCivile{2012, 1, 1, 0, 0, 0}.Secondes();
  for (int64_t l = HeureCivile{1960, 1, 1, 9, 0, 0}.Secondes(); l < fin;
       l += 7 * 86400 + 13 * 3600) {
    heures.push_back(HeureCivile::De(l));
  }
  return heures;
}

void Placer(benchmark::State& state, const Fuseau& fuseau) {
  const std::vector<HeureCivile> heures = HeuresDesEvenements();
  for (auto _ : state) {
    int64_t somme = 0;
    for (const HeureCivile& h : heures) {
      const Placement p = fuseau.Placer(h);
      somme += p.utc + p.locale;
    }
    benchmark::DoNotOptimize(somme);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * heures.size()));
}

// The default zone, Paris's history built in.
void BM_PlacerFrance(benchmark::State& state) { Placer(state, Fuseau::France()); }
BENCHMARK(BM_PlacerFrance)->Unit(benchmark::kMicrosecond);

// A zone read from the tz database, as with --timezone Europe/London.
void BM_PlacerLondres(benchmark::State& state) {
  Fuseau londres;
  std::string erreur;
  if (!Fuseau::Charger("Europe/London", "/usr/share/zoneinfo", &londres, &erreur)) {
    state.SkipWithError(erreur.c_str());
    return;
  }
  Placer(state, londres);
}
BENCHMARK(BM_PlacerLondres)->Unit(benchmark::kMicrosecond);

// A whole conversion of a realistic export of about 10 MB.
void BM_Convertir(benchmark::State& state) {
  const std::string& texte = ExportRealiste();
  for (auto _ : state) {
    Banc b(texte, {}, Vers::kNul);
    b.passage.Convertir();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * texte.size()));
}
BENCHMARK(BM_Convertir)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vellumcast

BENCHMARK_MAIN();
