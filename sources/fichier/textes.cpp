// The text items: subject and location as folded value lines, the access
// class, and the body as the description, all into the event buffer.
#include <cstring>

#include "balayage.h"
#include "utf8.h"
#include "vellumcast.h"

namespace vellumcast {

namespace {

constexpr int kPli = 50;                   // a value line folds at its 50th character
constexpr size_t kMaxOctetsCaractere = 4;  // the longest character in UTF-8

// Hands `texte` the runs of `octets` as read, and `echappe` each backslash,
// comma and semicolon behind the backslash that escapes it.
template <typename Texte, typename Echappe>
void Echapper(std::string_view octets, Texte&& texte, Echappe&& echappe) {
  while (!octets.empty()) {
    size_t n = SansAucun<'\\', ',', ';'>(octets);
    if (n > 0) texte(octets.substr(0, n));
    if (n < octets.size()) {
      const char echappee[kMaxOctetsCaractere] = {'\\', octets[n]};
      echappe(std::string_view(echappee, 2));
      ++n;
    }
    octets.remove_prefix(n);
  }
}

// Appends the UTF-8 form of `octets` to the event buffer.
void AjouterUtf8(std::string_view octets, EnUtf8* utf8, Tampon* rdv) {
  rdv->Ecrire(EnUtf8::Place(octets.size()), [&](char* p) { return utf8->Convertir(octets, p); });
}

// Ends a text in the event buffer: a sequence left incomplete is written.
void FinirUtf8(EnUtf8* utf8, Tampon* rdv) {
  if (utf8->EnAttente()) rdv->Ecrire(EnUtf8::Place(0), [&](char* p) { return utf8->Finir(p); });
}

// A property line of the event buffer, folded by its characters.
class LigneValeur {
 public:
  LigneValeur(Tampon* rdv, EnUtf8* utf8, std::string_view mot_cle)
      : rdv_(rdv), utf8_(utf8), compteur_(static_cast<int>(mot_cle.size())) {
    rdv_->Ajouter(mot_cle);
  }

  // Adds value bytes as read.
  void Ajouter(std::string_view octets) {
    Echapper(
        octets, [this](std::string_view t) { Texte(t); },
        [this](std::string_view e) {
          Terminer();
          Caractere(e, 2);
        });
  }

  // Ends the line.
  void Finir() {
    Terminer();
    texte_[n_++] = '\n';
    Transmettre();
  }

 private:
  // Adds the characters of `octets`, none of them escaped, converted to
  // UTF-8 a piece at a time. The characters that fit before the next fold
  // go in at once; the one after them opens the next line.
  void Texte(std::string_view octets) {
    char utf8[EnUtf8::Place(kMorceau) + kMaxOctetsCaractere];
    while (!octets.empty()) {
      std::string_view morceau = octets.substr(0, kMorceau);
      octets.remove_prefix(morceau.size());
      Plier(utf8, utf8_->Convertir(morceau, utf8));
    }
  }

  // The characters of a sequence that the text left incomplete.
  void Terminer() {
    if (!utf8_->EnAttente()) return;
    char utf8[EnUtf8::Place(0) + kMaxOctetsCaractere];
    Plier(utf8, utf8_->Finir(utf8));
  }

  // Adds the UTF-8 characters from `p` to `fin`, each of weight one.
  void Plier(const char* p, const char* fin) {
    while (p < fin) {
      const char* q = p;
      for (; q < fin && compteur_ < kPli - 1; ++compteur_) q = Apres(q, fin);
      Garder(std::string_view(p, static_cast<size_t>(q - p)));
      if (q == fin) return;
      p = Apres(q, fin);
      Caractere(std::string_view(q, static_cast<size_t>(p - q)), 1);
    }
  }

  // The end of the UTF-8 character at `p`: its lead byte and the
  // continuation bytes after it.
  static const char* Apres(const char* p, const char* fin) {
    ++p;
    while (p < fin && (static_cast<unsigned char>(*p) & 0xC0) == 0x80) ++p;
    return p;
  }

  // Keeps bytes of the line, which goes to the buffer a piece at a time.
  void Garder(std::string_view u) {
    std::memcpy(texte_ + n_, u.data(), u.size());
    n_ += u.size();
    if (n_ >= kMorceau) Transmettre();
  }

