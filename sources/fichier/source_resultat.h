// The character reader over the input and the writer of the result file.
#pragma once

#include <cstdint>
#include <string_view>

#include "balayage.h"
#include "flux.h"
#include "statut.h"

namespace vellumcast {

constexpr char kFinEntree = 26;  // what reading delivers once the input is exhausted

// How a run read by Source::Jusqua ended, when no stop byte ended it.
constexpr int kEpuisee = -1;  // the input is exhausted
constexpr int kPlein = -2;    // the receiver took less than it was handed

// The input, read forward with its line ends normalised: a carriage return is
// dropped wherever it stands, and a line feed ends a line. Every read goes
// through Suite(), which asks the descriptor for more only once nothing is at
// hand, so that a terminal is read no sooner than a character is needed.
class Source {
 public:
  explicit Source(Lecteur* lecteur) : lecteur_(lecteur) {}

  // The bytes at hand after the carriage returns that come first; empty once
  // the input is exhausted.
  std::string_view Suite() {
    ++lectures_;
    std::string_view d = lecteur_->Disponible();
    while (!d.empty() && d[0] == '\r') {
      lecteur_->Avancer(1);
      d = lecteur_->Disponible();
    }
    return d;
  }
  // Takes the first `n` bytes of Suite(), none of them a line feed.
  void Prendre(size_t n) {
    lecteur_->Avancer(n);
    END_OF_LINE = vide_ = false;
  }

  // Takes the bytes up to the first of `Arrets`, handing each run of them to
  // `recevoir`, which returns how many of the run it takes; carriage returns
  // are dropped between runs. Returns the byte that stopped the reading, not
  // taken, or kPlein when `recevoir` took less than a whole run, or kEpuisee.
  template <char... Arrets, typename Recevoir>
  int Jusqua(Recevoir&& recevoir) {
    for (;;) {
      std::string_view d = Suite();
      if (d.empty()) return kEpuisee;
      size_t n = SansAucun<'\r', Arrets...>(d);
      size_t pris = n == 0 ? 0 : recevoir(d.substr(0, n));
      if (pris > 0) Prendre(pris);
      if (pris < n) return kPlein;
      if (n < d.size() && d[n] != '\r') return static_cast<unsigned char>(d[n]);
    }
  }

  // Skips the bytes up to the first of `Arrets`; returns it, not taken, or
  // kEpuisee. What is skipped is read by nobody, carriage returns included.
  template <char... Arrets>
  int Passer() {
    for (;;) {
      std::string_view d = Suite();
      if (d.empty()) return kEpuisee;
      size_t n = SansAucun<Arrets...>(d);
      if (n > 0) Prendre(n);
      if (n < d.size()) return static_cast<unsigned char>(d[n]);
    }
  }

  // The next character: a line feed delivered as a blank with END_OF_LINE
  // set, code 26 once nothing is left.
  char NEXTCAR() {
    std::string_view d = Suite();
    if (d.empty()) {
      END_OF_LINE = false;
      vide_ = true;
      return kFinEntree;
    }
    Prendre(1);
    END_OF_LINE = d[0] == '\n';
    lignes_ += END_OF_LINE;
    return END_OF_LINE ? ' ' : d[0];
  }
  // The number of the line being read: the line feeds taken so far, plus one.
  // Every line feed is taken by NEXTCAR.
  uint64_t Ligne() const { return lignes_ + 1; }
  // Whether the input is at its end: nothing is left but carriage returns,
  // or the next byte is code 26.
  bool AtEnd() {
    std::string_view d = Suite();
    return d.empty() || d[0] == kFinEntree;
  }
  // Whether the last NEXTCAR found nothing left to read.
  bool Epuisee() const { return vide_; }

  // Takes the blanks that come next, not a line end.
  void PasserBlancs();
  // Skips the rest of the line: up to and including its line feed, or up to
  // the end of the input. Reads nothing once the line has ended.
  void SauterLigne();

  bool END_OF_LINE = false;

  // Calls to Suite(), for bounding the work done on an input. Used by tests.
  uint64_t lectures() const { return lectures_; }

 private:
  Lecteur* lecteur_;
  bool vide_ = false;
  uint64_t lectures_ = 0;
  uint64_t lignes_ = 0;
};

// The result file: PUT writes a text, PUTLN a text and CR LF.
// Nothing more is written once the run has failed, so that the file holds
// exactly what was written before the failure.
class Resultat {
 public:
  Resultat(Ecrivain* ecrivain, Erreurs* erreurs) : ecrivain_(ecrivain), erreurs_(erreurs) {}
  // The file written from now on: the result, once the run has created it.
  void Vers(Ecrivain* ecrivain) { ecrivain_ = ecrivain; }
  void PUT(std::string_view ch) {
    if (!erreurs_->echec()) ecrivain_->Ecrire(ch);
  }
  void PUTLN(std::string_view ch) {
    if (erreurs_->echec()) return;
    ecrivain_->Ecrire(ch);
    ecrivain_->Ecrire("\r\n");
  }

 private:
  Ecrivain* ecrivain_;
  Erreurs* erreurs_;
};

}  // namespace vellumcast
