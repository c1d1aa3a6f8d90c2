// Two versions of a world compared: objects matched, changed objects drawn alone, each class's
// changed cells put down to them.
#include "explain/WorldChanges.h"

#include <exception>
#include <future>
#include <thread>

namespace quarnel {

namespace {

// The objects matched and each changed object drawn alone in both versions.
std::vector<TChangeCover> MatchAndCover(const TBuiltWorld& before, const TBuiltWorld& after,
                                        uint32_t worldSize, std::vector<TObjectChange>& changes) {
  changes = MatchObjects(before, after);
  std::vector<TChangeCover> covers(changes.size());
  for (size_t c = 0; c < covers.size(); ++c) {
    if (changes[c].Old.Node != nullptr)
      covers[c].Before = CoverOf(*changes[c].Old.Node, worldSize);
    if (changes[c].New.Node != nullptr)
      covers[c].After = CoverOf(*changes[c].New.Node, worldSize);
  }
  return covers;
}

} // namespace

// Each class's regions are labelled on a thread of its own while the objects are matched and
// drawn; then the class's cells are put down to the changes.
TWorldChanges CompareWorlds(const TBuiltWorld& before, const TBuiltWorld& after,
                            uint32_t worldSize) {
  TWorldChanges result;
  std::vector<TChangeCover> covers;
  std::exception_ptr matchFailure;
  std::array<std::exception_ptr, 3> failures;
  {
    // Declared first, so joined last: a thread that could not be started leaves the promise
    // broken, which wakes the others.
    std::array<std::jthread, 3> classes;
    std::promise<void> covered;
    const std::shared_future<void> ready = covered.get_future().share();
    for (size_t k = 0; k < 3; ++k)
      classes[k] = std::jthread([&, k, ready] {
        try {
          std::array<TRegions, 2> regions = LabelTwinRegions(before.Maps[k], after.Maps[k]);
          ready.wait();
          if (matchFailure == nullptr)
            result.Classes[k] =
                CompareClass(before.Maps[k], after.Maps[k], k, covers, std::move(regions));
        } catch (...) {
          failures[k] = std::current_exception();
        }
      });
    try {
      covers = MatchAndCover(before, after, worldSize, result.Changes);
    } catch (...) {
      matchFailure = std::current_exception();
    }
    covered.set_value();
  }
  if (matchFailure != nullptr)
    std::rethrow_exception(matchFailure);
  for (const std::exception_ptr& failure : failures)
    if (failure)
      std::rethrow_exception(failure);
  return result;
}

} // namespace quarnel
