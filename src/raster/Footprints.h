// Tree footprints and line brushes of the three map classes.
#pragma once

#include "raster/Shapes.h"
#include "segutils/SegUtils.h"

#include <cstdint>
#include <string_view>

namespace quarnel {

// True for the mesh names of trees and plants, in any letter case.
bool IsTreeMesh(std::string_view name);

// The tree footprints around the cell of world position (x, z), truncated toward zero. A NaN
// position raises "Invalid floating point operation"; an infinite one, or one of magnitude 2^62
// or more, raises "Floating point overflow". The infantry footprint blocks 1, 2 or 4 cells by
// where the position lies in its cell; the tank and car footprints are their class's shape.
void StampTreeInfantry(TPathmap& map, double x, double z);
// The per-cell reference forms of the tank and car footprints: the run marks the tree's cell
// (MarkTreeCentre) and widens it with the outlines instead.
void StampTreeTank(TPathmap& map, double x, double z);
void StampTreeCar(TPathmap& map, double x, double z);

// The fractions of its cell from which an infantry tree's position blocks a neighbouring cell too.
inline constexpr double kTreeLowFraction = 0.25;
inline constexpr double kTreeHighFraction = 0.75;

// The block of cells that the infantry tree at (x, z) blocks: along each axis the cell i of
// the position and, by the position's fraction f within it, also i - 1 (f <= kTreeLowFraction)
// or i + 1 (f >= kTreeHighFraction). Raises as the footprints do.
struct TCellBlock {
  int64_t RowFirst = 0, RowLast = 0, ColumnFirst = 0, ColumnLast = 0;
};
TCellBlock InfantryTreeCells(double x, double z);

// True when the tree footprint of mapClass at (x, z) covers the cell (row, column), whether
// or not the cell lies in a grid. Raises as the footprints do.
bool TreeCovers(MapClass mapClass, double x, double z, int64_t row, int64_t column);

// Line brushes: context points at a TPathmap* variable; x is the column, y the row. Each blocks
// its class's shape (Shapes.h) exactly as Block per cell would (cells outside the grid are
// dropped) and returns true. The run widens traced outlines in whole words instead
// (CellMask.h); these per-cell forms are the reference that the widening must match.
bool BrushInfantry(int64_t x, int64_t y, void* context);
bool BrushTank(int64_t x, int64_t y, void* context);
bool BrushCar(int64_t x, int64_t y, void* context);

} // namespace quarnel
