// Fuzz target: --why and the viewer page's data on a world of 64 made of an object file and two
// mesh files (a.sm, b.sm) cut from the input at the separator, as for the whole run. The world
// loads as --why loads it, and the run writes its maps; every cell asked of ExplainCell (in the
// grid and outside it) gets a sound answer that agrees with the maps, --why prints it, and the
// page's data is built from the maps (or from fixed small maps when the run fails). Everything
// ends in a result or in a quarnel::Exception with a message.
#include "common/UTypes.h"
#include "driver/GenerateMaps.h"
#include "inspect/WhyCell.h"
#include "inspect/WhyReport.h"
#include "mesh/WorldObjects.h"
#include "segutils/MapFileReader.h"

#ifdef QUARNEL_INSPECT_VIEW
#include "inspect/ViewData.h"
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace quarnel;
namespace fs = std::filesystem;

static fs::path WorkDir;
static const char* const kMaps[3] = {"Infantry1Level0Map.raw", "Tank0Level0Map.raw",
                                     "Car4Level0Map.raw"};
// Maps written once: free, a few cells blocked (64 by 64), and free (128 by 128).
static const char* const kFixedMaps[3] = {"fixed/free64.raw", "fixed/some64.raw",
                                          "fixed/free128.raw"};
constexpr uint32_t kWorldSize = 64;

static void Require(bool condition, const char* what) {
  if (!condition)
    std::fprintf(stderr, "broken: %s\n", what), std::abort();
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  WorkDir = fs::temp_directory_path() / ("quarnel-fuzz-why-" + std::to_string(getpid()));
  fs::create_directories(WorkDir / "meshes");
  fs::create_directories(WorkDir / "fixed");
  fs::current_path(WorkDir);
  std::atexit([] {
    std::error_code ec;
    fs::current_path(WorkDir.parent_path(), ec);
    fs::remove_all(WorkDir, ec);
  });
  TPathmap map;
  map.SetSize(64);
  map.SaveToFile(kFixedMaps[0]);
  for (uint32_t k = 0; k < 64; k += 7)
    map.Block(k, 63 - k);
  map.SaveToFile(kFixedMaps[1]);
  map.SetSize(128);
  map.SaveToFile(kFixedMaps[2]);
  return 0;
}

