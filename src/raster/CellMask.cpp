// Marked cells and their widening into a map by whole-word shifts and ors.
#include "raster/CellMask.h"

#include "raster/CellPoint.h"
#include "raster/LineWalk.h"

#include <algorithm>
#include <cassert>
#include <vector>

namespace quarnel {

TCellMask::TCellMask(uint32_t size) : FSize(size) {
  if (size != 0)
    Cells.SetSize(size + 128);
}

void TCellMask::MarkRun(int64_t row, int64_t first, int64_t last) {
  // In the cells of Cells: row r + 64, columns first + 64 to last + 64, all at least 60.
  const int64_t r = row + 64, c0 = first + 64, c1 = last + 64;
  const auto i = static_cast<int32_t>(r >> 6);
  for (int64_t j = c0 >> 6; j <= c1 >> 6; ++j) {
    const int64_t lo = std::max(c0, 64 * j) & 63;
    const int64_t hi = std::min(c1, 64 * j + 63) & 63;
    const uint64_t bits = (~uint64_t{0} << lo) & (~uint64_t{0} >> (63 - hi));
    Cells.WritableSegment(i, static_cast<int32_t>(j))[r & 63] |= bits;
  }
}

void TCellMask::Mark(int64_t row, int64_t column) {
  const int64_t size = FSize;
  if (size == 0 || row < -kMaxBrushReach || column < -kMaxBrushReach ||
      row >= size + kMaxBrushReach || column >= size + kMaxBrushReach)
    return;
  MarkRun(row, column, column);
}

bool TCellMask::MarkVisitor(int64_t x, int64_t y, void* context) {
  static_cast<TCellMask*>(context)->Mark(y, x);
  return true;
}

namespace {

// Marks cells in the mask's cells one at a time; the cells of a short walk mostly share a
// tile, whose words are looked up again only when the walk leaves it.
class TTileCursor {
public:
  explicit TTileCursor(TPathmap& cells) : Cells(cells) {}

  // Marks cell (row, column) of the mask, in the map or its margin.
  void Mark(int64_t row, int64_t column) {
    const int64_t r = row + 64, c = column + 64; // in Cells
    if ((r >> 6) != TileRow || (c >> 6) != TileColumn) {
      TileRow = r >> 6;
      TileColumn = c >> 6;
      Words =
          Cells.WritableSegment(static_cast<int32_t>(TileRow), static_cast<int32_t>(TileColumn));
    }
    Words[r & 63] |= uint64_t{1} << (c & 63);
  }

private:
  TPathmap& Cells;
  int64_t TileRow = -1, TileColumn = -1;
  uint64_t* Words = nullptr;
};

} // namespace

void TCellMask::MarkLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  if (FSize == 0)
    return;
  const int64_t lo = -kMaxBrushReach;
  const int64_t hi = int64_t{FSize} - 1 + kMaxBrushReach;
  const linewalk::TWalk walk = linewalk::MakeWalk(x0, y0, x1, y1);
  uint64_t first = 0, last = walk.A;
  if (!linewalk::WithinWindow(walk, lo, lo, hi, hi) &&
      !linewalk::StepRange(walk, lo, lo, hi, hi, first, last))
    return;
  TTileCursor cursor(Cells);
  linewalk::Run(walk, first, last, [&](int64_t x, int64_t y) {
    cursor.Mark(y, x);
    return true;
  });
}

void MarkTreeCentre(TCellMask& mask, double x, double z) {
  const int64_t row = TruncCell(z);
  mask.Mark(row, TruncCell(x));
}

namespace {

// Column 64j + t is bit t of word j, so a left shift moves every cell east (to a higher
// column). FromWest(x, s) is the middle word of x[0..2] with every cell replaced by the cell s
// columns west of it (lower columns), its top bits carried in from x[0]; FromEast likewise
// from s columns east, carried in from x[2]. 0 < s < 64.
inline uint64_t FromWest(const uint64_t* x, int s) {
  return (x[1] << s) | (x[0] >> (64 - s));
}
inline uint64_t FromEast(const uint64_t* x, int s) {
  return (x[1] >> s) | (x[2] << (64 - s));
}

// Rows -kMaxBrushReach to 63 + kMaxBrushReach of the mask around map segment (i, j), each as
// the three words of tiles j - 1, j and j + 1.
struct TWindow {
  static constexpr int kRows = 64 + 2 * kMaxBrushReach;
  uint64_t Words[kRows][3] = {};

