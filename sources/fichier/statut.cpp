#include "statut.h"

#include <cerrno>
#include <utility>

namespace vellumcast {

int CodeErreur(Operation op, int errnum) {
  if (op == Operation::kLecture) return kErreurLecture;
  if (op == Operation::kEcriture) return kErreurEcriture;
  switch (errnum) {
    case ENOENT:
      return kFichierAbsent;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return kCheminInvalide;
    default:
      return kAccesRefuse;
  }
}

Statut Statut::Erreur(int code) {
  Statut s;
  s.code_ = code;
  return s;
}

Statut Statut::Fichier(Operation op, int errnum, std::string nom) {
  return FichierCode(CodeErreur(op, errnum), std::move(nom));
}

Statut Statut::FichierCode(int code, std::string nom) {
  Statut s;
  s.code_ = code;
  s.fichier_ = true;
  s.nom_ = std::move(nom);
  return s;
}

Statut Statut::Raison(std::string raison) && {
  raison_ = std::move(raison);
  return std::move(*this);
}

std::string Statut::Message() const {
  std::string m = "Runtime error " + std::to_string(code_);
  if (fichier_) m += " " + nom_;
  return m;
}

}  // namespace vellumcast
