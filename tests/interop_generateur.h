// A deterministic export of many documents, and the events a calendar program
// should read back from its conversion, known from how it was generated.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "interop_modele.h"

namespace vellumcast::interop {

struct ExportGenere {
  std::string texte;  // ISO 8859-1, CR LF line ends
  std::vector<EvenementAttendu> attendus;
};

// `documents` documents drawn from `graine`; events of start years from
// `annee_limite` on are not expected.
ExportGenere GenererExport(uint32_t graine, int documents, int32_t annee_limite);

}  // namespace vellumcast::interop
