// quarnel-inspect --why: the world loaded as the run loads it, the answer as text or JSON.
#include "inspect/WhyMode.h"

#include "mesh/MeshDirectory.h"
#include "mesh/WorldObjects.h"
#include "reports/WhyReport.h"
#include "segutils/MapFileReader.h"
#include "segutils/MapFormat.h"

namespace quarnel {

namespace {

size_t IndexOf(MapClass mapClass) {
  return static_cast<size_t>(mapClass);
}

} // namespace

int RunWhyMode(const TInspectOptions& options, const TInspectIo& io) {
  if (options.WorldSize % 64 != 0)
    throw Exception("Invalid world size: " + std::to_string(options.WorldSize));
  TWhyReport report;
  report.WorldSize = options.WorldSize;
  TStaticObjectLL objects;
  LoadWorldObjects(options.Objects, MeshDirectoryOf(options.Meshes), objects, &report.Names);
  report.Answer = ExplainCell(objects, options.WorldSize, options.Row, options.Column);

  bool agree = true;
  for (const std::string& name : options.Maps) {
    MapClass mapClass = MapClass::Infantry;
    MapClassOfFile(name, mapClass);
    TPathmap map;
    LoadMapFile(name, map);
    if (map.Size() != options.WorldSize)
      throw Exception(name + ": the map is " + mapfile::SideText(map.Size()) +
                      " cells, but the world is " + mapfile::SideText(options.WorldSize));
    const bool blocked = map.IsBlocked(options.Row, options.Column);
    agree &= blocked == report.Answer.Classes[IndexOf(mapClass)].Blocked;
    report.Files[IndexOf(mapClass)].push_back({name, blocked});
  }
  if (options.Has("--json"))
    PrintWhyJson(io.Out, report);
  else
    PrintWhyText(io.Out, report);
  return agree ? kInspectOk : kInspectMapsDiffer;
}

} // namespace quarnel
