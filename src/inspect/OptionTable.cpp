// quarnel-inspect's modes and options: the entries, their values and their own rules.
#include "inspect/OptionTable.h"

#include "inspect/Arguments.h"
#include "inspect/ChangesMode.h"
#include "inspect/MapModes.h"
#include "inspect/RegionsModes.h"
#include "inspect/WhyMode.h"
#include "segutils/MapFormat.h"

#include <cstdint>

namespace quarnel {

bool TBuild::Has(TFeature feature) const {
  return feature == TFeature::None || (feature == TFeature::Png && Png) ||
         (feature == TFeature::View && View);
}

const char* FeatureName(TFeature feature) {
  return feature == TFeature::Png ? "PNG support" : "zlib";
}

namespace {

using TValues = std::span<const std::string>;

const std::string& FileName(const char* option, const std::string& text) {
  if (text.empty())
    throw TUsageError(std::string(option) + " needs a file name");
  return text;
}

void StorePng(TInspectOptions& options, TValues values) {
  options.Png = FileName("--png", values[0]);
}

void StoreScale(TInspectOptions& options, TValues values) {
  if (!ParseDecimal(values[0], UINT32_MAX, options.Scale) || options.Scale == 0)
    throw TUsageError("--scale needs a whole number of 1 or more, not '" + values[0] + "'");
}

void StoreView(TInspectOptions& options, TValues values) {
  options.View = FileName("--view", values[0]);
}

void StoreCell(TInspectOptions& options, TValues values) {
  if (!ParseCell(values[0], options.Row, options.Column))
    throw TUsageError("--why needs a cell as ROW,COL, not '" + values[0] + "'");
}

void StoreObjects(TInspectOptions& options, TValues values) {
  options.Objects = values[0];
}

void StoreMeshes(TInspectOptions& options, TValues values) {
  options.Meshes = values[0];
}

// The run reads a world size of at most 2^31 - 1.
void StoreVersions(TInspectOptions& options, TValues values) {
  options.Versions[0] = FileName("--changes", values[0]);
  options.Versions[1] = FileName("--changes", values[1]);
}

void StoreOldMeshes(TInspectOptions& options, TValues values) {
  options.OldMeshes = values[0];
}

void StoreSize(TInspectOptions& options, TValues values) {
  if (!ParseDecimal(values[0], INT32_MAX, options.WorldSize))
    throw TUsageError("--size needs a decimal world size, not '" + values[0] + "'");
}

void StorePath(TInspectOptions& options, TValues values) {
  for (size_t k = 0; k < 2; ++k)
    if (!ParseCell(values[k], options.PathCells[k][0], options.PathCells[k][1]))
      throw TUsageError("--path needs two cells as ROW,COL, not '" + values[k] + "'");
}

void StoreSeal(TInspectOptions& options, TValues values) {
  uint32_t size = 0;
  if (!ParseDecimal(values[0], UINT32_MAX, size))
    throw TUsageError("--seal needs a size in cells, not '" + values[0] + "'");
  options.SealSize = size;
}

void StoreLimit(TInspectOptions& options, TValues values) {
  if (!ParseDecimal(values[0], UINT32_MAX, options.Limit))
    throw TUsageError("--limit needs a whole number, not '" + values[0] + "'");
}

void CheckRegions(const TInspectOptions& options) {
  const size_t count = options.Maps.size();
  if (count > 1 && !options.Png.empty())
    throw TUsageError("--png draws one map, but " + std::to_string(count) + " are given");
}

void CheckStats(const TInspectOptions& options) {
  const size_t count = options.Maps.size();
  if (count > 1 && !options.Png.empty())
    throw TUsageError("--png draws one map, but " + std::to_string(count) +
                      " are given (--overlay draws three)");
}

// --objects and --meshes name one world: each needs the other.
void CheckView(const TInspectOptions& options) {
  if (options.Has("--meshes") && !options.Has("--objects"))
    throw TUsageError("--meshes needs --objects OBJECTFILE");
}

void CheckWhy(const TInspectOptions& options) {
  for (const std::string& map : options.Maps) {
    MapClass mapClass;
    if (!MapClassOfFile(map, mapClass))
      throw TUsageError("--why recognises a map by its file name, " +
                        std::string(MapFileNameOf(MapClass::Infantry)) + ", " +
                        MapFileNameOf(MapClass::Tank) + " or " + MapFileNameOf(MapClass::Car) +
                        ", not '" + map + "'");
  }
}

int RunHelpMode(const TInspectOptions&, const TInspectIo& io) {
  io.Out << io.Usage;
  return kInspectOk;
}

int RunVersionMode(const TInspectOptions&, const TInspectIo& io) {
  io.Out << "quarnel-inspect " << QUARNEL_VERSION << "\n";
  return kInspectOk;
}

} // namespace

const std::vector<TOptionSpec>& InspectOptions() {
  static const std::vector<TOptionSpec> options = {
      {.Name = "--overlay"},
      {.Name = "--diff"},
      {.Name = "--why", .Arity = 1, .Values = "ROW,COL", .Store = StoreCell},
      {.Name = "--png",
       .Arity = 1,
       .Values = "OUT.png",
       .Help = "write a picture, one pixel per cell, row 0 (world Z = 0) at the\n"
               "bottom and column 0 (world X = 0) at the left; a single map is\n"
               "black where blocked and white where free.",
       .Feature = TFeature::Png,
       .Store = StorePng},
      {.Name = "--scale",
       .Arity = 1,
       .Values = "N",
       .Help = "shrink the picture N times (N >= 1): a pixel stands for N by N\n"
               "cells and is drawn blocked when any of them is blocked.",
       .Needs = "--png",
       .Store = StoreScale},
      {.Name = "--view",
       .Arity = 1,
       .Values = "OUT.html",
       .Help = "write a page that shows the maps in a browser, offline: the\n"
               "three classes in the colours of --overlay, or with --diff the\n"
               "differences; zoom, pan and read the state of any cell.",
       .Feature = TFeature::View,
       .Store = StoreView},
      {.Name = "--objects",
       .Arity = 1,
       .Values = "OBJECTFILE",
       .Label = "--objects OBJECTFILE, --meshes MESHDIR",
       .Help = "the object file and mesh folder the maps were built from;\n"
               "with --view the page then shows the objects near a cell and,\n"
               "on a click, what blocks it, as --why tells.",
       .Needs = "--meshes",
       .Store = StoreObjects},
      {.Name = "--meshes", .Arity = 1, .Values = "MESHDIR", .Store = StoreMeshes},
      {.Name = "--changes", .Arity = 2, .Values = "OLD.con NEW.con", .Store = StoreVersions},
      {.Name = "--old-meshes",
       .Arity = 1,
       .Values = "MESHDIR",
       .Help = "with --changes: the mesh folder of OLD.con, when it is not\n"
               "the one of NEW.con.",
       .Store = StoreOldMeshes},
      {.Name = "--size", .Arity = 1, .Values = "WORLDSIZE", .Store = StoreSize},
      {.Name = "--json"},
      {.Name = "--regions"},
      {.Name = "--path", .Arity = 2, .Values = "ROW,COL ROW,COL", .Store = StorePath},
      {.Name = "--seal", .Arity = 1, .Values = "SIZE", .Store = StoreSeal},
      {.Name = "--diagonal",
       .Help = "with --regions, --path and --seal: units also step to a cell\n"
               "that shares only a corner with theirs (else only an edge)."},
      {.Name = "--limit",
       .Arity = 1,
       .Values = "N",
       .Help = "with --regions: list N other regions and gaps; with --changes,\n"
               "N changes (20 if not given).",
       .Store = StoreLimit},
      {.Name = "--help", .Alias = "-h", .Help = "print this text.", .Immediate = true},
      {.Name = "--version", .Help = "print the program's version.", .Immediate = true},
  };
  return options;
}

const std::vector<TModeSpec>& InspectModes() {
  static const std::vector<TModeSpec> modes = {
      {.Label = "MAP.raw...",
       .Usage = "[--png OUT.png [--scale N]] MAP.raw...",
       .Help = "print each map's size, segments, level count, blocked cells and\n"
               "their share, and its uniform free, uniform blocked and mixed\n"
               "segments.",
       .Takes = {"--png", "--scale"},
       .MinMaps = 1,
       .Check = CheckStats,
       .Run = RunStatsMode},
      {.Option = "--overlay",
       .Usage = "--overlay INFANTRY.raw TANK.raw CAR.raw --png OUT.png [--scale N]",
       .Help = "draw three maps of one size in one picture, in the order\n"
               "infantry, tank, car: a cell blocked for infantry is dark red,\n"
               "else one blocked for tanks orange, else one blocked for cars\n"
               "sand; free cells are white.",
       .Takes = {"--png", "--scale"},
       .Needs = {"--png"},
       .MinMaps = 3,
       .MaxMaps = 3,
       .MapsText = "three map files (infantry, tank, car)",
       .Run = RunOverlayMode},
      {.Option = "--diff",
       .Usage = "--diff A.raw B.raw [--png OUT.png [--scale N]] [--view OUT.html]",
       .Help = "compare two maps of one size cell by cell: count the differing\n"
               "cells and list the first 10 as (row, column); with --png, draw\n"
               "them over a grey picture of A: red where only A is blocked, blue\n"
               "where only B is blocked, purple where one pixel holds both.",
       .Takes = {"--png", "--scale", "--view"},
       .MinMaps = 2,
       .MaxMaps = 2,
       .MapsText = "two map files",
       .Run = RunDiffMode},
      {.Option = "--view",
       .Usage = "--view OUT.html INFANTRY.raw TANK.raw CAR.raw\n"
                "[--objects OBJECTFILE --meshes MESHDIR]",
       .Takes = {"--objects", "--meshes"},
       .MinMaps = 3,
       .MaxMaps = 3,
       .MapsText = "three map files (infantry, tank, car), or --diff and two",
       .Check = CheckView,
       .Run = RunViewMode},
      {.Option = "--why",
       .Usage = "--why ROW,COL --objects OBJECTFILE --meshes MESHDIR\n"
                "--size WORLDSIZE [--json] [MAP.raw...]",
       .Help = "tell for infantry, tanks and cars whether the cell at row ROW\n"
               "(world Z) and column COL (world X) is blocked in the maps that\n"
               "quarnel writes for OBJECTFILE, MESHDIR and WORLDSIZE, and why:\n"
               "each object whose tree footprint or outline covers it (number,\n"
               "name, line, placement, mesh file, face and edge), or hole\n"
               "filling; for a free cell, the objects that block a cell within\n"
               "two cells. The maps named (by their file names) are checked at\n"
               "the cell; --json prints the answer as one JSON document.",
       .Takes = {"--objects", "--meshes", "--size", "--json"},
       .Needs = {"--objects", "--meshes", "--size"},
       .Check = CheckWhy,
       .Run = RunWhyMode},
      {.Option = "--regions",
       .Usage = "--regions MAP.raw... [--diagonal] [--limit N] [--json]\n"
                "[--png OUT.png [--scale N]]",
       .Help = "list the regions of each map, the largest sets of free cells a\n"
               "unit can walk between: how many, the main (largest) one's size\n"
               "and share, the others largest first (cells, first cell, rows,\n"
               "columns, whether they touch the edge), and the diagonal gaps\n"
               "where a unit cutting corners crosses a wall; --png draws each\n"
               "region in a colour of its own, the main one white; --json\n"
               "prints one JSON document.",
       .Takes = {"--diagonal", "--limit", "--json", "--png", "--scale"},
       .MinMaps = 1,
       .MapsText = "one map file or more",
       .Check = CheckRegions,
       .Run = RunRegionsMode},
      {.Option = "--path",
       .Usage = "--path ROW,COL ROW,COL MAP.raw [--diagonal] [--json]\n"
                "[--png OUT.png [--scale N]]",
       .Help = "tell whether a unit can go from the first cell to the second\n"
               "and give a shortest path: its length, steps and turning\n"
               "points, or why there is none (exit status 1); --png draws it.",
       .Takes = {"--diagonal", "--json", "--png", "--scale"},
       .MinMaps = 1,
       .MaxMaps = 1,
       .MapsText = "one map file",
       .Run = RunPathMode},
      {.Option = "--seal",
       .Usage = "--seal SIZE IN.raw OUT.raw [--diagonal]",
       .Help = "write a copy of IN.raw to OUT.raw in which every region but\n"
               "the main one with fewer than SIZE cells is blocked.",
       .Takes = {"--diagonal"},
       .MinMaps = 2,
       .MaxMaps = 2,
       .MapsText = "the map to read and the file to write",
       .Run = RunSealMode},
      {.Option = "--changes",
       .Usage = "--changes OLD.con NEW.con --meshes MESHDIR [--old-meshes MESHDIR]\n"
                "--size WORLDSIZE [--json] [--limit N] [--png OUT.png [--scale N]]\n"
                "[--view OUT.html]",
       .Help = "build the maps of two versions of a world as quarnel does and\n"
               "tell what changed: the objects moved, turned, rescaled, added,\n"
               "removed or with another mesh, and for each class the cells newly\n"
               "blocked and newly free, the changes that made each, and the new\n"
               "regions they made; --png draws the new maps with the changed\n"
               "cells marked, --view writes a page of them; --json prints one\n"
               "JSON document.",
       .Takes = {"--meshes", "--old-meshes", "--size", "--json", "--limit", "--png", "--scale",
                 "--view"},
       .Needs = {"--meshes", "--size"},
       .MaxMaps = 0,
       .MapsText = "no map file",
       .Run = RunChangesMode},
      {.Option = "--help", .Usage = "--help", .Run = RunHelpMode},
      {.Option = "--version", .Usage = "--version", .Run = RunVersionMode},
  };
  return modes;
}

} // namespace quarnel
