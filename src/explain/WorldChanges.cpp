// Two versions of a world compared: objects matched, changed objects drawn alone, each class's
// changed cells put down to them.
#include "explain/WorldChanges.h"

#include <exception>
#include <thread>

namespace quarnel {

TWorldChanges CompareWorlds(const TBuiltWorld& before, const TBuiltWorld& after,
                            uint32_t worldSize) {
  TWorldChanges result;
  result.Changes = MatchObjects(before, after);
  std::vector<TChangeCover> covers(result.Changes.size());
  for (size_t c = 0; c < covers.size(); ++c) {
    const TObjectChange& change = result.Changes[c];
    if (change.Old.Node != nullptr)
      covers[c].Before = CoverOf(*change.Old.Node, worldSize);
    if (change.New.Node != nullptr)
      covers[c].After = CoverOf(*change.New.Node, worldSize);
  }
  std::array<std::exception_ptr, 3> failures;
  {
    std::array<std::jthread, 3> classes;
    for (size_t k = 0; k < 3; ++k)
      classes[k] = std::jthread([&, k] {
        try {
          result.Classes[k] = CompareClass(before.Maps[k], after.Maps[k], k, covers);
        } catch (...) {
          failures[k] = std::current_exception();
        }
      });
  }
  for (const std::exception_ptr& failure : failures)
    if (failure)
      std::rethrow_exception(failure);
  return result;
}

} // namespace quarnel
