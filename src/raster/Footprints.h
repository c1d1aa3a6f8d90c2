// Tree footprints and line brushes of the three map classes.
#pragma once

#include "segutils/SegUtils.h"

#include <cstdint>
#include <string_view>

namespace quarnel {

// True for the mesh names of trees and plants, in any letter case.
bool IsTreeMesh(std::string_view name);

void StampTreeInfantry(TPathmap& map, double x, double z);
void StampTreeTank(TPathmap& map, double x, double z);
void StampTreeCar(TPathmap& map, double x, double z);

// Line brushes: context points at a TPathmap* variable; x is the column, y the row.
bool BrushInfantry(int64_t x, int64_t y, void* context);
bool BrushTank(int64_t x, int64_t y, void* context);
bool BrushCar(int64_t x, int64_t y, void* context);

} // namespace quarnel
