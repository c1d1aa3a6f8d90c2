// Explaining one cell: every object's tree footprint or outline edges tested against a small
// window around the cell, by the run's own walker and shapes.
#include "explain/WhyCell.h"

#include "mesh/WorldObjects.h"
#include "raster/Bresham.h"
#include "raster/CellPoint.h"
#include "raster/Footprints.h"
#include "raster/Outline.h"
#include "raster/Shapes.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <unordered_map>
#include <utility>

namespace quarnel {

namespace {

constexpr MapClass kClasses[3] = {MapClass::Infantry, MapClass::Tank, MapClass::Car};

// The window: the cells within kNearReach of the asked cell, as the bits of a word, (dRow,
// dColumn) in bit (dRow + kNearReach) * kSide + dColumn + kNearReach.
constexpr int kSide = 2 * kNearReach + 1;
constexpr uint32_t Bit(int64_t dRow, int64_t dColumn) {
  return uint32_t{1} << ((dRow + kNearReach) * kSide + dColumn + kNearReach);
}
constexpr uint32_t kCentre = Bit(0, 0);
constexpr uint32_t kNeighbours = Bit(-1, 0) | Bit(1, 0) | Bit(0, -1) | Bit(0, 1);
// A shape centred farther than this from the asked cell covers no cell of the window.
constexpr int64_t kWalkReach = kNearReach + kMaxBrushReach;

// The window cells covered in each map class.
using TWindow = std::array<uint32_t, 3>;

// The window cells that each class's shape covers when centred dRow rows and dColumn columns
// away from the asked cell, at [dRow + kWalkReach][dColumn + kWalkReach].
using TCoverTable = std::array<std::array<TWindow, 2 * kWalkReach + 1>, 2 * kWalkReach + 1>;
const TCoverTable& CoverTable() {
  static const TCoverTable table = [] {
    TCoverTable t{};
    for (int64_t r = -kWalkReach; r <= kWalkReach; ++r)
      for (int64_t c = -kWalkReach; c <= kWalkReach; ++c)
        for (size_t k = 0; k < 3; ++k)
          for (int64_t dr = -kNearReach; dr <= kNearReach; ++dr)
            for (int64_t dc = -kNearReach; dc <= kNearReach; ++dc)
              if (ShapeCovers(ShapeOf(kClasses[k]), dr - r, dc - c))
                t[r + kWalkReach][c + kWalkReach][k] |= Bit(dr, dc);
    return t;
  }();
  return table;
}

struct TEdgeProbe {
  int64_t Row = 0, Column = 0; // the asked cell
  TWindow Covered{};
};

// Walks only the window of kWalkReach around the asked cell, so the offsets stay in the table.
bool ProbeVisitor(int64_t x, int64_t y, void* context) {
  auto& probe = *static_cast<TEdgeProbe*>(context);
  const TWindow& cells = CoverTable()[y - probe.Row + kWalkReach][x - probe.Column + kWalkReach];
  for (size_t k = 0; k < 3; ++k)
    probe.Covered[k] |= cells[k];
  return true;
}

// What one object blocks in the window, and how it covers the asked cell in each class.
struct TObjectCover {
  TWindow Covered{};
  std::array<TWhyCause, 3> Cause;
};

void CoverByTree(const TStaticObjectMeshNode& node, int64_t row, int64_t column,
                 TObjectCover& cover) {
  const double x = node.Position.X, z = node.Position.Z;
  // Raises for a bad position as the footprints do, also for a tree far away.
  const int64_t treeRow = TruncCell(z);
  if (std::abs(treeRow - row) > kWalkReach || std::abs(TruncCell(x) - column) > kWalkReach)
    return;
  for (size_t k = 0; k < 3; ++k) {
    cover.Cause[k].Kind = TWhyKind::Tree;
    for (int64_t dr = -kNearReach; dr <= kNearReach; ++dr)
      for (int64_t dc = -kNearReach; dc <= kNearReach; ++dc)
        if (TreeCovers(kClasses[k], x, z, row + dr, column + dc))
          cover.Covered[k] |= Bit(dr, dc);
  }
}

// Every edge of every face, in the run's order, walked within the window.
void CoverByOutline(const TStaticObjectMeshNode& node, int64_t row, int64_t column,
                    TObjectCover& cover) {
  const std::vector<TCellPoint> points = PlaceMeshVertices(node);
  const auto faces = node.Faces();
  TEdgeProbe probe{row, column, {}};
  for (size_t f = 0; f < faces.size(); ++f) {
    const int32_t v[3] = {faces[f].A, faces[f].B, faces[f].C};
    for (int e = 0; e < 3; ++e) {
      const int32_t from = v[e], to = v[(e + 1) % 3];
      assert(static_cast<uint32_t>(from) < points.size() &&
             static_cast<uint32_t>(to) < points.size()); // checked when the mesh was read
      const TCellPoint a = points[static_cast<size_t>(from)], b = points[static_cast<size_t>(to)];
      probe.Covered = {};
      WalkLineClipped(a.Column, a.Row, b.Column, b.Row, column - kWalkReach, row - kWalkReach,
                      column + kWalkReach, row + kWalkReach, ProbeVisitor, &probe);
      for (size_t k = 0; k < 3; ++k) {
        cover.Covered[k] |= probe.Covered[k];
        TWhyCause& cause = cover.Cause[k];
        if ((probe.Covered[k] & kCentre) != 0 && cause.CoveringEdges++ == 0) {
          cause.Kind = TWhyKind::Outline;
          cause.Face = static_cast<int32_t>(f);
          cause.Vertices = faces[f];
          cause.EdgeFrom = from;
          cause.EdgeTo = to;
        }
      }
    }
  }
}

// The largest distance of a used mesh vertex from the mesh's origin; NaN when one is NaN.
double MeshRadius(const TCollisionMesh& mesh) {
  double radius = 0;
  for (const int32_t i : mesh.UsedVertices) {
    const TVector4& v = mesh.Vertices[static_cast<size_t>(i)];
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (std::isnan(length))
      return length;
    radius = std::max(radius, length);
  }
  return radius;
}

// True when the placed mesh cannot reach the window and placing it cannot fail. The rotation
// keeps lengths, so every placed vertex lies within the largest scale times the mesh's radius
// of the object's position (with room for rounding), and its cell within one more cell.
bool SurelyFar(const TStaticObjectMeshNode& node, double radius, int64_t row, int64_t column) {
  const TVector3 &p = node.Position, &s = node.Rotation, &k = node.Scale;
  for (double value : {p.X, p.Z, s.X, s.Y, s.Z, k.X, k.Y, k.Z, radius})
    if (!std::isfinite(value))
      return false;
  const double scale = std::max({std::fabs(k.X), std::fabs(k.Y), std::fabs(k.Z)});
  const double reach = scale * radius * (1 + 1e-9) + 2;
  if (!(std::fabs(p.X) + reach < kCellCoordinateLimit / 2 &&
        std::fabs(p.Z) + reach < kCellCoordinateLimit / 2))
    return false;
  const double far = reach + static_cast<double>(kWalkReach);
  return std::fabs(p.X - static_cast<double>(column)) > far ||
         std::fabs(p.Z - static_cast<double>(row)) > far;
}

} // namespace

TWhyAnswer ExplainCell(const TStaticObjectLL& objects, uint32_t worldSize, uint32_t row,
                       uint32_t column) {
  if (worldSize == 0)
    throw Exception("Pathmap not initialised");
  TWhyAnswer answer;
  answer.Row = row;
  answer.Column = column;
  answer.Inside = row < worldSize && column < worldSize;
  uint32_t inGrid = 0; // objects block only the window cells inside the grid
  for (int64_t dr = -kNearReach; dr <= kNearReach; ++dr)
    for (int64_t dc = -kNearReach; dc <= kNearReach; ++dc)
      if (row + dr >= 0 && row + dr < worldSize && column + dc >= 0 && column + dc < worldSize)
        inGrid |= Bit(dr, dc);

  // Every object is looked at, in file order, so that a bad one fails as in the run.
  TWindow blocked{};
  std::vector<std::pair<TWhyObject, TWindow>> touching;
  std::unordered_map<const TCollisionMesh*, double> radii;
  int64_t number = 0;
  for (const TLinkedListNode* n = objects.Head; n != nullptr; n = n->Next) {
    const TStaticObjectMeshNode& node = MeshNodeOf(n);
    const TWhyObject object{++number, &node};
    TObjectCover cover;
    if (IsTreeMesh(node.Name)) {
      CoverByTree(node, row, column, cover);
    } else if (node.HasMesh) {
      const auto [radius, added] = radii.try_emplace(node.Mesh.get(), 0.0);
      if (added)
        radius->second = MeshRadius(*node.Mesh);
      if (!SurelyFar(node, radius->second, row, column))
        CoverByOutline(node, row, column, cover);
    }
    bool any = false;
    for (size_t k = 0; k < 3; ++k) {
      cover.Covered[k] &= inGrid;
      blocked[k] |= cover.Covered[k];
      any |= cover.Covered[k] != 0;
      if ((cover.Covered[k] & kCentre) != 0) {
        answer.Classes[k].Causes.push_back(cover.Cause[k]);
        answer.Classes[k].Causes.back().Object = object;
      }
    }
    if (any)
      touching.emplace_back(object, cover.Covered);
  }

  for (size_t k = 0; k < 3; ++k) {
    TWhyClass& answered = answer.Classes[k];
    answered.Class = kClasses[k];
    if (!answer.Inside) {
      answered.Blocked = true;
      continue;
    }
    // Hole filling: free, with the four neighbours blocked or outside the grid.
    if (answered.Causes.empty() && ((blocked[k] | ~inGrid) & kNeighbours) == kNeighbours)
      answered.Causes.push_back(TWhyCause{});
    answered.Blocked = !answered.Causes.empty();
    if (!answered.Blocked)
      for (const auto& [object, covered] : touching)
        if (covered[k] != 0)
          answered.Near.push_back(object);
  }
  return answer;
}

} // namespace quarnel
