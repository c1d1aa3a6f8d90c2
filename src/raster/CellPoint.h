// Turning placed world coordinates into 64-bit cell coordinates.
#pragma once

#include "common/UTypes.h"

#include <cmath>
#include <cstdint>

namespace quarnel {

// World coordinates from 2^62 on are refused, so that cell coordinates and their differences
// stay well inside 64 bits.
inline constexpr double kCellCoordinateLimit = 4611686018427387904.0; // 2^62

// Raises "Invalid floating point operation" for NaN and "Floating point overflow" for an
// infinite value or one of magnitude 2^62 or more.
inline void CheckCoordinate(double v) {
  if (std::isnan(v))
    throw Exception(kInvalidFloatOp);
  if (!(std::fabs(v) < kCellCoordinateLimit))
    throw Exception(kFloatOverflow);
}

// A placed mesh vertex as a cell: its column (floor of the placed x) and its row (floor of the
// placed z). The column leads, as x leads in the line walker.
struct TCellPoint {
  int64_t Column = 0;
  int64_t Row = 0;
  bool operator==(const TCellPoint&) const = default;
};

// The cell of a world coordinate rounded down (mesh outlines).
inline int64_t FloorCell(double v) {
  if (!(std::fabs(v) < kCellCoordinateLimit)) // also NaN
    CheckCoordinate(v);
  // The floor without a library call: truncation, one less for a negative fraction. Below
  // 2^62 the truncated value converts back to a double exactly (it is v itself from 2^53 on).
  const auto truncated = static_cast<int64_t>(v);
  return static_cast<double>(truncated) > v ? truncated - 1 : truncated;
}

// The cell of a world coordinate truncated toward zero (tree positions).
inline int64_t TruncCell(double v) {
  CheckCoordinate(v);
  return static_cast<int64_t>(v);
}

} // namespace quarnel
