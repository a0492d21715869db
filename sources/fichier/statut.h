// Exit statuses, run-time error numbers and the sticky error of a run.
#pragma once

#include <string>

namespace vellumcast {

// Every exit status of the program. The run-time error numbers follow the
// file error codes the program has always reported.
enum Sortie : int {
  kSortieOk = 0,
  kEntreeModifiee = 1,    // the run completed, but the input changed while it was read
  kFichierAbsent = 2,     // ENOENT on open, create, erase or change of directory
  kCheminInvalide = 3,    // ENOTDIR, ENAMETOOLONG, ELOOP
  kAccesRefuse = 5,       // any other failure to open, create, erase or change directory
  kSansEntree = 2,        // the console input ended before a file was chosen
  kUsage = 64,            // unknown option or malformed value
  kErreurLecture = 100,   // a failed read
  kErreurEcriture = 101,  // a failed write, flush or close of a file being written
  kHorsIntervalle = 201,  // a value out of its declared range
  kDebordement = 215,     // an arithmetic overflow
};

enum class Operation { kOuverture, kLecture, kEcriture };

// Maps a system error met during `op` to the run-time error number.
int CodeErreur(Operation op, int errnum);

// The outcome of an operation that may end the run with a run-time error.
class Statut {
 public:
  Statut() = default;
  // A run-time error that concerns no file (overflow, range).
  static Statut Erreur(int code);
  // A failed file operation on `nom`, the name as the program used it.
  static Statut Fichier(Operation op, int errnum, std::string nom);
  static Statut FichierCode(int code, std::string nom);
  // The same failure, with why in words when the number alone does not say it.
  Statut Raison(std::string raison) &&;

  bool ok() const { return code_ == 0; }
  int code() const { return code_; }
  // Why, in words ("in use by another run"); empty when the number says it all.
  const std::string& raison() const { return raison_; }
  // The file's name, as the program used it; empty when no file is concerned.
  const std::string& nom() const { return nom_; }
  // The system's error number of a failed file operation; 0 for the
  // program's own refusals and for failures that concern no file.
  int systeme() const { return systeme_; }
  // "Runtime error N", followed for a file failure by a blank, the file's
  // name and, when known, ": " and why in words.
  std::string Message() const;
  // The failure in words for standard error: "NAME: REASON".
  std::string Mots() const;

 private:
  int code_ = 0;
  int systeme_ = 0;
  bool fichier_ = false;
  std::string nom_;
  std::string raison_;
};

// The first failure of a run. Everything that writes or reads reports here;
// once it is set, the run stops doing anything that could be seen.
class Erreurs {
 public:
  void Signaler(const Statut& s) {
    if (premier_.ok() && !s.ok()) premier_ = s;
  }
  bool echec() const { return !premier_.ok(); }
  const Statut& statut() const { return premier_; }

 private:
  Statut premier_;
};

}  // namespace vellumcast
