#include "temporaire.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vellumcast {

namespace fs = std::filesystem;

std::string LireFichier(const std::string& chemin, std::string_view absent) {
  std::ifstream f(chemin, std::ios::binary);
  if (!f) return std::string(absent);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

Temporaire::Temporaire() {
  const char* base = std::getenv("TMPDIR");
  std::string modele =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/vellumcast-XXXXXX";
  if (::mkdtemp(modele.data()) == nullptr) std::abort();
  // A link in $TMPDIR would make every expected absolute name differ from the one found.
  chemin_ = fs::canonical(modele).string();
}

Temporaire::~Temporaire() {
  std::error_code ec;
  fs::remove_all(chemin_, ec);
}

std::string Temporaire::Sous(std::string_view nom) const {
  return chemin_ + "/" + std::string(nom);
}

void Temporaire::Poser(std::string_view nom, std::string_view contenu) const {
  fs::path p = Sous(nom);
  fs::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary);
  f.write(contenu.data(), static_cast<std::streamsize>(contenu.size()));
}

std::string Temporaire::Lire(std::string_view nom) const {
  return LireFichier(Sous(nom), "<absent>");
}

std::vector<std::string> Temporaire::Noms(std::string_view sous) const {
  std::vector<std::string> noms;
  for (const auto& e : fs::directory_iterator(sous.empty() ? chemin_ : Sous(sous))) {
    noms.push_back(e.path().filename());
  }
  std::sort(noms.begin(), noms.end());
  return noms;
}

GardeRepertoire::GardeRepertoire() : fd_(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

GardeRepertoire::~GardeRepertoire() {
  if (fd_ >= 0) {
    if (::fchdir(fd_) != 0) std::abort();
    ::close(fd_);
  }
}

std::string DossierCourant() { return fs::current_path().string(); }

}  // namespace vellumcast
