// quarnel-inspect's work apart from PNG encoding: statistics, diffs, pictures, command line.
#include "inspect/Inspect.h"

#include "common/UTypes.h"
#include "segutils/MapFileReader.h"

#include <bit>
#include <cstdio>
#include <memory>
#include <new>

namespace quarnel {

namespace {

constexpr uint64_t kAllSet = ~uint64_t{0};

std::string SideText(uint32_t size) {
  return std::to_string(size) + " by " + std::to_string(size);
}

// One byte per pixel, rows from the top: 1 where some cell of the pixel's block has its bit
// set in wordOf(row, segment column), the word of that grid row's columns 64j to 64j + 63.
template <class WordOf>
std::vector<uint8_t> Coverage(uint32_t size, uint32_t scale, WordOf wordOf) {
  const uint32_t side = PictureSide(size, scale);
  std::vector<uint8_t> mask(size_t{side} * side, 0);
  const uint32_t segments = size / 64;
  for (uint32_t r = 0; r < size; ++r) {
    uint8_t* line = mask.data() + size_t{side - 1 - r / scale} * side;
    for (uint32_t j = 0; j < segments; ++j)
      for (uint64_t w = wordOf(r, j); w != 0; w &= w - 1)
        line[(64 * j + static_cast<uint32_t>(std::countr_zero(w))) / scale] = 1;
  }
  return mask;
}

std::vector<uint8_t> BlockedCoverage(const TPathmap& map, uint32_t scale) {
  return Coverage(map.Size(), scale, [&](uint32_t r, uint32_t j) { return map.Row(r)[j]; });
}

void CheckSameSize(const TPathmap& a, const TPathmap& b) {
  if (a.Size() != b.Size())
    throw Exception("maps of different sizes: " + SideText(a.Size()) + " and " +
                    SideText(b.Size()));
}

void CheckScale(uint32_t scale) {
  if (scale == 0)
    throw Exception("the scale must be 1 or more");
}

} // namespace

TMapStats ComputeStats(const TPathmap& map) {
  TMapStats stats;
  stats.Size = map.Size();
  stats.SegmentCount = map.SegmentCount();
  stats.LevelCount = TPathmap::LevelCount(map.Size());
  const auto n = static_cast<uint32_t>(map.SegmentCount());
  for (uint32_t i = 0; i < n; ++i) {
    for (uint32_t j = 0; j < n; ++j) {
      uint64_t anySet = 0, allSet = kAllSet;
      for (uint32_t k = 0; k < 64; ++k) {
        const uint64_t word = map.Row(64 * i + k)[j];
        stats.BlockedCells += static_cast<uint64_t>(std::popcount(word));
        anySet |= word;
        allSet &= word;
      }
      if (anySet == 0)
        ++stats.FreeSegments;
      else if (allSet == kAllSet)
        ++stats.BlockedSegments;
      else
        ++stats.MixedSegments;
    }
  }
  return stats;
}

void PrintStats(std::ostream& out, const std::string& name, const TMapStats& stats) {
  const uint64_t cells = uint64_t{stats.Size} * stats.Size;
  const uint64_t segments = uint64_t{static_cast<uint32_t>(stats.SegmentCount)} *
                            static_cast<uint32_t>(stats.SegmentCount);
  char share[32];
  std::snprintf(share, sizeof share, "%.2f%%",
                cells == 0
                    ? 0.0
                    : 100.0 * static_cast<double>(stats.BlockedCells) / static_cast<double>(cells));
  out << "Map: " << name << "\n"
      << "Size: " << SideText(stats.Size) << " cells\n"
      << "Segments: " << stats.SegmentCount << " by " << stats.SegmentCount << " (" << segments
      << " of 64 by 64 cells)\n"
      << "Level count: " << stats.LevelCount << "\n"
      << "Blocked cells: " << stats.BlockedCells << " of " << cells << " (" << share << ")\n"
      << "Uniform free segments: " << stats.FreeSegments << "\n"
      << "Uniform blocked segments: " << stats.BlockedSegments << "\n"
      << "Mixed segments: " << stats.MixedSegments << "\n";
}

TMapDiff DiffMaps(const TPathmap& a, const TPathmap& b, size_t listLimit) {
  CheckSameSize(a, b);
  TMapDiff diff;
  const auto n = static_cast<uint32_t>(a.SegmentCount());
  for (uint32_t r = 0; r < a.Size(); ++r) {
    const uint64_t* rowA = a.Row(r);
    const uint64_t* rowB = b.Row(r);
    for (uint32_t j = 0; j < n; ++j) {
      const uint64_t differ = rowA[j] ^ rowB[j];
      if (differ == 0)
        continue;
      diff.OnlyInA += static_cast<uint64_t>(std::popcount(differ & rowA[j]));
      diff.OnlyInB += static_cast<uint64_t>(std::popcount(differ & rowB[j]));
      for (uint64_t w = differ; w != 0 && diff.First.size() < listLimit; w &= w - 1)
        diff.First.push_back({r, 64 * j + static_cast<uint32_t>(std::countr_zero(w))});
    }
  }
  return diff;
}

uint32_t PictureSide(uint32_t size, uint32_t scale) {
  return static_cast<uint32_t>((uint64_t{size} + scale - 1) / scale);
}

TImage RenderMap(const TPathmap& map, uint32_t scale) {
  CheckScale(scale);
  const uint32_t side = PictureSide(map.Size(), scale);
  const std::vector<uint8_t> blocked = BlockedCoverage(map, scale);
  TImage image(side, side);
  for (uint32_t y = 0; y < side; ++y)
    for (uint32_t x = 0; x < side; ++x)
      image.Set(x, y, blocked[size_t{y} * side + x] ? colours::Blocked : colours::Free);
  return image;
}

TImage RenderOverlay(const TPathmap& infantry, const TPathmap& tank, const TPathmap& car,
                     uint32_t scale) {
  CheckScale(scale);
  CheckSameSize(infantry, tank);
  CheckSameSize(infantry, car);
  const uint32_t side = PictureSide(infantry.Size(), scale);
  const std::vector<uint8_t> i = BlockedCoverage(infantry, scale);
  const std::vector<uint8_t> t = BlockedCoverage(tank, scale);
  const std::vector<uint8_t> c = BlockedCoverage(car, scale);
  TImage image(side, side);
  for (uint32_t y = 0; y < side; ++y)
    for (uint32_t x = 0; x < side; ++x) {
      const size_t p = size_t{y} * side + x;
      image.Set(x, y,
                i[p]   ? colours::Infantry
                : t[p] ? colours::Tank
                : c[p] ? colours::Car
                       : colours::Free);
    }
  return image;
}

TImage RenderDiff(const TPathmap& a, const TPathmap& b, uint32_t scale) {
  CheckScale(scale);
  CheckSameSize(a, b);
  const uint32_t size = a.Size();
  const uint32_t side = PictureSide(size, scale);
  const std::vector<uint8_t> blockedA = BlockedCoverage(a, scale);
  const std::vector<uint8_t> onlyA =
      Coverage(size, scale, [&](uint32_t r, uint32_t j) { return a.Row(r)[j] & ~b.Row(r)[j]; });
  const std::vector<uint8_t> onlyB =
      Coverage(size, scale, [&](uint32_t r, uint32_t j) { return b.Row(r)[j] & ~a.Row(r)[j]; });
  TImage image(side, side);
  for (uint32_t y = 0; y < side; ++y)
    for (uint32_t x = 0; x < side; ++x) {
      const size_t p = size_t{y} * side + x;
      image.Set(x, y,
                onlyA[p] && onlyB[p] ? colours::BothWays
                : onlyA[p]           ? colours::OnlyInA
                : onlyB[p]           ? colours::OnlyInB
                : blockedA[p]        ? colours::DimBlocked
                                     : colours::DimFree);
    }
  return image;
}

std::string InspectUsage(bool pngAvailable) {
  std::string text =
      "Usage:\n"
      "  quarnel-inspect [--png OUT.png [--scale N]] MAP.raw...\n"
      "  quarnel-inspect --overlay INFANTRY.raw TANK.raw CAR.raw --png OUT.png [--scale N]\n"
      "  quarnel-inspect --diff A.raw B.raw [--png OUT.png [--scale N]]\n"
      "  quarnel-inspect --help\n"
      "\n"
      "Reads map files written by quarnel and checks that each is sound; a defect is\n"
      "reported with the file name and its byte offset.\n"
      "\n"
      "  MAP.raw...     print each map's size, segments, level count, blocked cells and\n"
      "                 their share, and its uniform free, uniform blocked and mixed\n"
      "                 segments.\n"
      "  --overlay      draw three maps of one size in one picture, in the order\n"
      "                 infantry, tank, car: a cell blocked for infantry is dark red,\n"
      "                 else one blocked for tanks orange, else one blocked for cars\n"
      "                 sand; free cells are white.\n"
      "  --diff         compare two maps of one size cell by cell: count the differing\n"
      "                 cells and list the first 10 as (row, column); with --png, draw\n"
      "                 them over a grey picture of A: red where only A is blocked, blue\n"
      "                 where only B is blocked, purple where one pixel holds both.\n"
      "\n"
      "Options:\n"
      "  --png OUT.png  write a picture, one pixel per cell, row 0 (world Z = 0) at the\n"
      "                 bottom and column 0 (world X = 0) at the left; a single map is\n"
      "                 black where blocked and white where free.\n"
      "  --scale N      shrink the picture N times (N >= 1): a pixel stands for N by N\n"
      "                 cells and is drawn blocked when any of them is blocked.\n"
      "  --help         print this text.\n";
  if (!pngAvailable)
    text += "\nThis build has no PNG support: --png is not available.\n";
  text += "\n"
          "Exit status: 0 when all is well (with --diff: the maps are equal), 1 when --diff\n"
          "finds the maps different, 2 on an error.\n";
  return text;
}

namespace {

enum class TMode { Stats, Overlay, Diff };

struct TInspectOptions {
  bool Help = false;
  TMode Mode = TMode::Stats;
  std::vector<std::string> Maps;
  std::string Png; // empty: no picture
  uint32_t Scale = 1;
  bool ScaleGiven = false;
};

// A mistake on the command line: reported with a pointer to the usage text.
class TUsageError : public Exception {
public:
  using Exception::Exception;
};

uint32_t ParseScale(const std::string& text) {
  uint64_t value = 0;
  bool valid = !text.empty() && text.size() <= 10;
  for (char ch : text) {
    if (ch < '0' || ch > '9')
      valid = false;
    else
      value = value * 10 + static_cast<uint64_t>(ch - '0');
  }
  if (!valid || value == 0 || value > UINT32_MAX)
    throw TUsageError("--scale needs a whole number of 1 or more, not '" + text + "'");
  return static_cast<uint32_t>(value);
}

TInspectOptions ParseArguments(const std::vector<std::string>& args, bool pngAvailable) {
  TInspectOptions options;
  bool modeGiven = false;
  bool optionsEnded = false;
  for (size_t k = 0; k < args.size(); ++k) {
    const std::string& arg = args[k];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      options.Maps.push_back(arg);
      continue;
    }
    auto value = [&]() -> const std::string& {
      if (k + 1 == args.size())
        throw TUsageError(arg + " needs a value");
      return args[++k];
    };
    if (arg == "--help" || arg == "-h") {
      options.Help = true;
      return options;
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--overlay" || arg == "--diff") {
      if (modeGiven)
        throw TUsageError("give --overlay or --diff once, not both or twice");
      modeGiven = true;
      options.Mode = arg == "--overlay" ? TMode::Overlay : TMode::Diff;
    } else if (arg == "--png") {
      if (!options.Png.empty())
        throw TUsageError("--png is given twice");
      options.Png = value();
      if (options.Png.empty())
        throw TUsageError("--png needs a file name");
    } else if (arg == "--scale") {
      if (options.ScaleGiven)
        throw TUsageError("--scale is given twice");
      options.Scale = ParseScale(value());
      options.ScaleGiven = true;
    } else {
      throw TUsageError("unknown option " + arg);
    }
  }

