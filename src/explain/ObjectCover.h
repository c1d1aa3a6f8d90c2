// The cells one object blocks on its own in each map class: its tree footprint, or its outline
// widened by the class's shape, before hole filling, as the run draws it.
#pragma once

#include "mesh/CollisionMesh.h"

#include <array>
#include <cstdint>
#include <vector>

namespace quarnel {

struct TObjectCover {
  // The grid cells the object may block, rows Row0 to Row0 + Rows - 1 by columns Column0 to
  // Column0 + Columns - 1; empty (Rows 0) when it blocks no cell of the grid.
  uint32_t Row0 = 0, Column0 = 0, Rows = 0, Columns = 0;
  // Per class (infantry, tank, car) a bit per cell of the box, row by row, each row in
  // WordsPerRow() words.
  std::array<std::vector<uint64_t>, 3> Bits;

  size_t WordsPerRow() const { return (size_t{Columns} + 63) / 64; }
  bool Contains(uint32_t row, uint32_t column) const {
    return row - Row0 < Rows && column - Column0 < Columns; // unsigned: below wraps around
  }
  // Whether the object blocks the cell in class k (0 infantry, 1 tank, 2 car).
  bool Covers(size_t k, uint32_t row, uint32_t column) const {
    if (!Contains(row, column))
      return false;
    const size_t at = (row - Row0) * WordsPerRow() + (column - Column0) / 64;
    return (Bits[k][at] >> ((column - Column0) % 64) & 1) != 0;
  }
};

// The cover of the node in a grid of worldSize cells a side, drawn as the run draws it: a tree
// by its footprints, any other object with a mesh by the edges of its faces; an object without
// a mesh covers nothing. Raises what the run raises for the node's placement ("Invalid floating
// point operation", "Floating point overflow").
TObjectCover CoverOf(const TStaticObjectMeshNode& node, uint32_t worldSize);

} // namespace quarnel
