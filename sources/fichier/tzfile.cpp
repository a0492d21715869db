// Reading the files of the tz database: the name checked, the size bounded,
// the header's counts held against the bytes that follow them.
#include "tzfile.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace vellumcast {

namespace {

// Real zone files are a few kilobytes; anything much larger is not one.
constexpr uintmax_t kTailleMax = 256 * 1024;

// RFC 8536's bounds for an offset: from -25 hours to +26 hours, exclusive.
constexpr int64_t kDecalageMin = -89999;
constexpr int64_t kDecalageMax = 93599;

// A name or path quoted in a message, control bytes shown as "?".
std::string Cite(std::string_view texte) {
  std::string cite = "'";
  for (char c : texte) {
    const auto u = static_cast<unsigned char>(c);
    cite += u < 32 || u == 127 ? '?' : c;
  }
  return cite + "'";
}

// The bytes of a file, read forward; every read is checked against the end.
class Octets {
 public:
  explicit Octets(std::string_view octets) : octets_(octets) {}

  size_t Reste() const { return octets_.size() - pos_; }
  bool Fin() const { return pos_ == octets_.size(); }
  std::string_view Prendre(size_t n) {
    std::string_view r = octets_.substr(pos_, n);
    pos_ += r.size();
    return r;
  }
  uint64_t Nombre(size_t taille) {  // big-endian, `taille` bytes at hand
    uint64_t n = 0;
    for (char c : Prendre(taille)) n = (n << 8) | static_cast<unsigned char>(c);
    return n;
  }
  int64_t Signe(size_t taille) {
    const uint64_t n = Nombre(taille);
    if (taille == 4) return static_cast<int32_t>(static_cast<uint32_t>(n));
    return static_cast<int64_t>(n);
  }

 private:
  std::string_view octets_;
  size_t pos_ = 0;
};

struct Entete {
  char version = 0;
  uint32_t isutcnt = 0, isstdcnt = 0, leapcnt = 0, timecnt = 0, typecnt = 0, charcnt = 0;

  // The bytes of the data block that follows, for times of `taille` bytes.
  uint64_t Bloc(size_t taille) const {
    return uint64_t{timecnt} * (taille + 1) + uint64_t{typecnt} * 6 + charcnt +
           uint64_t{leapcnt} * (taille + 4) + isstdcnt + isutcnt;
  }
};

bool LireEntete(Octets* o, Entete* e, std::string* erreur) {
  if (o->Reste() < 44 || o->Prendre(4) != "TZif") {
    *erreur = "no TZif header";
    return false;
  }
  e->version = o->Prendre(1)[0];
  o->Prendre(15);
  e->isutcnt = static_cast<uint32_t>(o->Nombre(4));
  e->isstdcnt = static_cast<uint32_t>(o->Nombre(4));
  e->leapcnt = static_cast<uint32_t>(o->Nombre(4));
  e->timecnt = static_cast<uint32_t>(o->Nombre(4));
  e->typecnt = static_cast<uint32_t>(o->Nombre(4));
  e->charcnt = static_cast<uint32_t>(o->Nombre(4));
  if (e->version != 0 && (e->version < '2' || e->version > '9')) {
    *erreur = "unknown version " + std::to_string(static_cast<unsigned char>(e->version));
  } else if (e->typecnt == 0 || e->typecnt > 256 || e->charcnt == 0) {
    *erreur = "bad counts of types or abbreviation bytes";
  } else if ((e->isutcnt != 0 && e->isutcnt != e->typecnt) ||
             (e->isstdcnt != 0 && e->isstdcnt != e->typecnt)) {
    *erreur = "bad counts of indicators";
  } else {
    return true;
  }
  return false;
}

bool LireTypes(Octets* o, const Entete& e, std::string_view abreviations, DonneesTz* d,
               std::string* erreur) {
  for (uint32_t k = 0; k < e.typecnt; ++k) {
    const int64_t decalage = o->Signe(4);
    const uint64_t ete = o->Nombre(1);
    const uint64_t indice = o->Nombre(1);
    if (decalage < kDecalageMin || decalage > kDecalageMax || ete > 1) {
      *erreur = "local time type " + std::to_string(k) + " is out of bounds";
      return false;
    }
    const size_t fin =
        indice < abreviations.size() ? abreviations.find('\0', indice) : std::string_view::npos;
    if (fin == std::string_view::npos) {
      *erreur = "the abbreviation of type " + std::to_string(k) + " is out of bounds";
      return false;
    }
    d->types.push_back({static_cast<int32_t>(decalage), ete == 1,
                        std::string(abreviations.substr(indice, fin - indice))});
  }
  return true;
}

// The data block after the header `e`, times of `taille` bytes.
bool LireBloc(Octets* o, const Entete& e, size_t taille, DonneesTz* d, std::string* erreur) {
  if (e.leapcnt != 0) {
    *erreur = "leap seconds are not supported";
    return false;
  }
  d->instants.reserve(e.timecnt);
  for (uint32_t k = 0; k < e.timecnt; ++k) {
    d->instants.push_back(o->Signe(taille));
    if (k > 0 && d->instants[k] <= d->instants[k - 1]) {
      *erreur = "transitions out of order";
      return false;
    }
  }
  for (char c : o->Prendre(e.timecnt)) {
    const auto type = static_cast<unsigned char>(c);
    if (type >= e.typecnt) {
      *erreur =
          "a transition names type " + std::to_string(type) + " of " + std::to_string(e.typecnt);
      return false;
    }
    d->types_des_instants.push_back(type);
  }
  Octets types(o->Prendre(size_t{e.typecnt} * 6));
  if (!LireTypes(&types, e, o->Prendre(e.charcnt), d, erreur)) return false;
  o->Prendre(size_t{e.isstdcnt} + e.isutcnt);
  return true;
}

// The footer: a line feed, the TZ string (maybe empty), a line feed.
bool LirePied(Octets* o, DonneesTz* d, std::string* erreur) {
  std::string_view reste = o->Prendre(o->Reste());
  const size_t fin = reste.empty() ? std::string_view::npos : reste.find('\n', 1);
  if (fin == std::string_view::npos || reste[0] != '\n') {
    *erreur = "the footer is not a line";
    return false;
  }
  d->texte_regle = std::string(reste.substr(1, fin - 1));
  if (d->texte_regle.empty()) return true;
  RegleTz regle;
  std::string pourquoi;
  if (!LireRegleTz(d->texte_regle, &regle, &pourquoi)) {
    *erreur = "its rule " + Cite(d->texte_regle) + " cannot be read: " + pourquoi;
    return false;
  }
  d->regle = regle;
  return true;
}

}  // namespace

