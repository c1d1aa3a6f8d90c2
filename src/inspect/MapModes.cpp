// The modes that read maps and print or draw what they hold: statistics, overlay, diff, view.
#include "inspect/MapModes.h"

#include "analysis/MapStats.h"
#include "inspect/ModeSupport.h"
#include "pictures/Pictures.h"
#include "reports/StatsReport.h"
#include "segutils/MapFormat.h"

namespace quarnel {

using mapfile::SideText;

namespace {

// How many differing cells --diff lists.
constexpr size_t kListedDifferences = 10;

void WriteView(const TInspectOptions& options, const TInspectIo& io) {
  io.WriteView(
      {options.View, options.Has("--diff"), options.Maps, options.Objects, options.Meshes});
  io.Out << "View: " << options.View << "\n";
}

} // namespace

int RunStatsMode(const TInspectOptions& options, const TInspectIo& io) {
  int status = kInspectOk;
  bool first = true;
  for (const std::string& name : options.Maps) {
    try {
      const auto map = LoadMap(name);
      if (!first)
        io.Out << "\n";
      first = false;
      PrintStats(io.Out, name, ComputeStats(*map));
      if (!options.Png.empty())
        WritePicture(RenderMap(*map, options.Scale), options, io);
    } catch (const Exception& e) {
      // The other maps are still checked.
      io.Err << "quarnel-inspect: " << e.what() << "\n";
      status = kInspectError;
    }
  }
  return status;
}

int RunOverlayMode(const TInspectOptions& options, const TInspectIo& io) {
  const auto infantry = LoadMap(options.Maps[0]);
  const auto tank = LoadMap(options.Maps[1]);
  const auto car = LoadMap(options.Maps[2]);
  CheckOneSize({infantry.get(), tank.get(), car.get()});
  WritePicture(RenderOverlay(*infantry, *tank, *car, options.Scale), options, io);
  return kInspectOk;
}

int RunDiffMode(const TInspectOptions& options, const TInspectIo& io) {
  const std::string& nameA = options.Maps[0];
  const std::string& nameB = options.Maps[1];
  const auto a = LoadMap(nameA);
  const auto b = LoadMap(nameB);
  std::ostream& out = io.Out;
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
    WritePicture(RenderDiff(*a, *b, options.Scale), options, io);
  if (!options.View.empty())
    WriteView(options, io);
  return diff.Count() == 0 ? kInspectOk : kInspectMapsDiffer;
}

int RunViewMode(const TInspectOptions& options, const TInspectIo& io) {
  WriteView(options, io);
  return kInspectOk;
}

} // namespace quarnel
