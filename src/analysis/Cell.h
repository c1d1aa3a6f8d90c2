// A cell of a map by its row (world Z) and column (world X).
#pragma once

#include <cstdint>

namespace quarnel {

struct TCell {
  uint32_t Row = 0, Column = 0;
  bool operator==(const TCell&) const = default;
};

} // namespace quarnel
