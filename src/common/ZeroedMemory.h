// Zeroed storage for large arrays that are written in part, front to back.
#pragma once

#include <cstddef>

namespace quarnel {

// count × size zeroed bytes, freed with std::free, or null when there is not that much memory.
// The system provides the pages only as they are first written (calloc). Where a program may
// ask for it (Linux), the system is asked to provide them in huge pages, so that storage taken
// front to back costs a few page faults instead of one per 4 KiB; nothing else changes.
void* ReserveZeroed(size_t count, size_t size);

} // namespace quarnel
