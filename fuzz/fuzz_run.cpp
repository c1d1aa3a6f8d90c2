// Fuzz target: the whole run on a world of 64 from an object file and two mesh files (a.sm,
// b.sm) cut from the input at the separator; it ends in three sound map files and the
// report, or in a quarnel::Exception with a message.
#include "common/UTypes.h"
#include "driver/GenerateMaps.h"
#include "segutils/MapFileReader.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

using namespace quarnel;
namespace fs = std::filesystem;

static fs::path WorkDir;

static void Require(bool condition, const char* what) {
  if (!condition)
    std::fprintf(stderr, "broken: %s\n", what), std::abort();
}

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
  constexpr std::string_view kSeparator = "\n~~quarnel~~\n";
  const char* const files[] = {"objects.con", "meshes/a.sm", "meshes/b.sm"};
  std::string_view rest(reinterpret_cast<const char*>(data), size), parts[3];
  int count = 0;
  for (size_t cut = 0; cut != std::string_view::npos; rest.remove_prefix(cut + kSeparator.size())) {
    cut = count < 2 ? rest.find(kSeparator) : std::string_view::npos;
    parts[count++] = rest.substr(0, cut);
    if (cut == std::string_view::npos)
      break;
  }
  for (int i = 0; i < 3; ++i) // a missing part is a missing file
    if (i < count)
      std::ofstream(files[i], std::ios::binary | std::ios::trunc) << parts[i];
    else
      fs::remove(files[i]);
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