  // One character, `u` in UTF-8, counting `poids`: one, or two for an escaped
  // one. The character that brings the count to 50 or more goes after the
  // fold, and the count starts again from what it adds past 49. `u` may be
  // read up to kMaxOctetsCaractere bytes, whatever its length.
  void Caractere(std::string_view u, int poids) {
    char* p = texte_ + n_;
    compteur_ += poids;
    if (compteur_ >= kPli) {
      *p++ = '\n';
      *p++ = ' ';
      compteur_ = poids - 1;
    }
    std::memcpy(p, u.data(), kMaxOctetsCaractere);
    n_ = static_cast<size_t>(p + u.size() - texte_);
    if (n_ >= kMorceau) Transmettre();
  }

  void Transmettre() {
    rdv_->Ajouter(std::string_view(texte_, n_));
    n_ = 0;
  }

  static constexpr size_t kMorceau = 1024;
  Tampon* rdv_;
  EnUtf8* utf8_;
  int compteur_;
  // The line not yet in the buffer: room past kMorceau for the characters
  // before a fold, a fold, a character and the closing line feed.
  char texte_[kMorceau + kMaxOctetsCaractere * kPli + 4];
  size_t n_ = 0;
};

}  // namespace

void Conversion::PUT_RDV(std::string_view ch) {
  AjouterUtf8(ch, &utf8_, &rdv_);
  FinirUtf8(&utf8_, &rdv_);
}

void Conversion::ECRIRE_LIGNE_RDV(std::string_view mot_cle) {
  LigneValeur ligne(&rdv_, &utf8_, mot_cle);
  Signature* signature = options_.uids_stables ? &signature_ : nullptr;
  if (signature != nullptr) signature->Ajouter(etat_.LIGNE);
  int arret = kEpuisee;
  if (!source_->END_OF_LINE) {
    // Blanks before the value are dropped; its first other character is taken.
    source_->PasserBlancs();
    char c = source_->NEXTCAR();
    if (!source_->END_OF_LINE && !source_->Epuisee()) {
      ligne.Ajouter(std::string_view(&c, 1));
      if (signature != nullptr) signature->Ajouter(std::string_view(&c, 1));
      // The value runs to its line end; a code 26 in it is a character like any other.
      arret = source_->Jusqua<'\n'>([&ligne, signature](std::string_view suite) {
        ligne.Ajouter(suite);
        if (signature != nullptr) signature->Ajouter(suite);
        return suite.size();
      });
    }
  }
  if (signature != nullptr) signature->Ajouter("\n");
  // The line is complete before its line end is taken.
  ligne.Finir();
  if (arret == '\n') source_->NEXTCAR();
}

void Conversion::ECRIRE_DESCRIPTION() {
  rdv_.Ajouter("DESCRIPTION:");
  auto corps = [this](std::string_view suite) {
    Echapper(
        suite, [this](std::string_view t) { AjouterUtf8(t, &utf8_, &rdv_); },
        [this](std::string_view e) {
          FinirUtf8(&utf8_, &rdv_);
          rdv_.Ajouter(e);
        });
    return suite.size();
  };
  // The body runs to a form feed or to the end of the input; each of its line
  // ends becomes an escaped line break and a fold.
  int arret;
  while ((arret = source_->Jusqua<'\n', kSautPage, kFinEntree>(corps)) == '\n') {
    FinirUtf8(&utf8_, &rdv_);
    source_->NEXTCAR();
    rdv_.Ajouter("\\n\n ");
  }
  FinirUtf8(&utf8_, &rdv_);
  // The form feed is taken, not written.
  if (arret == kSautPage) source_->NEXTCAR();
  rdv_.Ajouter('\n');
  etat_.FIN_DE_RDV = true;
  trace_->REPORT("saut de page");
}

void Conversion::ECRIRE_ACCES() {
  source_->PasserBlancs();
  char c = source_->NEXTCAR();
  PUT_RDV(c == '1' ? "CLASS:PUBLIC\n" : "CLASS:PRIVATE\n");
  SAUTER_LIGNE();
}

}  // namespace vellumcast
