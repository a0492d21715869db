// Zone files made byte by byte: header, blocks and footer.
#include "fabrique_tzfile.h"

namespace vellumcast {

namespace {

void Ajouter(std::string* o, uint64_t valeur, int octets) {
  for (int k = octets - 1; k >= 0; --k) o->push_back(static_cast<char>(valeur >> (8 * k)));
}

void Entete(std::string* o, char version, uint32_t transitions, uint32_t types,
            uint32_t abreviations) {
  *o += "TZif";
  o->push_back(version);
  o->append(15, '\0');
  for (uint32_t compte : {0u, 0u, 0u, transitions, types, abreviations}) Ajouter(o, compte, 4);
}

void Bloc(std::string* o, const TzfileFabrique& f, int taille) {
  for (int64_t instant : f.instants) Ajouter(o, static_cast<uint64_t>(instant), taille);
  for (uint8_t type : f.types_des_instants) o->push_back(static_cast<char>(type));
  for (const TzfileFabrique::Type& t : f.types) {
    Ajouter(o, static_cast<uint32_t>(t.decalage), 4);
    o->push_back(static_cast<char>(t.ete));
    o->push_back(static_cast<char>(t.indice));
  }
  *o += f.abreviations;
}

}  // namespace

Tzfile Fabriquer(const TzfileFabrique& f) {
  Tzfile t;
  const auto transitions = static_cast<uint32_t>(f.instants.size());
  const auto types = static_cast<uint32_t>(f.types.size());
  const auto abreviations = static_cast<uint32_t>(f.abreviations.size());
  if (f.version == 0 || f.premier_bloc_complet) {
    Entete(&t.octets, f.version, transitions, types, abreviations);
    Bloc(&t.octets, f, 4);
  } else {
    Entete(&t.octets, f.version, 0, 1, 1);
    t.octets.append(7, '\0');
  }
  if (f.version == 0) return t;
  t.entete = t.octets.size();
  Entete(&t.octets, f.version, transitions, types, abreviations);
  Bloc(&t.octets, f, 8);
  t.octets += "\n" + f.pied + "\n";
  return t;
}

void Ecrire32(std::string* octets, size_t position, uint32_t valeur) {
  for (int k = 0; k < 4; ++k) (*octets)[position + k] = static_cast<char>(valeur >> (8 * (3 - k)));
}

}  // namespace vellumcast
