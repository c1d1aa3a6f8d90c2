// quarnel-inspect: checks, describes, draws and compares the map files that quarnel writes.
#include "common/StandardOutput.h"
#include "inspect/CommandLine.h"
#ifdef QUARNEL_INSPECT_PNG
#include "pictures/PngWriter.h"
#endif
#ifdef QUARNEL_INSPECT_VIEW
#include "viewer/ViewPage.h"
#endif

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  // Lines end in "\n" on every platform, so that the output (JSON above all) is the same bytes.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
  const std::vector<std::string> args(argv + 1, argv + argc);
  quarnel::TImageWriter writePng;
#ifdef QUARNEL_INSPECT_PNG
  writePng = quarnel::WritePng;
#endif
  quarnel::TViewWriter writeView;
#ifdef QUARNEL_INSPECT_VIEW
  writeView = quarnel::WriteViewPage;
#endif
  quarnel::TStandardOutput standard;
  const int status = quarnel::RunInspect(args, std::cout, std::cerr, writePng, writeView);
  // A report that did not reach standard output (a full disk, a closed pipe) fails the run,
  // whatever the mode found.
  if (const int error = standard.Finish(); error != 0) {
    std::cerr << "quarnel-inspect: cannot write standard output: " << std::strerror(error) << "\n";
    return quarnel::kInspectError;
  }
  return status;
}
