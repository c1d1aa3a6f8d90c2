// quarnel-inspect: checks, describes, draws and compares the map files that quarnel writes.
#include "inspect/CommandLine.h"
#ifdef QUARNEL_INSPECT_PNG
#include "inspect/PngWriter.h"
#endif

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  quarnel::TImageWriter writePng;
#ifdef QUARNEL_INSPECT_PNG
  writePng = quarnel::WritePng;
#endif
  quarnel::TViewWriter writeView;
#ifdef QUARNEL_INSPECT_VIEW
  writeView = quarnel::WriteViewPage;
#endif
  return quarnel::RunInspect(args, std::cout, std::cerr, writePng, writeView);
}
