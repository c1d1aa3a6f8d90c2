// One object drawn alone: the centre cells of its outline walked within its box and widened by
// each class's shape, or its tree footprints.
#include "explain/ObjectCover.h"

#include "raster/Bresham.h"
#include "raster/CellPoint.h"
#include "raster/Footprints.h"
#include "raster/Outline.h"
#include "raster/Shapes.h"

#include <algorithm>

namespace quarnel {

namespace {

constexpr MapClass kClasses[3] = {MapClass::Infantry, MapClass::Tank, MapClass::Car};

// Sizes the cover to the cells from (r0, c0) to (r1, c1) that lie in the grid.
void SetBox(TObjectCover& cover, int64_t r0, int64_t c0, int64_t r1, int64_t c1, uint32_t size) {
  r0 = std::max<int64_t>(r0, 0), c0 = std::max<int64_t>(c0, 0);
  r1 = std::min<int64_t>(r1, int64_t{size} - 1), c1 = std::min<int64_t>(c1, int64_t{size} - 1);
  if (r0 > r1 || c0 > c1)
    return;
  cover.Row0 = static_cast<uint32_t>(r0), cover.Column0 = static_cast<uint32_t>(c0);
  cover.Rows = static_cast<uint32_t>(r1 - r0 + 1),
  cover.Columns = static_cast<uint32_t>(c1 - c0 + 1);
  for (auto& bits : cover.Bits)
    bits.assign(cover.Rows * cover.WordsPerRow(), 0);
}

// Sets the bits of row (a grid row of the box) from column first to last, clipped to the box.
void SetRun(TObjectCover& cover, std::vector<uint64_t>& bits, int64_t row, int64_t first,
            int64_t last) {
  first = std::max<int64_t>(first, cover.Column0);
  last = std::min<int64_t>(last, int64_t{cover.Column0} + cover.Columns - 1);
  if (row < cover.Row0 || row >= int64_t{cover.Row0} + cover.Rows || first > last)
    return;
  uint64_t* words = bits.data() + (row - cover.Row0) * cover.WordsPerRow();
  for (int64_t c = first - cover.Column0; c <= last - cover.Column0; ++c)
    words[c / 64] |= uint64_t{1} << (c % 64);
}

// The centre cells of an outline within a window, as (row, column).
struct TCentres {
  std::vector<std::pair<int64_t, int64_t>> Cells;
};

bool CollectCentre(int64_t x, int64_t y, void* context) {
  static_cast<TCentres*>(context)->Cells.emplace_back(y, x);
  return true;
}

void CoverTree(const TStaticObjectMeshNode& node, uint32_t size, TObjectCover& cover) {
  const double x = node.Position.X, z = node.Position.Z;
  const int64_t row = TruncCell(z), column = TruncCell(x); // raises as the footprints do
  SetBox(cover, row - kMaxBrushReach, column - kMaxBrushReach, row + kMaxBrushReach,
         column + kMaxBrushReach, size);
  for (size_t k = 0; k < 3; ++k)
    for (uint32_t r = 0; r < cover.Rows; ++r)
      for (uint32_t c = 0; c < cover.Columns; ++c)
        if (TreeCovers(kClasses[k], x, z, cover.Row0 + r, cover.Column0 + c))
          SetRun(cover, cover.Bits[k], cover.Row0 + r, cover.Column0 + c, cover.Column0 + c);
}

void CoverOutline(const TStaticObjectMeshNode& node, uint32_t size, TObjectCover& cover) {
  const std::vector<TCellPoint> points = PlaceMeshVertices(node); // raises as the run does
  int64_t r0 = INT64_MAX, c0 = INT64_MAX, r1 = INT64_MIN, c1 = INT64_MIN;
  for (const TCellPoint& p : points)
    r0 = std::min(r0, p.Row), c0 = std::min(c0, p.Column), r1 = std::max(r1, p.Row),
    c1 = std::max(c1, p.Column);
  constexpr int64_t reach = kMaxBrushReach;
  SetBox(cover, r0 - reach, c0 - reach, r1 + reach, c1 + reach, size);
  if (cover.Rows == 0)
    return;
  // Only centres within reach of the box can cover a cell of it.
  TCentres centres;
  for (const TFace& face : node.Faces()) {
    const int32_t v[3] = {face.A, face.B, face.C};
    for (int e = 0; e < 3; ++e) {
      const TCellPoint a = points[static_cast<size_t>(v[e])];
      const TCellPoint b = points[static_cast<size_t>(v[(e + 1) % 3])];
      WalkLineClipped(a.Column, a.Row, b.Column, b.Row, int64_t{cover.Column0} - reach,
                      int64_t{cover.Row0} - reach,
                      int64_t{cover.Column0} + cover.Columns - 1 + reach,
                      int64_t{cover.Row0} + cover.Rows - 1 + reach, CollectCentre, &centres);
    }
  }
  std::sort(centres.Cells.begin(), centres.Cells.end());
  centres.Cells.erase(std::unique(centres.Cells.begin(), centres.Cells.end()), centres.Cells.end());
  for (size_t k = 0; k < 3; ++k) {
    const TShape& shape = ShapeOf(kClasses[k]);
    for (const auto& [row, column] : centres.Cells)
      for (int d = -shape.Reach; d <= shape.Reach; ++d) {
        const int half = shape.HalfWidth[d + shape.Reach];
        SetRun(cover, cover.Bits[k], row + d, column - half, column + half);
      }
  }
}

} // namespace

TObjectCover CoverOf(const TStaticObjectMeshNode& node, uint32_t worldSize) {
  TObjectCover cover;
  if (IsTreeMesh(node.Name))
    CoverTree(node, worldSize, cover);
  else if (node.HasMesh && node.FaceCount() > 0)
    CoverOutline(node, worldSize, cover);
  return cover;
}

} // namespace quarnel
