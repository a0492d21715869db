// The program: start-up, the conversion run over real files, and the stop.
#pragma once

namespace vellumcast {

// Runs the program with its command line; returns the exit status (a run-time
// error ends the process from inside, with its number as the status).
int Programme(int argc, char** argv);

}  // namespace vellumcast
