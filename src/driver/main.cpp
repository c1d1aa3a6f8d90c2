// quarnel: writes the pathfinding maps of a world with its static objects pathed out.
#include "driver/CommandLine.h"

#include <iostream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  // Lines already end in "\r\n": keep the run-time from adding a second carriage return.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  return quarnel::RunQuarnel(argc, argv, std::cout);
}
