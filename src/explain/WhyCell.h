// Why a cell of a world's maps is blocked: the objects, and the hole filling, that block it.
#pragma once

#include "mesh/CollisionMesh.h"
#include "readcon/ReadCon.h"

#include <array>
#include <cstdint>
#include <vector>

namespace quarnel {

// How far from the asked cell (in rows and in columns) the objects named near a free cell block.
inline constexpr int kNearReach = 2;

// An object of the world by its place in the object list.
struct TWhyObject {
  int64_t Number = 0; // in file order, from 1
  const TStaticObjectMeshNode* Node = nullptr;
};

enum class TWhyKind { Tree, Outline, Hole };

// One cause of a block: an object's tree footprint, an object's mesh outline, or hole filling.
struct TWhyCause {
  TWhyKind Kind = TWhyKind::Hole;
  TWhyObject Object; // not for Hole
  // Outline only: the first face, in face order, one of whose edges (A to B, then B to C, then
  // C to A) covers the cell when drawn; that edge as its two vertex indices; and how many edges
  // of all the object's faces cover the cell.
  int32_t Face = 0;
  TFace Vertices;
  int32_t EdgeFrom = 0, EdgeTo = 0;
  int64_t CoveringEdges = 0;
};

// The answer for one map class.
struct TWhyClass {
  MapClass Class = MapClass::Infantry;
  bool Blocked = false;          // in the map that the run writes
  std::vector<TWhyCause> Causes; // the covering objects in file order, or hole filling
  std::vector<TWhyObject> Near;  // free cell only: objects blocking a cell within kNearReach
};

struct TWhyAnswer {
  uint32_t Row = 0, Column = 0;
  bool Inside = false;              // outside the grid a cell counts as blocked and has no causes
  std::array<TWhyClass, 3> Classes; // infantry, tank, car
};

// Explains the cell (row, column) of the maps that the run writes for objects (as
// LoadWorldObjects fills them; the answer points into the list) on a world of worldSize cells
// a side, by the run's own placement, line walker, footprints and shapes. Only the objects
// whose placed mesh can come near the cell are placed. Raises what the run raises for these
// objects ("Invalid floating point operation", "Floating point overflow"), and "Pathmap not
// initialised" for a world size of 0.
TWhyAnswer ExplainCell(const TStaticObjectLL& objects, uint32_t worldSize, uint32_t row,
                       uint32_t column);

} // namespace quarnel
