// What each mode of quarnel-inspect does, and its console output.
#include "inspect/InspectModes.h"

#include "inspect/MapStats.h"
#include "inspect/WhyReport.h"
#include "segutils/MapFileReader.h"
#include "segutils/MapFormat.h"

#include <memory>

namespace quarnel {

using mapfile::SideText;

namespace {

std::unique_ptr<TPathmap> Load(const std::string& fileName) {
  auto map = std::make_unique<TPathmap>();
  LoadMapFile(fileName, *map);
  return map;
}

void WritePicture(const TImage& image, const TInspectOptions& options, const TInspectIo& io) {
  io.WritePng(image, options.Png);
  io.Out << "Picture: " << options.Png << " (" << image.Width << " by " << image.Height
         << " pixels";
  if (options.Scale > 1)
    io.Out << ", one per " << options.Scale << " by " << options.Scale << " cells";
  io.Out << ")\n";
}

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
      const auto map = Load(name);
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
  const auto infantry = Load(options.Maps[0]);
  const auto tank = Load(options.Maps[1]);
  const auto car = Load(options.Maps[2]);
  CheckOneSize({infantry.get(), tank.get(), car.get()});
  WritePicture(RenderOverlay(*infantry, *tank, *car, options.Scale), options, io);
  return kInspectOk;
}

int RunDiffMode(const TInspectOptions& options, const TInspectIo& io) {
  const std::string& nameA = options.Maps[0];
  const std::string& nameB = options.Maps[1];
  const auto a = Load(nameA);
  const auto b = Load(nameB);
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

int RunWhyMode(const TInspectOptions& options, const TInspectIo& io) {
  const TWhyRequest request{options.Row,    options.Column,    options.Objects,
                            options.Meshes, options.WorldSize, options.Has("--json"),
                            options.Maps};
  return RunWhy(request, io.Out) ? kInspectOk : kInspectMapsDiffer;
}

int RunHelpMode(const TInspectOptions&, const TInspectIo& io) {
  io.Out << InspectUsage(static_cast<bool>(io.WritePng), static_cast<bool>(io.WriteView));
  return kInspectOk;
}

int RunVersionMode(const TInspectOptions&, const TInspectIo& io) {
  io.Out << "quarnel-inspect " << QUARNEL_VERSION << "\n";
  return kInspectOk;
}

} // namespace quarnel
