// Fuzz target: map files and what quarnel-inspect computes from them. The input is a map file,
// optionally followed by the separator and a second map file, and by the separator and the
// bytes that choose the cells to flip, the scales of the pictures, the ends of paths and the
// smallest region that sealing keeps. A map file loads into a
// map that saves back to the same bytes and whose statistics, differences, pictures, regions
// (both kinds of step), paths and sealing agree with its bytes and cells, or raises a
// quarnel::Exception that names the file and leaves the map unchanged.
#include "common/LittleEndian.h"
#include "common/UTypes.h"
#include "inspect/MapStats.h"
#include "inspect/PathSearch.h"
#include "inspect/Pictures.h"
#include "inspect/Regions.h"
#include "inspect/Seal.h"
#include "segutils/MapFileReader.h"
#include "segutils/MapFormat.h"
#include "support/PlainRegions.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace quarnel;
using namespace testutil;
namespace fs = std::filesystem;

static std::string MapName, SavedName;

static void Require(bool condition, const char* what) {
  if (!condition)
    std::fprintf(stderr, "broken: %s\n", what), std::abort();
}

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

using TCells = std::set<std::pair<uint32_t, uint32_t>>; // (row, column), by row then column

// Maps up to this size (two segments a side, so with segment borders both ways) are checked
// cell by cell against the plain forms: pictures, diffs, regions and paths.
constexpr uint32_t kCheckedSize = 128;
// Pictures are drawn at most this many pixels a side.
constexpr uint32_t kMaxSide = 512;

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

std::vector<uint8_t> ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Loads bytes as a map file into map; false when the reader refuses them, which must leave
// the map as it was: here 64 by 64 with the one cell (3, 5) blocked.
bool Load(std::string_view bytes, TPathmap& map) {
  Require(std::ofstream(MapName, std::ios::binary | std::ios::trunc)
              .write(bytes.data(), static_cast<std::streamsize>(bytes.size()))
              .good(),
          "input file");
  map.SetSize(64);
  map.Block(3, 5);
  try {
    LoadMapFile(MapName, map);
    return true;
  } catch (const Exception& e) {
    Require(std::string_view(e.what()).starts_with(MapName + ": byte "), "the file and offset");
    Require(map.Size() == 64 && map.WrittenSegments().size() == 1 && map.IsBlocked(3, 5) &&
                ComputeStats(map).BlockedCells == 1,
            "a refused file leaves the map unchanged");
    return false;
  }
}

// The statistics follow from the records of the file alone.
void CheckStats(std::string_view bytes, const TPathmap& map) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  TMapStats expected;
  expected.Size = map.Size();
  expected.SegmentCount = static_cast<int32_t>(map.Size() / 64);
  expected.LevelCount = Int32At(data);
  for (uint64_t offset = mapfile::kHeaderSize; offset < bytes.size();) {
    const int32_t code = Int32At(data + offset);
    offset += mapfile::kCodeSize;
    if (code == mapfile::kFree) {
      ++expected.FreeSegments;
    } else if (code == mapfile::kBlocked) {
      ++expected.BlockedSegments;
      expected.BlockedCells += 64 * 64;
    } else {
      Require(code == mapfile::kMixed && bytes.size() - offset >= mapfile::kSegmentBytes,
              "records of a loaded file");
      ++expected.MixedSegments;
      for (uint64_t k = 0; k < mapfile::kSegmentBytes; ++k)
        expected.BlockedCells += static_cast<uint64_t>(std::popcount(data[offset + k]));
      offset += mapfile::kSegmentBytes;
    }
  }
  Require(expected.FreeSegments + expected.BlockedSegments + expected.MixedSegments ==
              uint64_t(expected.SegmentCount) * uint64_t(expected.SegmentCount),
          "a square of segments");
  Require(ComputeStats(map) == expected, "statistics");
}

// Whether some cell of the block that pixel (x, y) of a picture at this scale shows is blocked.
bool BlockBlocked(const TPathmap& map, uint32_t scale, uint32_t x, uint32_t y) {
  const uint32_t side = PictureSide(map.Size(), scale);
  const uint64_t row0 = uint64_t{side - 1 - y} * scale, column0 = uint64_t{x} * scale;
  const uint64_t rowEnd = std::min<uint64_t>(row0 + scale, map.Size());
  const uint64_t columnEnd = std::min<uint64_t>(column0 + scale, map.Size());
  for (uint64_t r = row0; r < rowEnd; ++r)
    for (uint64_t c = column0; c < columnEnd; ++c)
      if (map.IsBlocked(uint32_t(r), uint32_t(c)))
        return true;
  return false;
}

