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

// Line brushes: context points at a TPathmap* variable; x is the column, y the row. Each blocks
// its class's shape (Shapes.h) exactly as Block per cell would (cells outside the grid are
// dropped) and returns true. The run widens traced outlines in whole words instead
// (CellMask.h); these per-cell forms are the reference that the widening must match.
bool BrushInfantry(int64_t x, int64_t y, void* context);
bool BrushTank(int64_t x, int64_t y, void* context);
bool BrushCar(int64_t x, int64_t y, void* context);

} // namespace quarnel
