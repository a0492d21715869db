// The fixed names a run writes or erases in its working directory.
#pragma once

namespace vellumcast {

constexpr const char* kNomJournal = "Vellumcast.log";
constexpr const char* kNomIcal = "~ical.tmp";
constexpr const char* kNomRdv = "~rdv.tmp";
constexpr const char* kNomDatesDebut = "~dates_debut.tmp";
constexpr const char* kNomDatesFin = "~dates_fin.tmp";
constexpr const char* kNomDonnees = "~donnees.tmp";

}  // namespace vellumcast
