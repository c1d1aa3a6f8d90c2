// Jump point search: A* that passes over the cells of straight and diagonal runs that no
// shortest path needs to turn at, keeping only the cells where one may turn (D. Harabor and
// A. Grastien, "Online Graph Pruning for Pathfinding on Grid Maps", AAAI 2011, whose grids let
// a diagonal step cut corners as units here do).
#include "analysis/JumpPointSearch.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <queue>
#include <utility>
#include <vector>

namespace quarnel {

namespace {

constexpr double kSqrt2 = 1.41421356237309504880;

struct TPoint {
  double Cost = 0;
  uint64_t Parent = 0; // row × Size + column of the jump point before it
  bool Closed = false;
};

// The jump points reached, by key (row × Size + column): an open-addressing table with linear
// probing, kept at most half full.
class TPointTable {
public:
  TPointTable() : Keys(kInitialSlots, kEmpty), Slots(kInitialSlots) {}

  // The point of key, and whether it was added now (with a cost of infinity).
  std::pair<TPoint*, bool> Find(uint64_t key) {
    size_t i = Home(key);
    for (; Keys[i] != kEmpty; i = (i + 1) & (Keys.size() - 1))
      if (Keys[i] == key)
        return {&Slots[i], false};
    if (2 * (Count + 1) > Keys.size()) {
      Grow();
      return Find(key);
    }
    ++Count;
    Keys[i] = key;
    Slots[i] = {std::numeric_limits<double>::infinity(), 0, false};
    return {&Slots[i], true};
  }

private:
  static constexpr uint64_t kEmpty = UINT64_MAX;
  static constexpr size_t kInitialSlots = size_t{1} << 16;
  size_t Home(uint64_t key) const {
    return size_t((key * 0x9E3779B97F4A7C15ull) >> 32) & (Keys.size() - 1);
  }
  void Grow() {
    std::vector<uint64_t> keys(2 * Keys.size(), kEmpty);
    std::vector<TPoint> slots(2 * Keys.size());
    keys.swap(Keys);
    slots.swap(Slots);
    for (size_t k = 0; k < keys.size(); ++k) {
      if (keys[k] == kEmpty)
        continue;
      size_t i = Home(keys[k]);
      while (Keys[i] != kEmpty)
        i = (i + 1) & (Keys.size() - 1);
      Keys[i] = keys[k];
      Slots[i] = slots[k];
    }
  }

  std::vector<uint64_t> Keys;
  std::vector<TPoint> Slots;
  size_t Count = 0;
};

// Transposes a 64 by 64 bit matrix, row k in word k and column t in bit t, in six rounds of
// block swaps (H. S. Warren, "Hacker's Delight", 2nd ed., 2013, section 7-3).
void Transpose64(uint64_t* a) {
  uint64_t mask = 0x00000000FFFFFFFFull;
  for (int width = 32; width != 0; width >>= 1, mask ^= mask << width)
    for (int k = 0; k < 64; k = (k + width + 1) & ~width) {
      const uint64_t t = ((a[k] >> width) ^ a[k + width]) & mask;
      a[k] ^= t << width;
      a[k + width] ^= t;
    }
}

// The map with rows and columns swapped: its row c is the map's column c.
TPathmap Transposed(const TPathmap& map) {
  TPathmap out;
  out.SetSize(map.Size());
  uint64_t block[64];
  for (int32_t i = 0; i < map.SegmentCount(); ++i)
    for (int32_t j = 0; j < map.SegmentCount(); ++j)
      if (const uint64_t* words = map.Segment(i, j)) {
        std::copy_n(words, 64, block);
        Transpose64(block);
        std::copy_n(block, 64, out.WritableSegment(j, i));
      }
  return out;
}

struct TOpen {
  double F, G;
  uint64_t Key;
};
// Least F first; between equal F, the greatest G (the point nearer the end).
struct TLater {
  bool operator()(const TOpen& a, const TOpen& b) const {
    return a.F != b.F ? a.F > b.F : a.G < b.G;
  }
};

class TJumpSearch {
public:
  TJumpSearch(const TPathmap& map, TCell end)
      : Map(map), Columns(Transposed(map)), N(map.Size()), S(uint64_t(map.SegmentCount())),
        EndRow(end.Row), EndColumn(end.Column) {}

