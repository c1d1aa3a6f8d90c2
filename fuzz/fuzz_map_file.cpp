// Fuzz target: map files and what quarnel-inspect computes from them. The input is a map file,
// optionally followed by the separator and a second map file, and by the separator and the bytes
// that choose the pictures' scale, the ends of a path and the smallest region sealing keeps. A
// map file loads into a map that saves back to the same bytes, or is refused with an Exception
// that names the file and leaves the map unchanged. Its statistics, differences, pictures,
// regions (both kinds of step) hold every free cell, and on maps of up to 256 cells a side the
// regions, gaps, paths and sealing are those of the plain flood fill and Dijkstra.
#include "FuzzWorld.h"
#include "analysis/MapStats.h"
#include "common/UTypes.h"
#include "pictures/Pictures.h"
#include "segutils/MapFileReader.h"
#include "support/PlainRegions.h"

#include <bit>
#include <iterator>

using namespace quarnel;
using namespace testutil;
using fuzzworld::Require;
namespace fs = std::filesystem;

static std::string MapName, SavedName;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const std::string stem =
      (fs::temp_directory_path() / ("quarnel-fuzz-" + std::to_string(getpid()))).string();
  MapName = stem + ".raw";
  SavedName = stem + "-saved.raw";
  std::atexit([] {
    std::remove(MapName.c_str());
    std::remove(SavedName.c_str());
  });
  return 0;
}

namespace {

// Maps up to this size (segment borders both ways) are checked against the plain forms.
constexpr uint32_t kCheckedSize = 256;

// The parameter bytes, read in turn, big-endian; zeros once they run out.
struct TParameters {
  std::string_view Bytes;
  uint32_t Next(int count) {
    uint32_t value = 0;
    for (int k = 0; k < count; ++k) {
      value = value << 8 | (Bytes.empty() ? 0 : static_cast<uint8_t>(Bytes[0]));
      Bytes.remove_prefix(Bytes.empty() ? 0 : 1);
    }
    return value;
  }
};

// Loads bytes as a map file into map; false when the reader refuses them, which must leave the
// map as it was: here 64 by 64 with the one cell (3, 5) blocked.
bool Load(std::string_view bytes, TPathmap& map) {
  std::ofstream(MapName, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  map.SetSize(64);
  map.Block(3, 5);
  try {
    LoadMapFile(MapName, map);
    return true;
  } catch (const Exception& e) {
    Require(std::string_view(e.what()).starts_with(MapName + ": byte "), "the file and offset");
    Require(map.Size() == 64 && ComputeStats(map).BlockedCells == 1 && map.IsBlocked(3, 5),
            "a refused file leaves the map unchanged");
    return false;
  }
}

uint64_t BlockedCells(const TPathmap& map) {
  uint64_t blocked = 0;
  for (uint32_t r = 0; r < map.Size(); ++r)
    for (int32_t j = 0; j < map.SegmentCount(); ++j)
      blocked += static_cast<uint64_t>(std::popcount(map.Row(r)[size_t(j)]));
  return blocked;
}

void CheckRegions(const TPathmap& a, bool diagonal, TParameters& p) {
  const uint32_t n = a.Size();
  const TRegions regions = LabelRegions(a, diagonal, 8);
  uint64_t total = 0;
  for (size_t k = 0; k < regions.Regions.size(); ++k) {
    total += regions.Regions[k].Size;
    Require(k == 0 || regions.Regions[k - 1].Size >= regions.Regions[k].Size, "largest first");
  }
  Require(total == regions.FreeCells && total == uint64_t{n} * n - BlockedCells(a),
          "regions hold every free cell");
  const TCell start{p.Next(2) % (n + 2), p.Next(2) % (n + 2)};
  const TCell end{p.Next(2) % (n + 2), p.Next(2) % (n + 2)};
  const uint64_t minSize = p.Next(2);
  if (n <= kCheckedSize) {
    const PlainRegions plain = FloodFill(a, diagonal);
    TPathOutcome outcome;
    Require(RegionsFault(a, diagonal, plain).empty(), "regions as the flood fill finds them");
    Require(PathFault(a, diagonal, plain, start, end, outcome).empty(), "a shortest path");
    Require(SealFault(a, diagonal, plain, minSize).empty(), "sealing the small regions");
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string_view> parts = fuzzworld::CutInput(data, size);
  parts.resize(3);
  TPathmap a;
  if (!Load(parts[0], a))
    return 0;
  a.SaveToFile(SavedName);
  std::ifstream saved(SavedName, std::ios::binary);
  Require(std::string(std::istreambuf_iterator<char>(saved), {}) == parts[0],
          "a loaded map saves to the same bytes");
  Require(ComputeStats(a).BlockedCells == BlockedCells(a), "statistics");
  Require(DiffMaps(a, a, 4).Count() == 0, "a map does not differ from itself");

  TParameters p{parts[2]};
  const uint32_t scale = std::max(1 + p.Next(1) % 8, (a.Size() + 511) / 512);
  const uint32_t side = PictureSide(a.Size(), scale);
  for (const TImage& picture :
       {RenderMap(a, scale), RenderOverlay(a, a, a, scale), RenderDiff(a, a, scale)})
    Require(picture.Width == side && picture.Height == side, "picture size");
  for (bool diagonal : {false, true})
    CheckRegions(a, diagonal, p);

  TPathmap b;
  if (!parts[1].empty() && Load(parts[1], b)) {
    if (a.Size() != b.Size())
      return 0;
    const TMapDiff ab = DiffMaps(a, b, 4), ba = DiffMaps(b, a, 4);
    Require(ab.OnlyInA == ba.OnlyInB && ab.OnlyInB == ba.OnlyInA && ab.First == ba.First,
            "a diff both ways");
  }
  return 0;
}