namespace {

void CheckMessage(const Exception& e) {
  Require(*e.what() != '\0', "a message");
}

// The number of the object (from 1, in file order) that node is; 0 when it is none of them.
int64_t NumberOf(const TStaticObjectLL& objects, const TStaticObjectMeshNode* node) {
  int64_t number = 1;
  for (const TLinkedListNode* n = objects.Head; n != nullptr; n = n->Next, ++number)
    if (n == node)
      return number;
  return 0;
}

void CheckObject(const TStaticObjectLL& objects, const TWhyObject& object, int64_t& last) {
  Require(object.Node != nullptr && object.Number > last &&
              NumberOf(objects, object.Node) == object.Number,
          "objects named by their number, in file order");
  last = object.Number;
}

// The answer's own soundness, and its agreement with the maps the run wrote (maps, or null).
void CheckAnswer(const TStaticObjectLL& objects, const TWhyAnswer& answer, uint32_t row,
                 uint32_t column, const TPathmap* maps) {
  Require(answer.Row == row && answer.Column == column &&
              answer.Inside == (row < kWorldSize && column < kWorldSize),
          "the cell asked");
  for (size_t k = 0; k < 3; ++k) {
    const TWhyClass& answered = answer.Classes[k];
    Require(answered.Class == MapClass(k), "class order");
    Require(answered.Blocked == (!answer.Inside || !answered.Causes.empty()),
            "blocked when caused or outside");
    Require(answer.Inside || (answered.Causes.empty() && answered.Near.empty()),
            "outside the grid, no causes");
    Require(!answered.Blocked || answered.Near.empty(), "near objects only for a free cell");
    int64_t last = 0;
    for (const TWhyCause& cause : answered.Causes) {
      if (cause.Kind == TWhyKind::Hole) {
        Require(answered.Causes.size() == 1 && cause.Object.Node == nullptr, "a hole alone");
        continue;
      }
      CheckObject(objects, cause.Object, last);
      if (cause.Kind == TWhyKind::Outline) {
        const auto faces = cause.Object.Node->Faces();
        const TFace& f = cause.Vertices;
        Require(cause.Face >= 0 && size_t(cause.Face) < faces.size() &&
                    faces[size_t(cause.Face)].A == f.A && faces[size_t(cause.Face)].B == f.B &&
                    faces[size_t(cause.Face)].C == f.C && cause.CoveringEdges >= 1 &&
                    ((cause.EdgeFrom == f.A && cause.EdgeTo == f.B) ||
                     (cause.EdgeFrom == f.B && cause.EdgeTo == f.C) ||
                     (cause.EdgeFrom == f.C && cause.EdgeTo == f.A)),
                "an outline cause names its face and edge");
      }
    }
    last = 0;
    for (const TWhyObject& object : answered.Near)
      CheckObject(objects, object, last);
    if (maps != nullptr)
      Require(answered.Blocked == maps[k].IsBlocked(row, column), "the answer agrees with the map");
  }
}

// The cells asked: corners, cells chosen by the input, the first and last blocked cell of each
// map, and cells outside the grid.
std::vector<std::pair<uint32_t, uint32_t>> CellsToAsk(const uint8_t* data, size_t size,
                                                      const TPathmap* maps) {
  std::vector<std::pair<uint32_t, uint32_t>> cells = {{0, 0},  {63, 63}, {0, 63},
                                                      {64, 0}, {5, 64},  {UINT32_MAX, UINT32_MAX}};
  uint64_t hash = 14695981039346656037u; // FNV-1a
  for (size_t k = 0; k < size; ++k)
    hash = (hash ^ data[k]) * 1099511628211u;
  for (int k = 0; k < 3; ++k, hash >>= 12)
    cells.emplace_back(hash % 64, (hash >> 6) % 64);
  if (maps != nullptr)
    for (int k = 0; k < 3; ++k) {
      bool first = true;
      std::pair<uint32_t, uint32_t> lastBlocked;
      for (uint32_t r = 0; r < kWorldSize; ++r)
        for (uint32_t c = 0; c < kWorldSize; ++c)
          if (maps[k].IsBlocked(r, c)) {
            if (first)
              cells.emplace_back(r, c);
            first = false;
            lastBlocked = {r, c};
          }
      if (!first)
        cells.push_back(lastBlocked);
    }
  return cells;
}

#ifdef QUARNEL_INSPECT_VIEW
void CheckViewData(const TViewRequest& request) {
  try {
    const std::string data = BuildViewData(request);
    Require(data.starts_with(request.Diff ? "{\"mode\":\"diff\"" : "{\"mode\":\"classes\"") &&
                data.ends_with("}") && data.find('<') == std::string::npos,
            "the page's data");
  } catch (const Exception& e) {
    CheckMessage(e);
  }
}
#endif

void BuildViews(bool runOk, bool worldOk, uint64_t choice) {
#ifdef QUARNEL_INSPECT_VIEW
  const std::vector<std::string> maps =
      runOk ? std::vector<std::string>(kMaps, kMaps + 3)
            : std::vector<std::string>{kFixedMaps[0], kFixedMaps[1], kFixedMaps[choice % 2]};
  const std::string objects = worldOk ? "objects.con" : "";
  CheckViewData({"", false, maps, objects, worldOk ? "meshes" : ""});
  CheckViewData({"", true, {maps[choice % 3], kFixedMaps[choice / 3 % 3]}, objects, "meshes"});
#else
  (void)runOk, (void)worldOk, (void)choice;
#endif
}

} // namespace

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
  for (const char* name : kMaps)
    fs::remove(name);

  bool runOk = true;
  std::ostringstream console;
  try {
    GenerateMaps("objects.con", "meshes/", kWorldSize, console);
  } catch (const Exception& e) {
    CheckMessage(e);
    runOk = false;
  }
  TPathmap maps[3];
  if (runOk)
    for (int k = 0; k < 3; ++k)
      LoadMapFile(kMaps[k], maps[k]);

  TStaticObjectLL objects;
  bool worldOk = true;
  try {
    LoadWorldObjects("objects.con", "meshes/", objects);
  } catch (const Exception& e) {
    CheckMessage(e);
    Require(!runOk, "the world loads when the run succeeds");
    worldOk = false;
  }
  const auto cells = CellsToAsk(data, size, runOk ? maps : nullptr);
  if (worldOk) {
    for (const auto& [row, column] : cells) {
      try {
        CheckAnswer(objects, ExplainCell(objects, kWorldSize, row, column), row, column,
                    runOk ? maps : nullptr);
      } catch (const Exception& e) {
        CheckMessage(e);
        Require(!runOk, "a cell of a world the run maps is explained");
      }
    }
    // --why itself, as text and as JSON, checking the run's maps.
    for (bool json : {false, true}) {
      const auto [row, column] = cells[6 + json];
      TWhyRequest request{row, column, "objects.con", "meshes", kWorldSize, json, {}};
      if (runOk)
        request.Maps.assign(kMaps, kMaps + 3);
      std::ostringstream out;
      try {
        Require(RunWhy(request, out) && !out.str().empty(), "--why agrees with the maps");
      } catch (const Exception& e) {
        CheckMessage(e);
        Require(!runOk, "--why explains a cell of a world the run maps");
      }
    }
  }
  BuildViews(runOk, worldOk, cells[6].first);
  return 0;
}