  // False when no tile around (i, j) holds a marked cell: then the window is all free.
  bool Load(const TCellMask& mask, int32_t i, int32_t j, int reach) {
    const uint64_t* tiles[3][3];
    bool any = false;
    for (int di = 0; di < 3; ++di)
      for (int dj = 0; dj < 3; ++dj) {
        tiles[di][dj] = mask.Tile(i + di - 1, j + dj - 1);
        any = any || tiles[di][dj] != nullptr;
      }
    if (!any)
      return false;
    for (int k = -reach; k < 64 + reach; ++k) {
      const int di = k < 0 ? 0 : k < 64 ? 1 : 2;
      for (int dj = 0; dj < 3; ++dj) {
        const uint64_t* tile = tiles[di][dj];
        Words[k + kMaxBrushReach][dj] = tile == nullptr ? 0 : tile[(k + 64) & 63];
      }
    }
    return true;
  }
  const uint64_t* Row(int k) const { return Words[k + kMaxBrushReach]; }
};

// The cells of row k (0 to 63) of the window's middle tile that the shape covers.
//
// The shape is the union, over its rows, of the marked cells d rows away widened by the half
// width w(d) of that row. With V_e the union of the rows within e of the centre, and the half
// widths not growing with |d|, that is the union of V_e widened by w(e), taken only at the e
// where w changes (and at the last row): e.g. for the tank, V_0 by 3, V_2 by 2 and V_3 by 0.
uint64_t WidenedRow(const TWindow& window, int k, const TShape& shape) {
  const int reach = shape.Reach;
  uint64_t rows[3];
  std::copy_n(window.Row(k), 3, rows);
  uint64_t widened = 0;
  for (int e = 0; e <= reach; ++e) {
    if (e > 0) {
      const uint64_t* south = window.Row(k - e);
      const uint64_t* north = window.Row(k + e);
      for (int t = 0; t < 3; ++t)
        rows[t] |= south[t] | north[t];
    }
    const int half = shape.HalfWidth[reach + e];
    if (e < reach && shape.HalfWidth[reach + e + 1] == half)
      continue;
    assert(e == reach || shape.HalfWidth[reach + e + 1] < half);
    uint64_t v = rows[1];
    for (int s = 1; s <= half; ++s)
      v |= FromWest(rows, s) | FromEast(rows, s);
    widened |= v;
  }
  return widened;
}

// Widens the marks around map segment (i, j) into it; a segment left all free is not written.
void WidenSegment(const TCellMask& mask, const TShape& shape, TPathmap& map, int32_t i, int32_t j) {
  TWindow window;
  if (!window.Load(mask, i, j, shape.Reach))
    return;
  uint64_t out[64];
  uint64_t any = 0;
  for (int k = 0; k < 64; ++k) {
    out[k] = WidenedRow(window, k, shape);
    any |= out[k];
  }
  if (any == 0)
    return;
  uint64_t* segment = map.WritableSegment(i, j);
  for (int k = 0; k < 64; ++k)
    segment[k] |= out[k];
}

} // namespace

// A marked cell reaches at most kMaxBrushReach < 64 cells, so only map segments next to a
// marked tile (or on it) can gain a blocked cell; each of them is widened once.
void WidenInto(const TCellMask& mask, const TShape& shape, TPathmap& map) {
  assert(shape.Reach >= 0 && shape.Reach <= kMaxBrushReach);
  assert(mask.Size() == map.Size());
  const int64_t n = map.SegmentCount();
  const int64_t tilesPerRow = n + 2;
  std::vector<bool> done(static_cast<size_t>(n * n));
  for (size_t tile : mask.MarkedTiles()) {
    // Tile (ti, tj), from -1 to n, touches map segments ti - 1 to ti + 1 by tj - 1 to tj + 1.
    const int64_t ti = static_cast<int64_t>(tile) / tilesPerRow - 1;
    const int64_t tj = static_cast<int64_t>(tile) % tilesPerRow - 1;
    for (int64_t i = std::max<int64_t>(ti - 1, 0); i <= std::min(ti + 1, n - 1); ++i)
      for (int64_t j = std::max<int64_t>(tj - 1, 0); j <= std::min(tj + 1, n - 1); ++j) {
        const auto index = static_cast<size_t>(i * n + j);
        if (done[index])
          continue;
        done[index] = true;
        WidenSegment(mask, shape, map, static_cast<int32_t>(i), static_cast<int32_t>(j));
      }
  }
}

} // namespace quarnel
