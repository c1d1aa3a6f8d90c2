// quarnel-inspect's command line: options, the modes and their console output.
#include "inspect/CommandLine.h"

#include "common/UTypes.h"
#include "inspect/MapStats.h"
#include "inspect/RegionsCommands.h"
#include "inspect/WhyReport.h"
#include "segutils/MapFileReader.h"
#include "segutils/MapFormat.h"

#include <map>
#include <memory>
#include <new>

namespace quarnel {

using mapfile::SideText;

std::string InspectUsage(bool pngAvailable, bool viewAvailable) {
  std::string text =
      "Usage:\n"
      "  quarnel-inspect [--png OUT.png [--scale N]] MAP.raw...\n"
      "  quarnel-inspect --overlay INFANTRY.raw TANK.raw CAR.raw --png OUT.png [--scale N]\n"
      "  quarnel-inspect --diff A.raw B.raw [--png OUT.png [--scale N]] [--view OUT.html]\n"
      "  quarnel-inspect --view OUT.html INFANTRY.raw TANK.raw CAR.raw\n"
      "                  [--objects OBJECTFILE --meshes MESHDIR]\n"
      "  quarnel-inspect --why ROW,COL --objects OBJECTFILE --meshes MESHDIR\n"
      "                  --size WORLDSIZE [--json] [MAP.raw...]\n"
      "  quarnel-inspect --regions MAP.raw... [--diagonal] [--limit N] [--json]\n"
      "                  [--png OUT.png [--scale N]]\n"
      "  quarnel-inspect --path ROW,COL ROW,COL MAP.raw [--diagonal] [--json]\n"
      "                  [--png OUT.png [--scale N]]\n"
      "  quarnel-inspect --seal SIZE IN.raw OUT.raw [--diagonal]\n"
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
      "  --why          tell for infantry, tanks and cars whether the cell at row ROW\n"
      "                 (world Z) and column COL (world X) is blocked in the maps that\n"
      "                 quarnel writes for OBJECTFILE, MESHDIR and WORLDSIZE, and why:\n"
      "                 each object whose tree footprint or outline covers it (number,\n"
      "                 name, line, placement, mesh file, face and edge), or hole\n"
      "                 filling; for a free cell, the objects that block a cell within\n"
      "                 two cells. The maps named (by their file names) are checked at\n"
      "                 the cell; --json prints the answer as one JSON document.\n"
      "  --regions      list the regions of each map, the largest sets of free cells a\n"
      "                 unit can walk between: how many, the main (largest) one's size\n"
      "                 and share, the others largest first (cells, first cell, rows,\n"
      "                 columns, whether they touch the edge), and the diagonal gaps\n"
      "                 where a unit cutting corners crosses a wall; --png draws each\n"
      "                 region in a colour of its own, the main one white.\n"
      "  --path         tell whether a unit can go from the first cell to the second\n"
      "                 and give a shortest path: its length, steps and turning\n"
      "                 points, or why there is none (exit status 1); --png draws it.\n"
      "  --seal         write a copy of IN.raw to OUT.raw in which every region but\n"
      "                 the main one with fewer than SIZE cells is blocked.\n"
      "\n"
      "Options:\n"
      "  --png OUT.png  write a picture, one pixel per cell, row 0 (world Z = 0) at the\n"
      "                 bottom and column 0 (world X = 0) at the left; a single map is\n"
      "                 black where blocked and white where free.\n"
      "  --scale N      shrink the picture N times (N >= 1): a pixel stands for N by N\n"
      "                 cells and is drawn blocked when any of them is blocked.\n"
      "  --view OUT.html\n"
      "                 write a page that shows the maps in a browser, offline: the\n"
      "                 three classes in the colours of --overlay, or with --diff the\n"
      "                 differences; zoom, pan and read the state of any cell.\n"
      "  --objects OBJECTFILE, --meshes MESHDIR\n"
      "                 the object file and mesh folder the maps were built from;\n"
      "                 with --view the page then shows the objects near a cell and,\n"
      "                 on a click, what blocks it, as --why tells.\n"
      "  --diagonal     with --regions, --path and --seal: units also step to a cell\n"
      "                 that shares only a corner with theirs (else only an edge).\n"
      "  --limit N      with --regions: list N other regions and gaps (20 if not given).\n"
      "  --json         with --why, --regions and --path: print one JSON document.\n"
      "  --help         print this text.\n";
  if (!pngAvailable)
    text += "\nThis build has no PNG support: --png is not available.\n";
  if (!viewAvailable)
    text += "\nThis build has no zlib: --view is not available.\n";
  text += "\n"
          "Exit status: 0 when all is well (with --diff: the maps are equal), 1 when --diff\n"
          "finds the maps different, a map disagrees with --why or --path finds no path,\n"
          "2 on an error.\n";
  return text;
}

namespace {

enum class TMode { Stats, Overlay, Diff, View, Why, Regions, Path, Seal };

struct TInspectOptions {
  bool Help = false;
  TMode Mode = TMode::Stats;
  std::vector<std::string> Maps;
  std::string Png; // empty: no picture
  uint32_t Scale = 1;
  bool ScaleGiven = false;
  std::string View; // empty: no page
  bool WhyGiven = false;
  TWhyRequest Why;
  // --objects, --meshes, --size -> its value; with --view only --objects and --meshes.
  std::map<std::string, std::string> WhyInputs;
  std::string RegionsMode; // --regions, --path or --seal as given; empty for none
  bool LimitGiven = false;
  TRegionsRequest Regions;
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

// A decimal whole number of at most 19 digits; otherwise raises "<what>, not '<text>'".
uint64_t ParseWhole(const std::string& text, const std::string& what) {
  uint64_t value = 0;
  bool valid = !text.empty() && text.size() <= 19;
  for (char ch : text) {
    if (ch < '0' || ch > '9')
      valid = false;
    else
      value = value * 10 + static_cast<uint64_t>(ch - '0');
  }
  if (!valid)
    throw TUsageError(what + ", not '" + text + "'");
  return value;
}

// The checks of --regions, --path and --seal once every argument is read.
void CheckRegionsMode(TInspectOptions& options, bool otherMode) {
  const std::string& mode = options.RegionsMode;
  if (mode.empty()) {
    if (options.Regions.Diagonal)
      throw TUsageError("--diagonal goes with --regions, --path or --seal");
    if (options.LimitGiven)
      throw TUsageError("--limit goes with --regions");
    return;
  }
  if (otherMode || options.WhyGiven || !options.View.empty() || !options.WhyInputs.empty())
    throw TUsageError(mode + " goes without --overlay, --diff, --why, --view, --objects, "
                             "--meshes and --size");
  if (options.LimitGiven && mode != "--regions")
    throw TUsageError("--limit goes with --regions");
  const size_t count = options.Maps.size();
  if (mode == "--regions") {
    options.Mode = TMode::Regions;
    if (count == 0)
      throw TUsageError("no map file given");
    if (count > 1 && !options.Png.empty())
      throw TUsageError("--png draws one map, but " + std::to_string(count) + " are given");
  } else if (mode == "--path") {
    options.Mode = TMode::Path;
    if (count != 1)
      throw TUsageError("--path needs one map file, not " + std::to_string(count));
  } else {
    options.Mode = TMode::Seal;
    if (count != 2)
      throw TUsageError("--seal needs the map to read and the file to write, not " +
                        std::to_string(count) + " files");
    if (!options.Png.empty() || options.Why.Json)
      throw TUsageError("--seal writes a map: --png and --json do not go with it");
  }
  options.Regions.Maps = options.Maps;
  options.Regions.Json = options.Why.Json;
  options.Regions.Png = options.Png;
  options.Regions.Scale = options.Scale;
}

TInspectOptions ParseArguments(const std::vector<std::string>& args, bool pngAvailable,
                               bool viewAvailable) {
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
    } else if (arg == "--why") {
      if (options.WhyGiven)
        throw TUsageError("--why is given twice");
      options.WhyGiven = true;
      const std::string& cell = value();
      if (!ParseWhyCell(cell, options.Why.Row, options.Why.Column))
        throw TUsageError("--why needs a cell as ROW,COL, not '" + cell + "'");
    } else if (arg == "--objects" || arg == "--meshes" || arg == "--size") {
      if (!options.WhyInputs.emplace(arg, value()).second)
        throw TUsageError(arg + " is given twice");
    } else if (arg == "--regions" || arg == "--path" || arg == "--seal") {
      if (!options.RegionsMode.empty())
        throw TUsageError("give one of --regions, --path and --seal, once");
      options.RegionsMode = arg;
      if (arg == "--path")
        for (TCell* cell : {&options.Regions.Start, &options.Regions.End}) {
          const std::string& text = value();
          if (!ParseWhyCell(text, cell->Row, cell->Column))
            throw TUsageError("--path needs two cells as ROW,COL, not '" + text + "'");
        }
      if (arg == "--seal")
        options.Regions.SealSize = ParseWhole(value(), "--seal needs a size in cells");
    } else if (arg == "--diagonal") {
      options.Regions.Diagonal = true;
    } else if (arg == "--limit") {
      if (options.LimitGiven)
        throw TUsageError("--limit is given twice");
      options.LimitGiven = true;
      options.Regions.Limit =
          static_cast<size_t>(ParseWhole(value(), "--limit needs a whole number"));
    } else if (arg == "--json") {
      options.Why.Json = true;
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
    } else if (arg == "--view") {
      if (!options.View.empty())
        throw TUsageError("--view is given twice");
      options.View = value();
      if (options.View.empty())
        throw TUsageError("--view needs a file name");
    } else {
      throw TUsageError("unknown option " + arg);
    }
  }
  CheckRegionsMode(options, modeGiven);
  if (!options.View.empty()) {
    if (options.WhyGiven)
      throw TUsageError("--view goes without --why");
    if (options.Mode == TMode::Overlay)
      throw TUsageError("--view draws the three maps itself: leave out --overlay");
    if (options.Mode == TMode::Stats)
      options.Mode = TMode::View;
    else if (!options.WhyInputs.empty() || options.Why.Json)
      throw TUsageError("--view with --diff takes no --objects, --meshes, --size or --json");
  }
  if ((!options.WhyInputs.empty() || options.Why.Json) && !options.WhyGiven &&
      options.Mode != TMode::View && options.Mode != TMode::Regions && options.Mode != TMode::Path)
    throw TUsageError("--objects, --meshes, --size and --json go with --why");
  if (options.WhyGiven) {
    if (modeGiven)
      throw TUsageError("--why goes without --overlay and --diff");
    options.Mode = TMode::Why;
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
  case TMode::View:
    if (count != 3)
      throw TUsageError("--view needs three map files (infantry, tank, car), or --diff and "
                        "two, not " +
                        std::to_string(count));
    if (!options.Png.empty())
      throw TUsageError("--view writes a page, not a picture: use --overlay for --png");
    if (options.WhyInputs.count("--size") != 0 || options.Why.Json)
      throw TUsageError("--size and --json go with --why");
    if (options.WhyInputs.size() == 1)
      throw TUsageError("--objects and --meshes go together");
    break;
  case TMode::Regions:
  case TMode::Path:
  case TMode::Seal:
    break;
  case TMode::Why: {
    if (options.WhyInputs.size() != 3)
      throw TUsageError("--why needs --objects, --meshes and --size");
    options.Why.ObjectFile = options.WhyInputs["--objects"];
    options.Why.MeshDir = options.WhyInputs["--meshes"];
    const std::string& size = options.WhyInputs["--size"];
    if (!ParseWhySize(size, options.Why.WorldSize))
      throw TUsageError("--size needs a decimal world size, not '" + size + "'");
    if (!options.Png.empty())
      throw TUsageError("--why draws no picture: --png does not go with it");
    for (const std::string& map : options.Maps) {
      MapClass mapClass;
      if (!MapClassOfFile(map, mapClass))
        throw TUsageError("--why recognises a map by its file name, " +
                          std::string(MapFileNameOf(MapClass::Infantry)) + ", " +
                          MapFileNameOf(MapClass::Tank) + " or " + MapFileNameOf(MapClass::Car) +
                          ", not '" + map + "'");
    }
    options.Why.Maps = options.Maps;
    break;
  }
  }
  if (options.ScaleGiven && options.Png.empty())
    throw TUsageError("--scale applies to the picture: give --png too");
  if (!options.Png.empty() && !pngAvailable)
    throw Exception("this build has no PNG support: --png is not available");
  if (!options.View.empty() && !viewAvailable)
    throw Exception("this build has no zlib: --view is not available");
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
  CheckOneSize({infantry.get(), tank.get(), car.get()});
  WritePicture(RenderOverlay(*infantry, *tank, *car, options.Scale), options, out, writePng);
  return kInspectOk;
}

void WriteView(const TInspectOptions& options, std::ostream& out, const TViewWriter& writeView) {
  const auto input = [&](const std::string& option) {
    const auto given = options.WhyInputs.find(option);
    return given == options.WhyInputs.end() ? std::string() : given->second;
  };
  writeView({options.View, options.Mode == TMode::Diff, options.Maps, input("--objects"),
             input("--meshes")});
  out << "View: " << options.View << "\n";
}

int RunDiff(const TInspectOptions& options, std::ostream& out, const TImageWriter& writePng,
            const TViewWriter& writeView) {
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
    if (!options.View.empty())
      out << "No view: maps of different sizes are not compared cell by cell\n";
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
  if (!options.View.empty())
    WriteView(options, out, writeView);
  return diff.Count() == 0 ? kInspectOk : kInspectMapsDiffer;
}

} // namespace

int RunInspect(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const TImageWriter& writePng, const TViewWriter& writeView) {
  const bool pngAvailable = static_cast<bool>(writePng);
  const bool viewAvailable = static_cast<bool>(writeView);
  if (args.empty()) {
    err << InspectUsage(pngAvailable, viewAvailable);
    return kInspectError;
  }
  try {
    const TInspectOptions options = ParseArguments(args, pngAvailable, viewAvailable);
    if (options.Help) {
      out << InspectUsage(pngAvailable, viewAvailable);
      return kInspectOk;
    }
    switch (options.Mode) {
    case TMode::Stats:
      return RunStats(options, out, err, writePng);
    case TMode::Overlay:
      return RunOverlay(options, out, writePng);
    case TMode::Diff:
      return RunDiff(options, out, writePng, writeView);
    case TMode::View:
      WriteView(options, out, writeView);
      return kInspectOk;
    case TMode::Why:
      return RunWhy(options.Why, out) ? kInspectOk : kInspectMapsDiffer;
    case TMode::Regions:
      return RunRegions(options.Regions, out, writePng);
    case TMode::Path:
      return RunPath(options.Regions, out, writePng);
    case TMode::Seal:
      return RunSeal(options.Regions, out);
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