// The pixel that shows the cell.
std::pair<uint32_t, uint32_t> PixelOf(uint32_t size, uint32_t scale, uint32_t row,
                                      uint32_t column) {
  return {column / scale, PictureSide(size, scale) - 1 - row / scale};
}

// A's picture, a picture of A and flipped over each other, and their difference, where
// flipped is A with the cells of flips flipped.
void CheckPictures(const TPathmap& a, const TPathmap& flipped, const TCells& flips,
                   uint32_t scale) {
  const uint32_t size = a.Size(), side = PictureSide(size, scale);
  const TImage picture = RenderMap(a, scale), flippedPicture = RenderMap(flipped, scale);
  Require(picture.Width == side && picture.Height == side &&
              picture.Pixels.size() == size_t{3} * side * side,
          "picture size");
  std::set<std::pair<uint32_t, uint32_t>> onlyA, onlyB; // pixels, as (x, y)
  for (const auto& [row, column] : flips)
    (a.IsBlocked(row, column) ? onlyA : onlyB).insert(PixelOf(size, scale, row, column));
  const TImage overlay = RenderOverlay(a, flipped, a, scale);
  const TImage diff = RenderDiff(a, flipped, scale);
  for (uint32_t y = 0; y < side; ++y)
    for (uint32_t x = 0; x < side; ++x) {
      const TRgb pixel = picture.At(x, y), flippedPixel = flippedPicture.At(x, y);
      Require(pixel == colours::Blocked || pixel == colours::Free, "picture colours");
      if (size <= kCheckedSize)
        Require((pixel == colours::Blocked) == BlockBlocked(a, scale, x, y), "picture pixel");
      const bool a1 = onlyA.count({x, y}) != 0, b1 = onlyB.count({x, y}) != 0;
      if (!a1 && !b1)
        Require(flippedPixel == pixel, "flipped cells change only their pixels");
      if (b1)
        Require(flippedPixel == colours::Blocked, "a cell blocked by flipping shows");
      Require(overlay.At(x, y) == (pixel == colours::Blocked          ? colours::Infantry
                                   : flippedPixel == colours::Blocked ? colours::Tank
                                                                      : colours::Free),
              "overlay pixel");
      Require(diff.At(x, y) == (a1 && b1                    ? colours::BothWays
                                : a1                        ? colours::OnlyInA
                                : b1                        ? colours::OnlyInB
                                : pixel == colours::Blocked ? colours::DimBlocked
                                                            : colours::DimFree),
              "diff pixel");
    }
}

// Flips the cells that the parameters choose (at most 8) and returns them.
TCells Flip(TPathmap& map, TParameters& p) {
  TCells flips;
  const uint32_t count = p.Next(1) % 9;
  for (uint32_t k = 0; k < count; ++k) {
    const uint32_t row = p.Next(2) % map.Size(), column = p.Next(2) % map.Size();
    if (flips.emplace(row, column).second)
      map.Row(row)[column / 64] ^= uint64_t{1} << (column % 64);
  }
  return flips;
}

// The two maps' difference against one counted cell by cell.
void CheckDiff(const TPathmap& a, const TPathmap& b) {
  if (a.Size() != b.Size()) {
    try {
      DiffMaps(a, b, 4);
    } catch (const Exception& e) {
      Require(
          std::string_view(e.what()).starts_with("the two maps must have one size, but they are "),
          "sizes");
      return;
    }
    Require(false, "maps of different sizes are refused");
  }
  const TMapDiff ab = DiffMaps(a, b, 4), ba = DiffMaps(b, a, 4);
  Require(ab.OnlyInA == ba.OnlyInB && ab.OnlyInB == ba.OnlyInA && ab.First == ba.First,
          "a diff both ways");
  Require(ab.First.size() == std::min<uint64_t>(4, ab.Count()), "differences listed");
  if (a.Size() > kCheckedSize)
    return;
  TMapDiff expected;
  for (uint32_t r = 0; r < a.Size(); ++r)
    for (uint32_t c = 0; c < a.Size(); ++c)
      if (a.IsBlocked(r, c) != b.IsBlocked(r, c)) {
        ++(a.IsBlocked(r, c) ? expected.OnlyInA : expected.OnlyInB);
        if (expected.First.size() < 4)
          expected.First.push_back({r, c});
      }
  Require(ab.OnlyInA == expected.OnlyInA && ab.OnlyInB == expected.OnlyInB &&
              ab.First == expected.First,
          "diff counted cell by cell");
}