  std::vector<TCell> Run(TCell start, std::stop_token stop) {
    const uint64_t startKey = Key(start.Row, start.Column);
    *Points.Find(startKey).first = {0, startKey, false};
    Open.push({Heuristic(start.Row, start.Column), 0, startKey});
    while (!Open.empty() && !stop.stop_requested()) {
      const TOpen top = Open.top();
      Open.pop();
      TPoint& point = *Points.Find(top.Key).first;
      if (point.Closed || top.G > point.Cost)
        continue;
      point.Closed = true;
      const int64_t r = int64_t(top.Key / N), c = int64_t(top.Key % N);
      if (r == EndRow && c == EndColumn)
        return Trace(startKey, top.Key);
      Expand(r, c, top.G, top.Key == startKey ? 0 : Direction(point.Parent, top.Key));
    }
    return {}; // stopped, or the ends lie apart (the search may start before that is known)
  }

private:
  uint64_t Key(int64_t r, int64_t c) const { return uint64_t(r) * N + uint64_t(c); }

  // The blocked cells of row r of a map of the search's size, columns 64j to 64j + 63, as bits;
  // all blocked outside the grid.
  uint64_t Word(const TPathmap& map, int64_t r, int64_t j) const {
    if (uint64_t(r) >= N || uint64_t(j) >= S) // also below 0
      return ~uint64_t{0};
    const uint64_t* words = map.Segment(int32_t(r >> 6), int32_t(j));
    return words == nullptr ? 0 : words[r & 63];
  }
  uint64_t Word(int64_t r, int64_t j) const { return Word(Map, r, j); }

  bool Free(int64_t r, int64_t c) const {
    return c >= 0 && ((Word(r, c >> 6) >> (c & 63)) & 1) == 0;
  }

  // The octile distance, exact on a grid free of walls, and so consistent.
  double Heuristic(int64_t r, int64_t c) const {
    const double dr = double(std::llabs(r - EndRow)), dc = double(std::llabs(c - EndColumn));
    return std::max(dr, dc) + (kSqrt2 - 1) * std::min(dr, dc);
  }

  // The direction from one point to the next, as 3 × (dr + 1) + (dc + 1) (never 4).
  int Direction(uint64_t from, uint64_t to) const {
    const int64_t dr = int64_t(to / N) - int64_t(from / N);
    const int64_t dc = int64_t(to % N) - int64_t(from % N);
    return 3 * (int(dr > 0) - int(dr < 0) + 1) + int(dc > 0) - int(dc < 0) + 1;
  }

  // Runs along row r of map from column c by dc (+1 or -1) to the next jump point: the end
  // (endRow, endColumn), or a cell with a forced neighbour, where the row beside is blocked and
  // the cell beyond that free. False when a blocked cell or the grid's edge comes first. A word
  // of 64 cells at a time: for dc = +1 bit t of (w >> 1) is the cell east of bit t (bit 0 of
  // the next word carried into bit 63), for dc = -1 bit t of (w << 1) the cell west of it.
  bool ScanLine(const TPathmap& map, int64_t r, int64_t& c, int dc, int64_t endRow,
                int64_t endColumn) const {
    const int64_t x = c + dc;
    if (uint64_t(x) >= N)
      return false;
    uint64_t mask = dc > 0 ? ~uint64_t{0} << (x & 63) : ~uint64_t{0} >> (63 - (x & 63));
    for (int64_t j = x >> 6; uint64_t(j) < S; j += dc, mask = ~uint64_t{0}) {
      const uint64_t here = Word(map, r, j), north = Word(map, r + 1, j),
                     south = Word(map, r - 1, j);
      const uint64_t northBeyond = dc > 0 ? (north >> 1) | (Word(map, r + 1, j + 1) << 63)
                                          : (north << 1) | (Word(map, r + 1, j - 1) >> 63);
      const uint64_t southBeyond = dc > 0 ? (south >> 1) | (Word(map, r - 1, j + 1) << 63)
                                          : (south << 1) | (Word(map, r - 1, j - 1) >> 63);
      const uint64_t end = r == endRow && endColumn >> 6 == j ? uint64_t{1} << (endColumn & 63) : 0;
      const uint64_t stop = (here | (north & ~northBeyond) | (south & ~southBeyond) | end) & mask;
      if (stop == 0)
        continue;
      const int t = dc > 0 ? std::countr_zero(stop) : 63 - std::countl_zero(stop);
      c = 64 * j + t;
      return ((here >> t) & 1) == 0;
    }
    return false;
  }

