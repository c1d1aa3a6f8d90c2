// Zeroed storage, in huge pages where the system offers them.
#include "common/ZeroedMemory.h"

#include <cstdint>
#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace quarnel {

void* ReserveZeroed(size_t count, size_t size) {
  void* block = std::calloc(count, size);
#ifdef __linux__
  // Only the whole pages inside the block; a refusal changes nothing.
  constexpr uintptr_t kPage = 4096;
  if (block != nullptr) {
    const auto first = (reinterpret_cast<uintptr_t>(block) + kPage - 1) & ~(kPage - 1);
    const auto last = (reinterpret_cast<uintptr_t>(block) + count * size) & ~(kPage - 1);
    if (last > first)
      madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
  }
#endif
  return block;
}

} // namespace quarnel
