// Fuzz target: the whole run on a world of 64 from an object file and two mesh files (a.sm,
// b.sm) cut from the input at the separator; it ends in three sound map files and the
// report, or in a quarnel::Exception with a message.
#include "FuzzWorld.h"
#include "common/UTypes.h"
#include "driver/GenerateMaps.h"
#include "segutils/MapFileReader.h"

#include <fstream>
#include <iterator>
#include <sstream>

using namespace quarnel;
using fuzzworld::Require;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzworld::EnterWorkFolder("quarnel-fuzz-run");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzworld::WriteWorld(data, size);
  std::ostringstream console;
  try {
    GenerateMaps("objects.con", "meshes/", 64, console);
  } catch (const Exception& e) {
    Require(*e.what() != '\0', "a message");
    return 0;
  }
  for (const char* name : {"Infantry1Level0Map.raw", "Tank0Level0Map.raw", "Car4Level0Map.raw"}) {
    TPathmap map; // the reader checks every byte of the file
    LoadMapFile(name, map);
    Require(map.Size() == 64, "map size");
  }
  std::ifstream report("NotPathed.txt", std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(report), {}};
  Require(text.starts_with("Objects that have no collision mesh:\r\n"), "report heading");
  Require(console.str().ends_with("\r\n"), "console lines");
  return 0;
}
