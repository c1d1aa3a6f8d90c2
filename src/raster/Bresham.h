// The integer line walker: the cells of a line between two end points, in order.
#pragma once

#include <cstdint>

namespace quarnel {

// Called for every cell of a walk; returns true to go on. x is the column, y the row.
using CellVisitor = bool (*)(int64_t x, int64_t y, void* context);

// Visits the cells from (x0, y0) to (x1, y1) by Bresenham's midpoint method and returns the
// result of the last visitor call.
bool WalkLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1, CellVisitor visitor, void* context);

// Visits exactly those cells of WalkLine(x0, y0, x1, y1) that lie in the window minX..maxX by
// minY..maxY (bounds included), in the same order, without stepping over the cells outside it:
// the cost follows the part inside the window, not the length of the line. Returns the result
// of the last visitor call, or true when no cell of the line lies in the window.
bool WalkLineClipped(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t minX, int64_t minY,
                     int64_t maxX, int64_t maxY, CellVisitor visitor, void* context);

} // namespace quarnel
