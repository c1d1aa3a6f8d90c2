// Marked cells and their widening into a map by whole-word shifts and ors.
#include "raster/CellMask.h"

#include "raster/CellPoint.h"
#include "raster/LineWalk.h"

#include <algorithm>
#include <cassert>
#include <vector>

namespace quarnel {

TCellMask::TCellMask(uint32_t size)
    : FSize(size), Extent(size == 0 ? 0 : uint64_t{size} + 2 * kMaxBrushReach) {
  if (size != 0)
    Cells.SetSize(size + 128);
}

void TCellMask::MarkWord(int64_t row, int64_t first, uint64_t bits) {
  if (static_cast<uint64_t>(row + kMaxBrushReach) >= Extent)
    return;
  // Keep columns -kMaxBrushReach to Size + kMaxBrushReach - 1: bit t is column first + t.
  const int64_t lo = -kMaxBrushReach - first, hi = int64_t{FSize} + kMaxBrushReach - 1 - first;
  if (lo > 0)
    bits = lo >= 64 ? 0 : bits & (~uint64_t{0} << lo);
  if (hi < 63)
    bits = hi < 0 ? 0 : bits & (~uint64_t{0} >> (63 - hi));
  if (bits == 0)
    return;
  const int64_t r = row + 64, c = first + 64; // in Cells
  Cells.WritableSegment(static_cast<int32_t>(r >> 6), static_cast<int32_t>(c >> 6))[r & 63] |= bits;
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
  // Most walks of an outline have one cell or two: their end points.
  if (static_cast<uint64_t>(x1 - x0 + 1) <= 2 && static_cast<uint64_t>(y1 - y0 + 1) <= 2) {
    Mark(y0, x0);
    Mark(y1, x1);
    return;
  }
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

constexpr int kWindowRows = 64 + 2 * kMaxBrushReach;

// Rows -kMaxBrushReach to 63 + kMaxBrushReach of the mask around map segment (i, j): Words[t][k]
// is row k - kMaxBrushReach of tile j - 1 + t. Columns run down the rows so that the loops over
// rows below work on whole vectors of words.
struct TWindow {
  uint64_t Words[3][kWindowRows];

  // False when no tile around (i, j) holds a marked cell: then the window is all free.
  bool Load(const TCellMask& mask, int32_t i, int32_t j) {
    const uint64_t* tiles[3][3]; // [row of tiles][column of tiles]
    bool any = false;
    for (int di = 0; di < 3; ++di)
      for (int dj = 0; dj < 3; ++dj) {
        tiles[di][dj] = mask.Tile(i + di - 1, j + dj - 1);
        any = any || tiles[di][dj] != nullptr;
      }
    if (!any)
      return false;
    for (int t = 0; t < 3; ++t) {
      uint64_t* column = Words[t];
      Copy(column, tiles[0][t] == nullptr ? nullptr : tiles[0][t] + 64 - kMaxBrushReach,
           kMaxBrushReach);
      Copy(column + kMaxBrushReach, tiles[1][t], 64);
      Copy(column + kMaxBrushReach + 64, tiles[2][t], kMaxBrushReach);
    }
    return true;
  }

private:
  static void Copy(uint64_t* to, const uint64_t* from, int count) {
    if (from == nullptr)
      std::fill_n(to, count, 0);
    else
      std::copy_n(from, count, to);
  }
};

// Blocks in out[0..63] the cells of the window's middle tile that the shape covers.
//
// The shape is the union, over its rows, of the marked cells d rows away widened by the half
// width w(d) of that row. With V_e the union of the rows within e of the centre, and the half
// widths not growing with |d|, that is the union of V_e widened by w(e), taken only at the e
// where w changes (and at the last row): e.g. for the tank, V_0 by 3, V_2 by 2 and V_3 by 0.
//
// Column 64j + t is bit t of word j, so a left shift moves every cell east (to a higher
// column): the cell s columns west of bit t of the middle word is bit t of
// (middle << s) | (west >> (64 - s)), the west word carrying in its top s bits; the cell s
// columns east likewise of (middle >> s) | (east << (64 - s)). 0 < s < 64.
void Widen(const TWindow& window, const TShape& shape, uint64_t (&out)[64]) {
  const int reach = shape.Reach;
  std::fill_n(out, 64, 0);
  // Only rows within reach of a marked row can gain a cell: rows first to last.
  int first = 64, last = -1;
  for (int k = -reach; k < 64 + reach; ++k) {
    const int t = k + kMaxBrushReach;
    if ((window.Words[0][t] | window.Words[1][t] | window.Words[2][t]) != 0) {
      first = std::min(first, std::max(k - reach, 0));
      last = std::max(last, std::min(k + reach, 63));
    }
  }
  uint64_t v[3][64]; // V_e of the rows first to last of each column of tiles
  for (int t = 0; t < 3; ++t)
    std::copy_n(window.Words[t] + kMaxBrushReach, 64, v[t]);
  for (int e = 0; e <= reach; ++e) {
    if (e > 0) {
      for (int t = 0; t < 3; ++t) {
        const uint64_t* south = window.Words[t] + kMaxBrushReach - e;
        const uint64_t* north = window.Words[t] + kMaxBrushReach + e;
        for (int k = first; k <= last; ++k)
          v[t][k] |= south[k] | north[k];
      }
    }
    const int half = shape.HalfWidth[reach + e];
    if (e < reach && shape.HalfWidth[reach + e + 1] == half)
      continue;
    assert(e == reach || shape.HalfWidth[reach + e + 1] < half);
    for (int k = first; k <= last; ++k)
      out[k] |= v[1][k];
    for (int s = 1; s <= half; ++s)
      for (int k = first; k <= last; ++k)
        out[k] |= (v[1][k] << s) | (v[0][k] >> (64 - s)) | (v[1][k] >> s) | (v[2][k] << (64 - s));
  }
}

// Widens the marks around map segment (i, j) into it; a segment left all free is not written.
void WidenSegment(const TCellMask& mask, const TShape& shape, TPathmap& map, int32_t i, int32_t j) {
  TWindow window;
  if (!window.Load(mask, i, j))
    return;
  uint64_t out[64];
  Widen(window, shape, out);
  uint64_t any = 0;
  for (int k = 0; k < 64; ++k)
    any |= out[k];
  if (any == 0)
    return;
  uint64_t* segment = map.WritableSegment(i, j);
  for (int k = 0; k < 64; ++k)
    segment[k] |= out[k];
}

} // namespace

namespace {

// Whether the marks of a tile reach, with the shape's reach, into the map segment di rows and
// dj columns of segments away from it (each -1, 0 or 1): a mark reaches the segment to the
// south only from the tile's first reach rows, the one to the west only from its first reach
// columns, and so on.
class TReach {
public:
  TReach(const uint64_t* tile, int reach) : Reach(reach) {
    for (int k = 0; k < 64; ++k) {
      Rows[1] |= tile[k];
      if (k < reach)
        Rows[0] |= tile[k];
      if (k >= 64 - reach)
        Rows[2] |= tile[k];
    }
  }

