// Shortest paths with diagonal steps by jump point search.
#pragma once

#include "analysis/Cell.h"
#include "segutils/SegUtils.h"

#include <stop_token>
#include <vector>

namespace quarnel {

// A shortest path from start to end where a unit steps to any of the eight neighbours of a cell
// that is free (edge steps cost 1, diagonal ones the square root of 2), as its jump points: the
// start, the cells where the path may turn, and the end. Consecutive points lie on one row, one
// column or one diagonal, all cells between them free. start and end must be free cells; no
// point is returned when they lie in different regions, or when stop is requested.
std::vector<TCell> JumpPointPath(const TPathmap& map, TCell start, TCell end,
                                 std::stop_token stop = {});

} // namespace quarnel