// The regions of a map for one kind of step, a path between two cells the parameters choose
// (which may lie outside the grid), and sealing a copy of the map.
void CheckRegions(const TPathmap& a, bool diagonal, TParameters& p) {
  const uint32_t n = a.Size();
  constexpr size_t kGapLimit = 8;
  const TRegions regions = LabelRegions(a, diagonal, kGapLimit);
  const TMapStats stats = ComputeStats(a);
  Require(regions.Size == n && regions.Diagonal == diagonal &&
              regions.FreeCells == uint64_t{n} * n - stats.BlockedCells,
          "regions: free cells");
  uint64_t total = 0;
  for (size_t k = 0; k < regions.Regions.size(); ++k) {
    const TRegion& region = regions.Regions[k];
    total += region.Size;
    Require(region.Size > 0 && RegionOf(a, regions, region.First.Row, region.First.Column) == k + 1,
            "a region's first cell lies in it");
    if (k > 0) {
      const TRegion& before = regions.Regions[k - 1];
      Require(before.Size > region.Size || (before.Size == region.Size &&
                                            std::pair(before.First.Row, before.First.Column) <
                                                std::pair(region.First.Row, region.First.Column)),
              "regions by size, then by first cell");
    }
  }
  Require(total == regions.FreeCells, "regions hold every free cell");
  Require(diagonal ? regions.GapCount == 0 && regions.FirstGaps.empty()
                   : regions.FirstGaps.size() == std::min<uint64_t>(kGapLimit, regions.GapCount),
          "gaps listed");
  Require(RegionOf(a, regions, n, 0) == kNoRegion && RegionOf(a, regions, 0, n) == kNoRegion,
          "outside the grid, no region");

  // Every cell and gap against the plain flood fill, on small maps.
  if (n <= kCheckedSize) {
    const PlainRegions plain = FloodFill(a, diagonal);
    Require(plain.Regions == regions.Regions, "regions as the flood fill finds them");
    std::vector<uint32_t> cells;
    for (int32_t i = 0; i < a.SegmentCount(); ++i) {
      RegionRows(a, regions, i, cells);
      Require(std::equal(cells.begin(), cells.end(), plain.Label.begin() + ptrdiff_t{64} * i * n),
              "each cell's region");
    }
    const size_t listed = diagonal ? 0 : std::min(kGapLimit, plain.Gaps.size());
    Require(regions.GapCount == (diagonal ? 0 : plain.Gaps.size()) &&
                regions.FirstGaps ==
                    std::vector<TGap>(plain.Gaps.begin(), plain.Gaps.begin() + ptrdiff_t(listed)),
            "gaps as the flood fill finds them");
  }

  // A path between two cells, either of which may lie outside the grid.
  const TCell start{p.Next(2) % (n + 2), p.Next(2) % (n + 2)};
  const TCell end{p.Next(2) % (n + 2), p.Next(2) % (n + 2)};
  const TPathResult path = FindPath(a, regions, start, end);
  // The start is looked at first: outside the grid, then blocked; then the end.
  const auto fault = [&](TCell cell) {
    return cell.Row >= n || cell.Column >= n    ? TPathOutcome::Outside
           : a.IsBlocked(cell.Row, cell.Column) ? TPathOutcome::Blocked
                                                : TPathOutcome::Found;
  };
  const auto blocked = [&](TCell cell) { return a.IsBlocked(cell.Row, cell.Column); };
  if (fault(start) != TPathOutcome::Found || fault(end) != TPathOutcome::Found) {
    const bool atStart = fault(start) != TPathOutcome::Found;
    Require(path.Outcome == fault(atStart ? start : end) && path.AtStart == atStart,
            "a path from or to a cell outside the grid or blocked");
  } else {
    const uint32_t from = RegionOf(a, regions, start.Row, start.Column);
    const uint32_t to = RegionOf(a, regions, end.Row, end.Column);
    Require(path.StartRegion == from && path.EndRegion == to &&
                path.StartRegionSize == regions.Regions[from - 1].Size &&
                path.EndRegionSize == regions.Regions[to - 1].Size &&
                path.Outcome == (from == to ? TPathOutcome::Found : TPathOutcome::Apart),
            "a path between free cells");
    if (path.Outcome == TPathOutcome::Found) {
      const std::vector<TCell> cells = PathCells(path);
      Require(cells.size() == path.Steps() + 1 && cells.front() == start && cells.back() == end &&
                  (diagonal || path.DiagonalSteps == 0),
              "the path's cells");
      uint64_t diagonals = 0;
      for (size_t k = 0; k < cells.size(); ++k) {
        Require(!blocked(cells[k]), "a path crosses free cells");
        if (k == 0)
          continue;
        const int64_t dr = int64_t(cells[k].Row) - cells[k - 1].Row;
        const int64_t dc = int64_t(cells[k].Column) - cells[k - 1].Column;
        Require(std::abs(dr) <= 1 && std::abs(dc) <= 1 && (dr != 0 || dc != 0), "path steps");
        diagonals += dr != 0 && dc != 0;
      }
      Require(diagonals == path.DiagonalSteps &&
                  std::fabs(path.Length - (double(path.EdgeSteps) +
                                           std::sqrt(2.0) * double(path.DiagonalSteps))) < 1e-6,
              "the path's length");
      if (n <= kCheckedSize)
        Require(std::fabs(path.Length -
                          Dijkstra(a, start, diagonal)[size_t{end.Row} * n + end.Column]) < 1e-6,
                "a shortest path");
    }
  }

  // Sealing a copy: every small region but the main one is blocked, nothing else.
  TPathmap sealed;
  LoadMapFile(MapName, sealed); // a copy of a
  const uint64_t minSize = p.Next(2);
  const TSealResult seal = SealRegions(sealed, minSize, diagonal);
  uint64_t smallRegions = 0, smallCells = 0;
  for (size_t k = 1; k < regions.Regions.size(); ++k)
    if (regions.Regions[k].Size < minSize)
      ++smallRegions, smallCells += regions.Regions[k].Size;
  const TMapDiff diff = DiffMaps(a, sealed, 0);
  Require(seal.Regions == smallRegions && seal.Cells == smallCells && diff.OnlyInA == 0 &&
              diff.OnlyInB == smallCells,
          "sealing blocks the small regions");
  const TRegions after = LabelRegions(sealed, diagonal, 0);
  Require(after.Regions.size() == regions.Regions.size() - smallRegions &&
              (after.Regions.empty() || after.Regions[0] == regions.Regions[0]),
          "sealing keeps the main region and the large ones");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr std::string_view kSeparator = "\n~~quarnel~~\n";
  std::string_view rest(reinterpret_cast<const char*>(data), size), parts[3];
  for (int k = 0; k < 3; ++k) {
    const size_t cut = k < 2 ? rest.find(kSeparator) : std::string_view::npos;
    parts[k] = rest.substr(0, cut);
    if (cut == std::string_view::npos)
      break;
    rest.remove_prefix(cut + kSeparator.size());
  }
  TPathmap a, flipped;
  if (!Load(parts[0], a))
    return 0;
  LoadMapFile(MapName, flipped);
  Require(a.Size() % 64 == 0 && a.Size() > 0 && Int32At(data) == TPathmap::LevelCount(a.Size()),
          "size");
  CheckStats(parts[0], a);
  a.SaveToFile(SavedName);
  const std::vector<uint8_t> saved = ReadFile(SavedName);
  Require(std::string_view(reinterpret_cast<const char*>(saved.data()), saved.size()) == parts[0],
          "a loaded map saves to the same bytes");

  TParameters p{parts[2]};
  const TCells flips = Flip(flipped, p);
  Require(DiffMaps(a, a, 4).Count() == 0, "a map does not differ from itself");
  const TMapDiff diff = DiffMaps(a, flipped, 4);
  uint64_t onlyA = 0;
  std::vector<TCell> first;
  for (const auto& [row, column] : flips) {
    onlyA += a.IsBlocked(row, column);
    if (first.size() < 4)
      first.push_back({row, column});
  }
  Require(diff.Count() == flips.size() && diff.OnlyInA == onlyA && diff.First == first,
          "the flipped cells differ");
  CheckDiff(a, flipped);

  for (uint32_t scale : {1 + p.Next(1) % 8, p.Next(4)}) {
    if (scale == 0) {
      for (auto draw : {+[](const TPathmap& m) { RenderMap(m, 0); },
                        +[](const TPathmap& m) { RenderOverlay(m, m, m, 0); },
                        +[](const TPathmap& m) { RenderDiff(m, m, 0); }}) {
        try {
          draw(a);
          Require(false, "scale 0 is refused");
        } catch (const Exception& e) {
          Require(std::string_view(e.what()) == "the scale must be 1 or more", "scale message");
        }
      }
      continue;
    }
    if (PictureSide(a.Size(), scale) > kMaxSide)
      scale = (a.Size() + kMaxSide - 1) / kMaxSide;
    CheckPictures(a, flipped, flips, scale);
  }

  for (bool diagonal : {false, true})
    CheckRegions(a, diagonal, p);

  TPathmap b;
  if (!parts[1].empty() && Load(parts[1], b)) {
    CheckDiff(a, b);
    if (a.Size() == b.Size()) {
      const TImage picture = RenderDiff(a, b, 64);
      Require(picture.Width == a.Size() / 64, "diff picture size");
    } else {
      try {
        RenderDiff(a, b, 1);
        Require(false, "pictures of maps of different sizes are refused");
      } catch (const Exception& e) {
        Require(std::string_view(e.what()).starts_with(
                    "the two maps must have one size, but they are "),
                "sizes");
      }
    }
  }
  return 0;
}