bool LireTzfile(std::string_view octets, DonneesTz* donnees, std::string* erreur) {
  Octets o(octets);
  Entete e;
  if (!LireEntete(&o, &e, erreur)) return false;
  size_t taille = 4;
  if (e.version != 0) {
    // The 32-bit block is for older readers; the 64-bit one after it holds all.
    if (e.Bloc(4) > o.Reste()) {
      *erreur = "truncated";
      return false;
    }
    o.Prendre(static_cast<size_t>(e.Bloc(4)));
    if (!LireEntete(&o, &e, erreur)) return false;
    taille = 8;
  }
  if (e.Bloc(taille) > o.Reste()) {
    *erreur = "truncated";
    return false;
  }
  DonneesTz d;
  if (!LireBloc(&o, e, taille, &d, erreur)) return false;
  if (taille == 8 && !LirePied(&o, &d, erreur)) return false;
  *donnees = std::move(d);
  return true;
}

bool NomDeZonePermis(std::string_view nom) {
  if (nom.empty() || nom.front() == '/') return false;
  for (char c : nom) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127) return false;
  }
  size_t debut = 0;
  for (;;) {
    const size_t fin = nom.find('/', debut);
    const std::string_view partie = nom.substr(debut, fin - debut);
    if (partie.empty() || partie == "." || partie == "..") return false;
    if (fin == std::string_view::npos) return true;
    debut = fin + 1;
  }
}

bool LireFichierZone(const std::string& chemin, std::string* octets, std::string* erreur) {
  std::error_code ec;
  const auto etat = std::filesystem::status(chemin, ec);
  if (!std::filesystem::exists(etat)) {
    *erreur = "no file " + Cite(chemin);
  } else if (!std::filesystem::is_regular_file(etat)) {
    *erreur = Cite(chemin) + " is not a regular file";
  } else if (std::filesystem::file_size(chemin, ec) > kTailleMax || ec) {
    *erreur = Cite(chemin) + " is too large to be a zone file";
  } else {
    std::ifstream fichier(chemin, std::ios::binary);
    std::string lu(kTailleMax + 1, '\0');
    fichier.read(lu.data(), static_cast<std::streamsize>(lu.size()));
    if (fichier.bad() || (!fichier.eof() && fichier.fail())) {
      *erreur = Cite(chemin) + " cannot be read";
      return false;
    }
    lu.resize(static_cast<size_t>(fichier.gcount()));
    *octets = std::move(lu);
    return true;
  }
  return false;
}

bool ChargerZone(std::string_view nom, const std::string& dossier, DonneesTz* donnees,
                 std::string* erreur) {
  if (!NomDeZonePermis(nom)) {
    *erreur = Cite(nom) + " is not a zone name: a name of the tz database is relative, " +
              "without '.' or '..' parts";
    return false;
  }
  const std::string chemin = dossier + "/" + std::string(nom);
  std::string octets, pourquoi;
  if (!LireFichierZone(chemin, &octets, &pourquoi)) {
    *erreur = "unknown time zone " + Cite(nom) + ": " + pourquoi;
    return false;
  }
  if (!LireTzfile(octets, donnees, &pourquoi)) {
    *erreur = "unknown time zone " + Cite(nom) + ": " + Cite(chemin) + " is not a zone file (" +
              pourquoi + ")";
    return false;
  }
  return true;
}

}  // namespace vellumcast
