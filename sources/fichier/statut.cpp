// System errors mapped to run-time error numbers, and the error texts.
#include "statut.h"

#include <cerrno>
#include <cstring>
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
  Statut s = FichierCode(CodeErreur(op, errnum), std::move(nom));
  s.systeme_ = errnum;
  // The system's words for the error, as the C locale gives them.
  if (errnum != 0) s.raison_ = std::strerror(errnum);
  return s;
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
  if (fichier_ && !raison_.empty()) m += ": " + raison_;
  return m;
}

std::string Statut::Mots() const {
  if (fichier_) return nom_ + ": " + (raison_.empty() ? Message() : raison_);
  switch (code_) {
    case kDebordement:
      return "arithmetic overflow";
    case kHorsIntervalle:
      return "value out of its range";
    case kErreurEcriture:
      return "cannot write to standard output";
    default:
      return Message();
  }
}

}  // namespace vellumcast
