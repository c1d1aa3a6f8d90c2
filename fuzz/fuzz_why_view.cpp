// Fuzz target: --why and the viewer page's data on a world of 64 made of an object file and two
// mesh files (a.sm, b.sm) cut from the input at the separator, as for the whole run. The run
// writes the maps; every cell asked of ExplainCell (in the grid and outside it) is blocked in a
// class exactly when the run's map blocks it, --why prints its answer as text and as JSON, and
// the page's data is built from the maps (or from fixed maps when the run fails). Everything
// ends in a result or in a quarnel::Exception with a message.
#include "FuzzWorld.h"
#include "common/UTypes.h"
#include "driver/GenerateMaps.h"
#include "explain/WhyCell.h"
#include "inspect/CommandLine.h"
#include "mesh/WorldObjects.h"
#include "segutils/MapFileReader.h"
#ifdef QUARNEL_INSPECT_VIEW
#include "viewer/ViewData.h"
#endif

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

using namespace quarnel;
using fuzzworld::Require;

static const std::vector<std::string> kMaps = {"Infantry1Level0Map.raw", "Tank0Level0Map.raw",
                                               "Car4Level0Map.raw"};
static const std::vector<std::string> kFixedMaps = {"fixed/free.raw", "fixed/some.raw",
                                                    "fixed/free.raw"};

// Runs f; an Exception must carry a message. False when one was raised.
template <class F> static bool Succeeds(F&& f) {
  try {
    f();
    return true;
  } catch (const Exception& e) {
    Require(*e.what() != '\0', "a message");
    return false;
  }
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzworld::EnterWorkFolder("quarnel-fuzz-why");
  std::filesystem::create_directories("fixed");
  TPathmap map;
  map.SetSize(64);
  map.SaveToFile(kFixedMaps[0]);
  for (uint32_t k = 0; k < 64; k += 7)
    map.Block(k, 63 - k);
  map.SaveToFile(kFixedMaps[1]);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzworld::WriteWorld(data, size);

  std::ostringstream console;
  const bool runOk = Succeeds([&] { GenerateMaps("objects.con", "meshes/", 64, console); });
  TPathmap maps[3];
  for (size_t k = 0; runOk && k < 3; ++k)
    LoadMapFile(kMaps[k], maps[k]);
  TStaticObjectLL objects;
  const bool worldOk = Succeeds([&] { LoadWorldObjects("objects.con", "meshes/", objects); });
  Require(worldOk || !runOk, "the world loads when the run succeeds");

  uint64_t hash = 14695981039346656037u; // FNV-1a of the input chooses two cells
  for (size_t k = 0; k < size; ++k)
    hash = (hash ^ data[k]) * 1099511628211u;
  const uint32_t cells[][2] = {{0, 0},
                               {63, 63},
                               {uint32_t(hash % 64), uint32_t(hash >> 58)},
                               {64, 0},
                               {5, 64},
                               {UINT32_MAX, UINT32_MAX},
                               {uint32_t(hash >> 20 & 63), uint32_t(hash >> 30 & 63)}};
  for (const auto& cell : cells) {
    const uint32_t row = cell[0], column = cell[1];
    if (!worldOk)
      break;
    TWhyAnswer answer;
    const bool explained = Succeeds([&] { answer = ExplainCell(objects, 64, row, column); });
    Require(explained || !runOk, "a cell of a world the run maps is explained");
    for (size_t k = 0; explained && runOk && k < 3; ++k)
      Require(answer.Classes[k].Blocked == maps[k].IsBlocked(row, column),
              "the answer agrees with the map");
  }
  for (const bool json : {false, true}) {
    std::vector<std::string> args = {
        "--why",     std::to_string(cells[2][0]) + "," + std::to_string(cells[2][1]),
        "--objects", "objects.con",
        "--meshes",  "meshes",
        "--size",    "64"};
    if (json)
      args.push_back("--json");
    if (runOk)
      args.insert(args.end(), kMaps.begin(), kMaps.end());
    std::ostringstream out, err;
    const int status = RunInspect(args, out, err, {});
    Require(status == kInspectOk || (status == kInspectError && !runOk && !err.str().empty()),
            "--why explains a cell of a world the run maps, as the maps have it");
  }
#ifdef QUARNEL_INSPECT_VIEW
  const std::vector<std::string>& views = runOk ? kMaps : kFixedMaps;
  for (const bool diff : {false, true}) {
    const TViewRequest request{"", diff,
                               diff ? std::vector<std::string>{views[0], views[hash % 3]} : views,
                               worldOk && !diff ? "objects.con" : "", "meshes"};
    std::string page;
    if (Succeeds([&] { page = BuildViewData(request); }))
      Require(page.starts_with(diff ? "{\"mode\":\"diff\"" : "{\"mode\":\"classes\"") &&
                  page.find('<') == std::string::npos,
              "the page's data");
  }
#endif
  return 0;
}
