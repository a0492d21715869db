// The trace: the lines that tell what the conversion met, in the log and on
// the console.
#pragma once

#include <string_view>

#include "statut.h"

namespace vellumcast {

class Console;
class Ecrivain;

class Trace {
 public:
  Trace(Erreurs* erreurs, Console* console) : erreurs_(erreurs), console_(console) {}

  Ecrivain* LOGFILE = nullptr;
  bool TRACE = false;

  // Writes `ch` and CR LF to the log (when TRACE is set), then to the console.
  // Nothing is written once the run has failed.
  void REPORT(std::string_view ch);

 private:
  Erreurs* erreurs_;
  Console* console_;
};

}  // namespace vellumcast
