// Fuzz target: the whole run on a world of 64 from an object file and two mesh files cut
// from the input; it ends in three map files and the report, or in a quarnel::Exception.
#include "RunInput.h"
#include "common/UTypes.h"
#include "driver/GenerateMaps.h"
#include "segutils/MapFileReader.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>

#include <unistd.h>

using namespace quarnel;
namespace fs = std::filesystem;

namespace {

constexpr uint32_t kWorldSize = 64;
const char* const kMapFiles[] = {"Infantry1Level0Map.raw", "Tank0Level0Map.raw",
                                 "Car4Level0Map.raw"};

fs::path WorkDir;

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
  }
}

void WriteFile(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  Require(static_cast<bool>(out), "writing an input file");
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A sound map file of one segment: LoadMapFile checks every byte of it.
void CheckMapFile(const fs::path& path) {
  TPathmap map;
  LoadMapFile(path.string(), map);
  Require(map.Size() == 64, "map size");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  WorkDir = fs::temp_directory_path() / ("quarnel-fuzz-run-" + std::to_string(getpid()));
  fs::create_directories(WorkDir / "meshes");
  fs::current_path(WorkDir);
  std::atexit([] {
    std::error_code ec;
    fs::current_path(WorkDir.parent_path(), ec);
    fs::remove_all(WorkDir, ec);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzzinput::RunInput input =
      fuzzinput::Split(std::string_view(reinterpret_cast<const char*>(data), size));
  WriteFile("objects.con", input.Objects);
  for (size_t i = 0; i < 2; ++i) {
    const fs::path mesh = fs::path("meshes") / fuzzinput::kMeshNames[i];
    if (static_cast<int>(i) < input.MeshCount)
      WriteFile(mesh, input.Meshes[i]);
    else
      fs::remove(mesh);
  }
  for (const char* name : kMapFiles)
    fs::remove(name);
  fs::remove("NotPathed.txt");

  std::ostringstream console;
  try {
    GenerateMaps("objects.con", "meshes/", kWorldSize, console);
  } catch (const Exception& e) {
    Require(*e.what() != '\0', "a message");
    return 0;
  }
  for (const char* name : kMapFiles)
    CheckMapFile(name);
  const std::string report = ReadFile("NotPathed.txt");
  Require(report.starts_with("Objects that have no collision mesh:\r\n"), "report heading");
  Require(console.str().ends_with("\r\n"), "console lines");
  return 0;
}
