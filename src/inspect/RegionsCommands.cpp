// The --regions, --path and --seal modes: load, run, print and draw.
#include "inspect/RegionsCommands.h"

#include "inspect/PathReport.h"
#include "inspect/RegionsReport.h"
#include "inspect/Seal.h"
#include "segutils/MapFileReader.h"

#include <memory>

namespace quarnel {

namespace {

std::unique_ptr<TPathmap> Load(const std::string& fileName) {
  auto map = std::make_unique<TPathmap>();
  LoadMapFile(fileName, *map);
  return map;
}

// Writes the picture and, in text output, says so.
void Picture(const TImage& image, const TRegionsRequest& request, std::ostream& out,
             const TImageWriter& writePng) {
  writePng(image, request.Png);
  if (request.Json)
    return;
  out << "Picture: " << request.Png << " (" << image.Width << " by " << image.Height << " pixels";
  if (request.Scale > 1)
    out << ", one per " << request.Scale << " by " << request.Scale << " cells";
  out << ")\n";
}

} // namespace

int RunRegions(const TRegionsRequest& request, std::ostream& out, const TImageWriter& writePng) {
  std::vector<std::string> documents;
  for (size_t k = 0; k < request.Maps.size(); ++k) {
    const std::string& name = request.Maps[k];
    const auto map = Load(name);
    const TRegions regions = LabelRegions(*map, request.Diagonal, request.Limit);
    if (request.Json) {
      documents.push_back(RegionsJson(name, regions, request.Limit));
    } else {
      if (k > 0)
        out << "\n";
      PrintRegionsText(out, name, regions, request.Limit);
    }
    if (!request.Png.empty())
      Picture(RenderRegions(*map, regions, request.Scale), request, out, writePng);
  }
  if (request.Json) {
    if (documents.size() == 1) {
      out << documents[0] << "\n";
    } else {
      out << "[";
      for (size_t k = 0; k < documents.size(); ++k)
        out << (k == 0 ? "" : ",") << documents[k];
      out << "]\n";
    }
  }
  return kInspectOk;
}

int RunPath(const TRegionsRequest& request, std::ostream& out, const TImageWriter& writePng) {
  const auto map = Load(request.Maps[0]);
  const TPathQuery query{request.Maps[0], map->Size(), request.Diagonal, request.Start,
                         request.End};
  const TPathResult path = FindPath(*map, request.Start, request.End, request.Diagonal);
  if (request.Json)
    out << PathJson(query, path) << "\n";
  else
    PrintPathText(out, query, path);
  const bool found = path.Outcome == TPathOutcome::Found;
  if (!request.Png.empty()) {
    if (found)
      Picture(RenderPath(*map, path, request.Scale), request, out, writePng);
    else if (!request.Json)
      out << "No picture: there is no path to draw\n";
  }
  return found ? kInspectOk : kInspectMapsDiffer;
}

int RunSeal(const TRegionsRequest& request, std::ostream& out) {
  const std::string& in = request.Maps[0];
  const std::string& target = request.Maps[1];
  CheckSealTarget(in, target);
  const auto map = Load(in);
  const TSealResult sealed = SealRegions(*map, request.SealSize, request.Diagonal);
  SaveMapReplacing(*map, target);
  out << "Map: " << in << "\n"
      << "Sealed: " << sealed.Regions << " regions of " << sealed.Cells
      << " cells in all (every region but the main one with fewer than " << request.SealSize
      << " cells)\n"
      << "Written: " << target << "\n";
  return kInspectOk;
}

namespace {

TRegionsRequest RequestOf(const TInspectOptions& options) {
  TRegionsRequest request;
  request.Maps = options.Maps;
  request.Diagonal = options.Has("--diagonal");
  request.Limit = options.Limit;
  request.Json = options.Has("--json");
  request.Png = options.Png;
  request.Scale = options.Scale;
  request.Start = {options.PathCells[0][0], options.PathCells[0][1]};
  request.End = {options.PathCells[1][0], options.PathCells[1][1]};
  request.SealSize = options.SealSize;
  return request;
}

} // namespace

int RunRegionsMode(const TInspectOptions& options, const TInspectIo& io) {
  return RunRegions(RequestOf(options), io.Out, io.WritePng);
}

int RunPathMode(const TInspectOptions& options, const TInspectIo& io) {
  return RunPath(RequestOf(options), io.Out, io.WritePng);
}

int RunSealMode(const TInspectOptions& options, const TInspectIo& io) {
  return RunSeal(RequestOf(options), io.Out);
}

} // namespace quarnel
