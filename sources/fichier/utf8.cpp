// The character set tables, UTF-8 reading, and what the bytes tell of the set.
#include "utf8.h"

#include <algorithm>
#include <array>

#include "chaines.h"
#include "rapport.h"

namespace vellumcast {

namespace {

// U+FFFD, what an invalid byte of a UTF-8 text becomes.
constexpr char kRemplacement[] = "\xEF\xBF\xBD";

constexpr void Poser(utf8::Table* t, int c, std::string_view u) {
  for (size_t i = 0; i < u.size(); ++i) t->octets[c][i] = u[i];
  t->longueur[c] = static_cast<unsigned char>(u.size());
}

// ISO 8859-1: byte c is the character U+00c.
constexpr utf8::Table Iso88591() {
  utf8::Table t{};
  for (int c = 0; c < 256; ++c) {
    if (c == 0) {
      Poser(&t, c, " ");
    } else if (c < 128) {
      const char un[] = {static_cast<char>(c)};
      Poser(&t, c, std::string_view(un, 1));
    } else {
      const char deux[] = {static_cast<char>(c < 192 ? 0xC2 : 0xC3),
                           static_cast<char>(c < 192 ? c : c - 64)};
      Poser(&t, c, std::string_view(deux, 2));
    }
  }
  return t;
}

// Windows-1252: ISO 8859-1 but for the 27 characters it puts at 0x80 to
// 0x9F; the five bytes it leaves unassigned stay as in ISO 8859-1.
constexpr utf8::Table Windows1252() {
  utf8::Table t = Iso88591();
  constexpr std::array<std::string_view, 32> kC1 = {
      "\u20AC", "",       "\u201A", "\u0192", "\u201E", "\u2026", "\u2020", "\u2021",
      "\u02C6", "\u2030", "\u0160", "\u2039", "\u0152", "",       "\u017D", "",
      "",       "\u2018", "\u2019", "\u201C", "\u201D", "\u2022", "\u2013", "\u2014",
      "\u02DC", "\u2122", "\u0161", "\u203A", "\u0153", "",       "\u017E", "\u0178",
  };
  for (int c = 0x80; c < 0xA0; ++c) {
    if (!kC1[c - 0x80].empty()) Poser(&t, c, kC1[c - 0x80]);
  }
  return t;
}

// How a UTF-8 sequence that begins with `u` goes on: its length and the
// range of its second byte (shortest forms only, no surrogates, at most
// U+10FFFF); false when no sequence begins with `u`.
bool Debut(unsigned char u, unsigned* longueur, unsigned char* min, unsigned char* max) {
  *min = 0x80;
  *max = 0xBF;
  if (u >= 0xC2 && u <= 0xDF) {
    *longueur = 2;
  } else if (u >= 0xE0 && u <= 0xEF) {
    *longueur = 3;
    if (u == 0xE0) *min = 0xA0;
    if (u == 0xED) *max = 0x9F;
  } else if (u >= 0xF0 && u <= 0xF4) {
    *longueur = 4;
    if (u == 0xF0) *min = 0x90;
    if (u == 0xF4) *max = 0x8F;
  } else {
    return false;
  }
  return true;
}

// The first position from `i` on of a byte b of `octets` with (b & masque)
// == valeur, or the end: eight bytes at a time as long as none of them is one.
size_t SansOctetDe(std::string_view octets, size_t i, unsigned char masque, unsigned char valeur) {
  constexpr uint64_t kUns = 0x0101010101010101;
  const uint64_t m = kUns * masque, v = kUns * valeur;
  for (uint64_t w; i + 8 <= octets.size(); i += 8) {
    std::memcpy(&w, octets.data() + i, 8);
    // A byte of (w & m) ^ v is zero where a byte is one of those looked for.
    uint64_t x = (w & m) ^ v;
    if (((x - kUns) & ~x & (kUns * 0x80)) != 0) break;
  }
  while (i < octets.size() && (static_cast<unsigned char>(octets[i]) & masque) != valeur) ++i;
  return i;
}

}  // namespace

namespace utf8 {
constexpr Table kIso88591 = Iso88591();
constexpr Table kWindows1252 = Windows1252();
}  // namespace utf8

bool LireJeu(std::string_view nom, Jeu* jeu) {
  struct Nom {
    std::string_view nom;
    Jeu jeu;
  };
  static constexpr Nom kNoms[] = {
      {"iso-8859-1", Jeu::kIso88591},
      {"latin1", Jeu::kIso88591},
      {"latin-1", Jeu::kIso88591},
      {"iso8859-1", Jeu::kIso88591},
      {"windows-1252", Jeu::kWindows1252},
      {"cp1252", Jeu::kWindows1252},
      {"utf-8", Jeu::kUtf8},
      {"utf8", Jeu::kUtf8},
  };
  for (const Nom& n : kNoms) {
    bool egal = n.nom.size() == nom.size();
    for (size_t i = 0; egal && i < nom.size(); ++i) egal = TOLOWERCASE(nom[i]) == n.nom[i];
    if (egal) {
      *jeu = n.jeu;
      return true;
    }
  }
  return false;
}

size_t LongueurUtf8(std::string_view octets) {
  if (octets.empty()) return 0;
  auto u = static_cast<unsigned char>(octets[0]);
  if (u < 0x80) return 1;
  unsigned longueur = 0;
  unsigned char min = 0, max = 0;
  if (!Debut(u, &longueur, &min, &max) || octets.size() < longueur) return 0;
  for (unsigned k = 1; k < longueur; ++k) {
    auto suite = static_cast<unsigned char>(octets[k]);
    if (suite < (k == 1 ? min : 0x80) || suite > (k == 1 ? max : 0xBF)) return 0;
  }
  return longueur;
}

EnUtf8::EnUtf8(Jeu jeu, Rapporteur* rapport)
    : jeu_(jeu),
      table_(jeu == Jeu::kWindows1252 ? &utf8::kWindows1252 : &utf8::kIso88591),
      // Only the default set has bytes the summary warns about; in UTF-8 the
      // notes come from the decoding itself.
      rapport_(jeu == Jeu::kWindows1252 ? nullptr : rapport) {}

void EnUtf8::Observer(std::string_view octets) {
  size_t i = 0;
  for (; utf8_possible_ && i < octets.size(); ++i) {
    // Plain ASCII outside a sequence tells nothing: eight bytes at a time.
    if (attente_ == 0) i = SansOctetDe(octets, i, 0x80, 0x80);
    if (i == octets.size()) return;
    auto u = static_cast<unsigned char>(octets[i]);
    if (u >= 0x80 && u < 0xA0) rapport_->Signaler(Perte::kControles);
    unsigned char min = attente_ == 1 ? min_second_ : 0x80;
    unsigned char max = attente_ == 1 ? max_second_ : 0xBF;
    if (attente_ == 0 ? !Debut(u, &longueur_, &min_second_, &max_second_) : u < min || u > max) {
      utf8_possible_ = false;
      attente_ = 0;
      rapport_->PasUtf8();
    } else if (++attente_ == longueur_) {
      attente_ = 0;
      rapport_->Signaler(Perte::kUtf8Probable);
    }
  }
  // Once the text cannot be UTF-8, only the bytes 0x80 to 0x9F count.
  for (; i < octets.size(); ++i) {
    i = SansOctetDe(octets, i, 0xE0, 0x80);
    if (i < octets.size()) rapport_->Signaler(Perte::kControles);
  }
}

char* EnUtf8::DepuisUtf8(std::string_view octets, char* sortie) {
  for (size_t i = 0; i < octets.size();) {
    auto u = static_cast<unsigned char>(octets[i]);
    if (attente_ == 0) {
      ++i;
      if (u < 0x80) {
        *sortie++ = u == 0 ? ' ' : static_cast<char>(u);
      } else if (Debut(u, &longueur_, &min_second_, &max_second_)) {
        attente_octets_[attente_++] = u;
      } else {
        if (rapport_ != nullptr) rapport_->Signaler(Perte::kUtf8Invalide);
        sortie = std::copy_n(kRemplacement, 3, sortie);
      }
      continue;
    }
    unsigned char min = attente_ == 1 ? min_second_ : 0x80;
    unsigned char max = attente_ == 1 ? max_second_ : 0xBF;
    if (u < min || u > max) {
      // The sequence so far is invalid; the byte that broke it starts afresh.
      sortie = Finir(sortie);
      continue;
    }
    ++i;
    attente_octets_[attente_++] = u;
    if (attente_ == longueur_) {
      sortie = std::copy_n(reinterpret_cast<const char*>(attente_octets_), attente_, sortie);
      attente_ = 0;
    }
  }
  return sortie;
}

char* EnUtf8::Finir(char* sortie) {
  if (jeu_ == Jeu::kUtf8) {
    for (unsigned k = 0; k < attente_; ++k) {
      if (rapport_ != nullptr) rapport_->Signaler(Perte::kUtf8Invalide);
      sortie = std::copy_n(kRemplacement, 3, sortie);
    }
  } else if (attente_ != 0 && rapport_ != nullptr) {
    // A text that ends inside a sequence is not UTF-8.
    utf8_possible_ = false;
    rapport_->PasUtf8();
  }
  attente_ = 0;
  return sortie;
}

}  // namespace vellumcast
