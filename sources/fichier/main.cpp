// The program's entry point.
#include "programme.h"

int main(int argc, char** argv) { return vellumcast::Programme(argc, argv); }
