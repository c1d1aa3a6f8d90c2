// The --changes mode: both versions built, compared and reported as text, JSON, picture or page.
#include "inspect/ChangesMode.h"

#include "common/UTypes.h"
#include "explain/WorldChanges.h"
#include "inspect/ModeSupport.h"
#include "passes/WorldMaps.h"
#include "pictures/Pictures.h"
#include "reports/ChangesReport.h"

#include <algorithm>
#include <exception>
#include <new>
#include <sstream>
#include <thread>

namespace quarnel {

namespace {

// Builds a version of the world; its failures say which version.
void Build(TBuiltWorld& world, const char* label, const std::string& objectFile,
           const std::string& meshDir, uint32_t worldSize) {
  try {
    // The two versions are built at once, each on half the machine's threads.
    BuildWorld(objectFile, meshDir, worldSize, world,
               std::max(1u, std::thread::hardware_concurrency() / 2));
  } catch (const std::bad_alloc&) {
    throw Exception(std::string(label) + " (" + objectFile + "): " + kOutOfMemory);
  } catch (const std::exception& e) {
    throw Exception(std::string(label) + " (" + objectFile + "): " + e.what());
  }
}

} // namespace

int RunChangesMode(const TInspectOptions& options, const TInspectIo& io) {
  // The versions are built on threads of their own; a failure of OLD is told before one of NEW.
  TBuiltWorld before, after;
  std::exception_ptr failures[2];
  {
    std::jthread old([&] {
      try {
        Build(before, "OLD", options.Versions[0],
              options.OldMeshes.empty() ? options.Meshes : options.OldMeshes, options.WorldSize);
      } catch (...) {
        failures[0] = std::current_exception();
      }
    });
    try {
      Build(after, "NEW", options.Versions[1], options.Meshes, options.WorldSize);
    } catch (...) {
      failures[1] = std::current_exception();
    }
  }
  for (const std::exception_ptr& failure : failures)
    if (failure)
      std::rethrow_exception(failure);
  const TWorldChanges changes = CompareWorlds(before, after, options.WorldSize);
  const TChangesReport report{{&before, &after}, options.WorldSize, &changes};
  const bool json = options.Has("--json");
  std::ostringstream document;
  if (json || !options.View.empty())
    PrintChangesJson(document, report);
  if (json)
    io.Out << document.str();
  else
    PrintChangesText(io.Out, report, options.Limit);
  if (!options.Png.empty())
    WritePicture(RenderChanges(before.Maps, after.Maps, options.Scale), options, io);
  if (!options.View.empty()) {
    const TChangesView view{&changes, &after.Maps, document.str()};
    io.WriteView({options.View, false, {}, "", "", &view});
    if (!json)
      io.Out << "View: " << options.View << "\n";
  }
  return kInspectOk;
}

} // namespace quarnel