  const size_t count = options.Maps.size();
  switch (options.Mode) {
  case TMode::Stats:
    if (count == 0)
      throw TUsageError("no map file given");
    if (count > 1 && !options.Png.empty())
      throw TUsageError("--png draws one map, but " + std::to_string(count) +
                        " are given (--overlay draws three)");
    break;
  case TMode::Overlay:
    if (count != 3)
      throw TUsageError("--overlay needs three map files (infantry, tank, car), not " +
                        std::to_string(count));
    if (options.Png.empty())
      throw TUsageError("--overlay needs --png OUT.png");
    break;
  case TMode::Diff:
    if (count != 2)
      throw TUsageError("--diff needs two map files, not " + std::to_string(count));
    break;
  }
  if (options.ScaleGiven && options.Png.empty())
    throw TUsageError("--scale applies to the picture: give --png too");
  if (!options.Png.empty() && !pngAvailable)
    throw Exception("this build has no PNG support: --png is not available");
  return options;
}

std::unique_ptr<TPathmap> Load(const std::string& fileName) {
  auto map = std::make_unique<TPathmap>();
  LoadMapFile(fileName, *map);
  return map;
}

void WritePicture(const TImage& image, const TInspectOptions& options, std::ostream& out,
                  const TImageWriter& writePng) {
  writePng(image, options.Png);
  out << "Picture: " << options.Png << " (" << image.Width << " by " << image.Height << " pixels";
  if (options.Scale > 1)
    out << ", one per " << options.Scale << " by " << options.Scale << " cells";
  out << ")\n";
}

int RunStats(const TInspectOptions& options, std::ostream& out, std::ostream& err,
             const TImageWriter& writePng) {
  int status = kInspectOk;
  bool first = true;
  for (const std::string& name : options.Maps) {
    try {
      const auto map = Load(name);
      if (!first)
        out << "\n";
      first = false;
      PrintStats(out, name, ComputeStats(*map));
      if (!options.Png.empty())
        WritePicture(RenderMap(*map, options.Scale), options, out, writePng);
    } catch (const Exception& e) {
      // The other maps are still checked.
      err << "quarnel-inspect: " << e.what() << "\n";
      status = kInspectError;
    }
  }
  return status;
}

int RunOverlay(const TInspectOptions& options, std::ostream& out, const TImageWriter& writePng) {
  const auto infantry = Load(options.Maps[0]);
  const auto tank = Load(options.Maps[1]);
  const auto car = Load(options.Maps[2]);
  if (tank->Size() != infantry->Size() || car->Size() != infantry->Size())
    throw Exception("the three maps must have one size, but they are " +
                    SideText(infantry->Size()) + ", " + SideText(tank->Size()) + " and " +
                    SideText(car->Size()) + " cells");
  WritePicture(RenderOverlay(*infantry, *tank, *car, options.Scale), options, out, writePng);
  return kInspectOk;
}

int RunDiff(const TInspectOptions& options, std::ostream& out, const TImageWriter& writePng) {
  const std::string& nameA = options.Maps[0];
  const std::string& nameB = options.Maps[1];
  const auto a = Load(nameA);
  const auto b = Load(nameB);
  out << "A: " << nameA << "\n"
      << "B: " << nameB << "\n";
  if (a->Size() != b->Size()) {
    out << "Sizes differ: A is " << SideText(a->Size()) << " cells, B is " << SideText(b->Size())
        << " cells\n";
    if (!options.Png.empty())
      out << "No picture: maps of different sizes are not compared cell by cell\n";
    return kInspectMapsDiffer;
  }
  const TMapDiff diff = DiffMaps(*a, *b, kListedDifferences);
  out << "Size: " << SideText(a->Size()) << " cells\n"
      << "Differing cells: " << diff.Count() << " (" << diff.OnlyInA << " blocked only in A, "
      << diff.OnlyInB << " blocked only in B)\n";
  if (!diff.First.empty()) {
    out << (diff.Count() > diff.First.size()
                ? "First " + std::to_string(diff.First.size()) + " differing cells"
                : std::string("Differing cells"))
        << " (row, column):\n";
    for (const TCell& cell : diff.First)
      out << "  (" << cell.Row << ", " << cell.Column << ") blocked only in "
          << (a->IsBlocked(cell.Row, cell.Column) ? "A" : "B") << "\n";
  }
  if (!options.Png.empty())
    WritePicture(RenderDiff(*a, *b, options.Scale), options, out, writePng);
  return diff.Count() == 0 ? kInspectOk : kInspectMapsDiffer;
}

} // namespace

int RunInspect(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const TImageWriter& writePng) {
  const bool pngAvailable = static_cast<bool>(writePng);
  if (args.empty()) {
    err << InspectUsage(pngAvailable);
    return kInspectError;
  }
  try {
    const TInspectOptions options = ParseArguments(args, pngAvailable);
    if (options.Help) {
      out << InspectUsage(pngAvailable);
      return kInspectOk;
    }
    switch (options.Mode) {
    case TMode::Stats:
      return RunStats(options, out, err, writePng);
    case TMode::Overlay:
      return RunOverlay(options, out, writePng);
    case TMode::Diff:
      return RunDiff(options, out, writePng);
    }
  } catch (const TUsageError& e) {
    err << "quarnel-inspect: " << e.what() << "\n"
        << "Run quarnel-inspect --help for the usage.\n";
  } catch (const std::bad_alloc&) {
    err << "quarnel-inspect: " << kOutOfMemory << "\n";
  } catch (const std::exception& e) {
    err << "quarnel-inspect: " << e.what() << "\n";
  }
  return kInspectError;
}

} // namespace quarnel
