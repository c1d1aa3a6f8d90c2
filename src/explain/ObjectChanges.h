// What changed between two versions of a world's objects: each object of one matched with one of
// the other, or added or removed.
#pragma once

#include "mesh/CollisionMesh.h"
#include "passes/WorldMaps.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quarnel {

// An object of one version by its place in that version's object list.
struct TVersionObject {
  int64_t Number = 0; // in file order, from 1; 0 when the object is not in this version
  const TStaticObjectMeshNode* Node = nullptr;
};

// What a change does, as bits.
enum TChangeWhat : uint8_t {
  kAdded = 1,
  kRemoved = 2,
  kMoved = 4,       // its position differs
  kTurned = 8,      // its rotation differs
  kRescaled = 16,   // its scale differs
  kMeshChanged = 32 // its mesh file's bytes differ, or only one version has one
};

struct TObjectChange {
  uint8_t What = 0;
  TVersionObject Old, New; // Old alone for kRemoved, New alone for kAdded
};

// The changes from before to after, in the order of the objects of after (changes whose object
// is only in before follow, in its order). Objects match by name (letter case ignored, as mesh
// lookup does, aliases applied): those with the same placement first, in file order; then the
// rest of one name pair by nearest position, the closest pair first (ties in file order; of
// more than 4,194,304 pairs, each object of before in file order takes the nearest left);
// those left are added or removed. A matched pair is a change when its placement differs or
// its mesh does; reordering alone changes nothing. Raises "Error opening file: " and a mesh
// file's name, or "Error reading file: " and it, when a mesh file to compare cannot be read.
std::vector<TObjectChange> MatchObjects(const TBuiltWorld& before, const TBuiltWorld& after);

} // namespace quarnel
