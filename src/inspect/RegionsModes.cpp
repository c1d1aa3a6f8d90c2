// The --regions, --path and --seal modes: load, run, print and draw.
#include "inspect/RegionsModes.h"

#include "analysis/PathSearch.h"
#include "analysis/Regions.h"
#include "analysis/Seal.h"
#include "inspect/ModeSupport.h"
#include "pictures/PathPicture.h"
#include "pictures/RegionsPicture.h"
#include "reports/PathReport.h"
#include "reports/RegionsReport.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <memory>
#include <thread>

namespace quarnel {

namespace {

// A map read and labelled, or the failure of doing so.
struct TLabelled {
  std::unique_ptr<TPathmap> Map;
  TRegions Regions;
  std::exception_ptr Failure;
};

// Reads and labels the maps, each on a thread of its own.
std::vector<TLabelled> LabelMaps(const std::vector<std::string>& names, bool diagonal,
                                 size_t gapLimit) {
  std::vector<TLabelled> labelled(names.size());
  std::vector<std::jthread> threads;
  for (size_t k = 0; k < names.size(); ++k)
    threads.emplace_back([&, k] {
      try {
        labelled[k].Map = LoadMap(names[k]);
        labelled[k].Regions = LabelRegions(*labelled[k].Map, diagonal, gapLimit);
      } catch (...) {
        labelled[k].Failure = std::current_exception();
      }
    });
  return labelled;
}

} // namespace

// The maps are labelled as many at a time as the machine has cores, and reported in order: a
// defective map is reported where it stands, after the maps before it.
int RunRegionsMode(const TInspectOptions& options, const TInspectIo& io) {
  const bool json = options.Has("--json");
  const size_t wave = std::max<size_t>(1, std::thread::hardware_concurrency());
  std::vector<std::string> documents;
  for (size_t first = 0; first < options.Maps.size(); first += wave) {
    const std::vector<std::string> names(
        options.Maps.begin() + std::ptrdiff_t(first),
        options.Maps.begin() + std::ptrdiff_t(std::min(first + wave, options.Maps.size())));
    std::vector<TLabelled> labelled = LabelMaps(names, options.Has("--diagonal"), options.Limit);
    for (size_t k = 0; k < names.size(); ++k) {
      if (labelled[k].Failure)
        std::rethrow_exception(labelled[k].Failure);
      const TPathmap& map = *labelled[k].Map;
      const TRegions& regions = labelled[k].Regions;
      if (json) {
        documents.push_back(RegionsJson(names[k], regions, options.Limit));
      } else {
        if (first + k > 0)
          io.Out << "\n";
        PrintRegionsText(io.Out, names[k], regions, options.Limit);
      }
      if (!options.Png.empty())
        WritePicture(RenderRegions(map, regions, options.Scale), options, io);
    }
  }
  if (json) {
    if (documents.size() == 1) {
      io.Out << documents[0] << "\n";
    } else {
      io.Out << "[";
      for (size_t k = 0; k < documents.size(); ++k)
        io.Out << (k == 0 ? "" : ",") << documents[k];
      io.Out << "]\n";
    }
  }
  return kInspectOk;
}

int RunPathMode(const TInspectOptions& options, const TInspectIo& io) {
  const auto map = LoadMap(options.Maps[0]);
  const TCell start{options.PathCells[0][0], options.PathCells[0][1]};
  const TCell end{options.PathCells[1][0], options.PathCells[1][1]};
  const bool diagonal = options.Has("--diagonal"), json = options.Has("--json");
  const TPathQuery query{options.Maps[0], map->Size(), diagonal, start, end};
  const TPathResult path = FindPath(*map, start, end, diagonal);
  if (json)
    io.Out << PathJson(query, path) << "\n";
  else
    PrintPathText(io.Out, query, path);
  const bool found = path.Outcome == TPathOutcome::Found;
  if (!options.Png.empty()) {
    if (found)
      WritePicture(RenderPath(*map, path, options.Scale), options, io);
    else if (!json)
      io.Out << "No picture: there is no path to draw\n";
  }
  return found ? kInspectOk : kInspectMapsDiffer;
}

namespace {

void CheckSealTarget(const std::string& in, const std::string& out) {
  std::error_code error;
  if (std::filesystem::equivalent(in, out, error))
    throw Exception("--seal writes a copy: " + out + " is the map it reads (" + in + ")");
}

// Writes the map as SaveToFile does, which leaves the target as it was on a failure; its
// "Error writing file" names the target.
void SaveMap(const TPathmap& map, const std::string& target) {
  try {
    map.SaveToFile(target);
  } catch (const Exception& e) {
    const std::string message = e.what();
    throw Exception(message == "Error writing file" ? message + ": " + target : message);
  }
}

} // namespace

int RunSealMode(const TInspectOptions& options, const TInspectIo& io) {
  const std::string& in = options.Maps[0];
  const std::string& target = options.Maps[1];
  CheckSealTarget(in, target);
  const auto map = LoadMap(in);
  const TSealResult sealed = SealRegions(*map, options.SealSize, options.Has("--diagonal"));
  SaveMap(*map, target);
  io.Out << "Map: " << in << "\n"
         << "Sealed: " << sealed.Regions << " regions of " << sealed.Cells
         << " cells in all (every region but the main one with fewer than " << options.SealSize
         << " cells)\n"
         << "Written: " << target << "\n";
  return kInspectOk;
}

} // namespace quarnel