  bool Into(int di, int dj) const {
    if (Reach == 0)
      return di == 0 && dj == 0;
    const uint64_t rows = Rows[di + 1];
    const uint64_t west = (uint64_t{1} << Reach) - 1; // columns 0 to reach - 1
    const uint64_t east = ~(~uint64_t{0} >> Reach);   // columns 64 - reach to 63
    return (rows & (dj < 0 ? west : dj > 0 ? east : ~uint64_t{0})) != 0;
  }

private:
  int Reach;
  uint64_t Rows[3] = {}; // the marks of the first reach rows, of all rows, of the last reach
};

} // namespace

// A marked cell reaches at most kMaxBrushReach < 64 cells, so only the map segment of a marked
// tile and those next to it that its marks reach can gain a blocked cell; each of them is
// widened once.
void WidenInto(const TCellMask& mask, const TShape& shape, TPathmap& map) {
  assert(shape.Reach >= 0 && shape.Reach <= kMaxBrushReach);
  assert(mask.Size() == map.Size());
  const int64_t n = map.SegmentCount();
  const int64_t tilesPerRow = n + 2;
  std::vector<bool> done(static_cast<size_t>(n * n));
  for (size_t index : mask.MarkedTiles()) {
    const int64_t ti = static_cast<int64_t>(index) / tilesPerRow - 1; // -1 to n
    const int64_t tj = static_cast<int64_t>(index) % tilesPerRow - 1;
    const TReach reaches(mask.Tile(static_cast<int32_t>(ti), static_cast<int32_t>(tj)),
                         shape.Reach);
    for (int di = -1; di <= 1; ++di)
      for (int dj = -1; dj <= 1; ++dj) {
        const int64_t i = ti + di, j = tj + dj;
        if (i < 0 || j < 0 || i >= n || j >= n || !reaches.Into(di, dj))
          continue;
        const auto segment = static_cast<size_t>(i * n + j);
        if (done[segment])
          continue;
        done[segment] = true;
        WidenSegment(mask, shape, map, static_cast<int32_t>(i), static_cast<int32_t>(j));
      }
  }
}

} // namespace quarnel
