// quarnel: writes the pathfinding maps of a world with its static objects pathed out.
#include "driver/CommandLine.h"

#include <iostream>

int main(int argc, char** argv) {
  return quarnel::RunQuarnel(argc, argv, std::cout);
}