  bool ScanRow(int64_t r, int64_t& c, int dc) const {
    return ScanLine(Map, r, c, dc, EndRow, EndColumn);
  }

  // The same along column c from row r by dr: along row c of the transposed map.
  bool ScanColumn(int64_t& r, int64_t c, int dr) const {
    return ScanLine(Columns, c, r, dr, EndColumn, EndRow);
  }

  // Steps from (r, c) by (dr, dc) to the next jump point; diagonally also a cell from which a
  // straight run reaches one. False when a blocked cell or the grid's edge comes first.
  bool Jump(int64_t& r, int64_t& c, int dr, int dc) const {
    if (dr == 0)
      return ScanRow(r, c, dc);
    if (dc == 0)
      return ScanColumn(r, c, dr);
    for (;;) {
      r += dr;
      c += dc;
      if (!Free(r, c))
        return false;
      if ((r == EndRow && c == EndColumn) || (!Free(r, c - dc) && Free(r + dr, c - dc)) ||
          (!Free(r - dr, c) && Free(r - dr, c + dc)))
        return true;
      int64_t c1 = c, r1 = r;
      if (ScanRow(r, c1, dc) || ScanColumn(r1, c, dr))
        return true;
    }
  }

  // The directions a shortest path may take on from a point reached by direction d (0: the
  // start, every direction): straight on, the straight parts of a diagonal, and where a cell
  // beside the way is blocked, the turn around it.
  void Expand(int64_t r, int64_t c, double g, int d) {
    int dirs[8][2];
    int count = 0;
    const auto add = [&](int dr, int dc) { dirs[count][0] = dr, dirs[count++][1] = dc; };
    if (d == 0) {
      for (int dr = -1; dr <= 1; ++dr)
        for (int dc = -1; dc <= 1; ++dc)
          if (dr != 0 || dc != 0)
            add(dr, dc);
    } else {
      const int dr = d / 3 - 1, dc = d % 3 - 1;
      add(dr, dc);
      if (dr != 0 && dc != 0) {
        add(dr, 0);
        add(0, dc);
        if (!Free(r, c - dc))
          add(dr, -dc);
        if (!Free(r - dr, c))
          add(-dr, dc);
      } else if (dr == 0) {
        for (const int side : {1, -1})
          if (!Free(r + side, c))
            add(side, dc);
      } else {
        for (const int side : {1, -1})
          if (!Free(r, c + side))
            add(dr, side);
      }
    }
    const uint64_t from = Key(r, c);
    for (int k = 0; k < count; ++k) {
      int64_t jr = r, jc = c;
      if (!Jump(jr, jc, dirs[k][0], dirs[k][1]))
        continue;
      const double steps = double(std::max(std::llabs(jr - r), std::llabs(jc - c)));
      const double cost = g + (dirs[k][0] != 0 && dirs[k][1] != 0 ? kSqrt2 * steps : steps);
      const uint64_t key = Key(jr, jc);
      TPoint& point = *Points.Find(key).first;
      if (point.Closed || cost >= point.Cost)
        continue;
      point = {cost, from, false};
      Open.push({cost + Heuristic(jr, jc), cost, key});
    }
  }

  std::vector<TCell> Trace(uint64_t startKey, uint64_t key) {
    std::vector<TCell> path;
    for (;; key = Points.Find(key).first->Parent) {
      path.push_back({uint32_t(key / N), uint32_t(key % N)});
      if (key == startKey)
        break;
    }
    std::reverse(path.begin(), path.end());
    return path;
  }

  const TPathmap& Map;
  const TPathmap Columns; // Map transposed, for scanning its columns a word at a time
  const uint64_t N, S;
  const int64_t EndRow, EndColumn;
  TPointTable Points;
  std::priority_queue<TOpen, std::vector<TOpen>, TLater> Open;
};

} // namespace

std::vector<TCell> JumpPointPath(const TPathmap& map, TCell start, TCell end,
                                 std::stop_token stop) {
  return TJumpSearch(map, end).Run(start, stop);
}

} // namespace quarnel
