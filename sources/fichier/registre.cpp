#include "registre.h"

#include "chaines.h"

namespace vellumcast {

namespace {
std::string Plier(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = TOLOWERCASE(c);
  return r;
}
}  // namespace

Registre::Registre() { Stocker("0"); }

void Registre::Stocker(std::string_view uid) {
  records_.emplace_back(uid);
  const std::string& plie = plies_.emplace_back(Plier(uid));
  std::string_view v(plie);
  if (!v.empty()) index_.insert(v);
  for (size_t k = 1; k < v.size(); ++k) {
    if (v[k] == ' ' || v[k] == '=' || v[k] == '>') index_.insert(v.substr(0, k));
  }
}

bool Registre::DejaRencontre(std::string_view uid) {
  if (!uid.empty() && index_.contains(Plier(uid))) return true;
  Stocker(uid);
  return false;
}

}  // namespace vellumcast
