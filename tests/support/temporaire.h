// Files for tests: reading one whole, a fresh directory for one test, and a
// guard that puts the working directory back, for tests of code that changes it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellumcast {

// The whole content of the file `chemin`, or `absent` when it cannot be opened.
std::string LireFichier(const std::string& chemin, std::string_view absent = "");

class Temporaire {
 public:
  // Creates the directory under $TMPDIR or /tmp.
  Temporaire();
  // Removes it with everything in it.
  ~Temporaire();
  Temporaire(const Temporaire&) = delete;
  Temporaire& operator=(const Temporaire&) = delete;

  // The directory's physical absolute path, as the working directory reports it.
  const std::string& chemin() const { return chemin_; }
  // The absolute name of `nom` inside the directory.
  std::string Sous(std::string_view nom) const;
  // Creates `nom` (and the directories above it) holding `contenu`.
  void Poser(std::string_view nom, std::string_view contenu = "") const;
  // The content of `nom`, or "<absent>".
  std::string Lire(std::string_view nom) const;
  // The names in the directory, or in its subdirectory `sous`, sorted.
  std::vector<std::string> Noms(std::string_view sous = "") const;

 private:
  std::string chemin_;
};

// Puts the working directory back as it was when the guard was made.
class GardeRepertoire {
 public:
  GardeRepertoire();
  ~GardeRepertoire();
  GardeRepertoire(const GardeRepertoire&) = delete;
  GardeRepertoire& operator=(const GardeRepertoire&) = delete;

 private:
  int fd_;
};

// The working directory.
std::string DossierCourant();

}  // namespace vellumcast
