// A* over the cell grid, its per-cell state kept per segment reached.
#include "analysis/PathSearch.h"

#include "analysis/JumpPointSearch.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <exception>
#include <limits>
#include <memory>
#include <stop_token>
#include <thread>

namespace quarnel {

namespace {

constexpr double kSqrt2 = 1.41421356237309504880;

// The eight steps: four along edges, then four across corners.
constexpr int kRowStep[8] = {0, 0, 1, -1, 1, 1, -1, -1};
constexpr int kColumnStep[8] = {1, -1, 0, 0, 1, -1, 1, -1};

// The search's state of the cells of one segment: the best cost found so far, and the step
// that reached the cell (1 + its index; 0 while unreached), with kClosed once the cell is
// expanded.
struct TSegmentState {
  double Cost[4096];
  uint8_t Step[4096];
};
constexpr uint8_t kClosed = 0x80;

struct TOpen {
  double F, G;
  uint32_t Row, Column;
  uint64_t Off; // twice the area between the line from start to end and the cell
};
// The queue's top is the least F; between equal F, the greatest G (the cell nearer the end);
// between equal G, the cell nearest the straight line from start to end, which keeps a search
// among many equally good cells (edge steps on open ground) from wandering.
struct TLater {
  bool operator()(const TOpen& a, const TOpen& b) const {
    return a.F != b.F ? a.F > b.F : a.G != b.G ? a.G < b.G : a.Off > b.Off;
  }
};

// The open cells, least F first. With a consistent heuristic the F of the cells taken never
// decreases, so the queue is a row of buckets 1/8 wide in F (a monotone bucket queue), each made
// a heap only when its turn comes: the heap in use stays small and in cache.
class TOpenQueue {
public:
  explicit TOpenQueue(double base) : Base(base) {}
  bool Empty() {
    while (Current < Buckets.size() && Buckets[Current].empty()) {
      std::vector<TOpen>().swap(Buckets[Current]);
      if (++Current < Buckets.size())
        std::make_heap(Buckets[Current].begin(), Buckets[Current].end(), TLater());
    }
    return Current == Buckets.size();
  }
  void Push(const TOpen& open) {
    // Rounding may put an F a hair below the bucket in use: it belongs there.
    const size_t bucket = std::max(Current, static_cast<size_t>((open.F - Base) * kBucketsPerUnit));
    if (bucket >= Buckets.size())
      Buckets.resize(bucket + 1);
    Buckets[bucket].push_back(open);
    if (bucket == Current)
      std::push_heap(Buckets[bucket].begin(), Buckets[bucket].end(), TLater());
  }
  // The queue must not be empty.
  TOpen Pop() {
    std::vector<TOpen>& heap = Buckets[Current];
    std::pop_heap(heap.begin(), heap.end(), TLater());
    const TOpen top = heap.back();
    heap.pop_back();
    return top;
  }

private:
  static constexpr double kBucketsPerUnit = 8;
  double Base;
  size_t Current = 0;
  std::vector<std::vector<TOpen>> Buckets;
};

// A* with edge steps only (P. Hart, N. Nilsson and B. Raphael, "A Formal Basis for the
// Heuristic Determination of Minimum Cost Paths", 1968).
class TSearch {
public:
  explicit TSearch(const TPathmap& map)
      : Map(map), N(map.Size()), S(uint32_t(map.SegmentCount())), States(size_t(S) * S) {}

  // The Manhattan distance: exact on a grid free of walls, and consistent, so a cell is
  // expanded once.
  double Heuristic(uint32_t row, uint32_t column, TCell end) const {
    return std::fabs(double(row) - end.Row) + std::fabs(double(column) - end.Column);
  }

  TSegmentState& State(uint32_t row, uint32_t column) {
    std::unique_ptr<TSegmentState>& state = States[size_t(row / 64) * S + column / 64];
    if (!state) {
      state = std::make_unique<TSegmentState>();
      std::fill_n(state->Cost, 4096, std::numeric_limits<double>::infinity());
      std::fill_n(state->Step, 4096, uint8_t{0});
    }
    return *state;
  }

  bool Free(int64_t row, int64_t column) const {
    if (row < 0 || column < 0 || row >= N || column >= N)
      return false;
    const uint64_t* words = Map.Segment(int32_t(row / 64), int32_t(column / 64));
    return words == nullptr || ((words[row % 64] >> (column % 64)) & 1) == 0;
  }

  // Returns the steps taken, end first.
  std::vector<uint8_t> Run(TCell start, TCell end, std::stop_token stop) {
    TOpenQueue open(Heuristic(start.Row, start.Column, end));
    State(start.Row, start.Column).Cost[Index(start.Row, start.Column)] = 0;
    open.Push({Heuristic(start.Row, start.Column, end), 0, start.Row, start.Column, 0});
    while (!open.Empty() && !stop.stop_requested()) {
      const TOpen top = open.Pop();
      TSegmentState& state = State(top.Row, top.Column);
      const uint32_t at = Index(top.Row, top.Column);
      if ((state.Step[at] & kClosed) != 0 || top.G > state.Cost[at])
        continue;
      state.Step[at] |= kClosed;
      if (top.Row == end.Row && top.Column == end.Column)
        return Trace(start, end);
      // Away from the segment's border every neighbour lies in the same segment: its words and
      // state are at hand, a neighbour's index is this one's plus a fixed offset.
      const uint32_t rowIn = top.Row % 64, columnIn = top.Column % 64;
      const bool inside = rowIn - 1 < 62 && columnIn - 1 < 62;
      const uint64_t* words = Map.Segment(int32_t(top.Row / 64), int32_t(top.Column / 64));
      for (int s = 0; s < 4; ++s) {
        const int64_t row = int64_t(top.Row) + kRowStep[s];
        const int64_t column = int64_t(top.Column) + kColumnStep[s];
        TSegmentState* next = &state;
        uint32_t k = at + uint32_t(64 * kRowStep[s] + kColumnStep[s]);
        if (inside) {
          if (words != nullptr && ((words[k / 64] >> (k % 64)) & 1) != 0)
            continue;
        } else {
          if (!Free(row, column))
            continue;
          next = &State(uint32_t(row), uint32_t(column));
          k = Index(uint32_t(row), uint32_t(column));
        }
        const double g = top.G + 1;
        if ((next->Step[k] & kClosed) != 0 || g >= next->Cost[k])
          continue;
        next->Cost[k] = g;
        next->Step[k] = uint8_t(s + 1);
        const int64_t off = (row - int64_t(start.Row)) * (int64_t(end.Column) - start.Column) -
                            (column - int64_t(start.Column)) * (int64_t(end.Row) - start.Row);
        open.Push({g + Heuristic(uint32_t(row), uint32_t(column), end), g, uint32_t(row),
                   uint32_t(column), uint64_t(off < 0 ? -off : off)});
      }
    }
    return {}; // stopped, or the ends lie apart (the search may start before that is known)
  }

private:
  static uint32_t Index(uint32_t row, uint32_t column) { return (row % 64) * 64 + column % 64; }

  std::vector<uint8_t> Trace(TCell start, TCell end) {
    std::vector<uint8_t> steps;
    TCell at = end;
    while (!(at == start)) {
      const int s = (State(at.Row, at.Column).Step[Index(at.Row, at.Column)] & ~kClosed) - 1;
      assert(s >= 0);
      steps.push_back(uint8_t(s));
      at = {uint32_t(int64_t(at.Row) - kRowStep[s]), uint32_t(int64_t(at.Column) - kColumnStep[s])};
    }
    return steps;
  }

  const TPathmap& Map;
  const int64_t N;
  const uint32_t S;
  std::vector<std::unique_ptr<TSegmentState>> States;
};

} // namespace

namespace {

// The outcome when an end lies outside the grid or is blocked (the start looked at first), or
// Found.
TPathResult CheckEnds(const TPathmap& map, TCell start, TCell end) {
  TPathResult result;
  for (const bool atStart : {true, false}) {
    const TCell cell = atStart ? start : end;
    result.AtStart = atStart;
    if (cell.Row >= map.Size() || cell.Column >= map.Size()) {
      result.Outcome = TPathOutcome::Outside;
      return result;
    }
    if (map.IsBlocked(cell.Row, cell.Column)) {
      result.Outcome = TPathOutcome::Blocked;
      return result;
    }
  }
  result.AtStart = false;
  return result;
}

// The ends' regions; Apart when they differ.
void FindRegions(const TPathmap& map, const TRegions& regions, TCell start, TCell end,
                 TPathResult& result) {
  result.StartRegion = RegionOf(map, regions, start.Row, start.Column);
  result.EndRegion = RegionOf(map, regions, end.Row, end.Column);
  result.StartRegionSize = regions.Regions[result.StartRegion - 1].Size;
  result.EndRegionSize = regions.Regions[result.EndRegion - 1].Size;
  if (result.StartRegion != result.EndRegion)
    result.Outcome = TPathOutcome::Apart;
}

// The steps of a shortest path between free ends of one region (none when stop is requested).
std::vector<uint8_t> SearchSteps(const TPathmap& map, TCell start, TCell end, bool diagonal,
                                 std::stop_token stop) {
  std::vector<uint8_t> steps;
  if (!diagonal) {
    steps = TSearch(map).Run(start, end, stop);
    std::reverse(steps.begin(), steps.end());
    return steps;
  }
  const std::vector<TCell> points = JumpPointPath(map, start, end, stop);
  for (size_t k = 1; k < points.size(); ++k) {
    const int64_t dr = int64_t(points[k].Row) - points[k - 1].Row;
    const int64_t dc = int64_t(points[k].Column) - points[k - 1].Column;
    int s = 0;
    while (kRowStep[s] != (dr > 0) - (dr < 0) || kColumnStep[s] != (dc > 0) - (dc < 0))
      ++s;
    steps.insert(steps.end(), size_t(std::max(std::llabs(dr), std::llabs(dc))), uint8_t(s));
  }
  return steps;
}

// The path's steps counted, its turning points and length.
void Walk(TCell start, const std::vector<uint8_t>& steps, TPathResult& result) {
  result.Turns.push_back(start);
  TCell at = start;
  for (size_t k = 0; k < steps.size(); ++k) {
    const int s = steps[k];
    (s < 4 ? result.EdgeSteps : result.DiagonalSteps) += 1;
    at = {uint32_t(int64_t(at.Row) + kRowStep[s]), uint32_t(int64_t(at.Column) + kColumnStep[s])};
    if (k + 1 == steps.size() || steps[k + 1] != s)
      result.Turns.push_back(at);
  }
  result.Length = double(result.EdgeSteps) + kSqrt2 * double(result.DiagonalSteps);
}

} // namespace

TPathResult FindPath(const TPathmap& map, const TRegions& regions, TCell start, TCell end) {
  TPathResult result = CheckEnds(map, start, end);
  if (result.Outcome != TPathOutcome::Found)
    return result;
  FindRegions(map, regions, start, end, result);
  if (result.Outcome == TPathOutcome::Found)
    Walk(start, SearchSteps(map, start, end, regions.Diagonal, {}), result);
  return result;
}

// The search runs on a thread of its own while the regions are labelled, and stops when they
// show the ends apart.
TPathResult FindPath(const TPathmap& map, TCell start, TCell end, bool diagonal) {
  map.CheckInitialised();
  TPathResult result = CheckEnds(map, start, end);
  if (result.Outcome != TPathOutcome::Found)
    return result;
  std::vector<uint8_t> steps;
  std::exception_ptr failure;
  std::jthread search([&](std::stop_token stop) {
    try {
      steps = SearchSteps(map, start, end, diagonal, stop);
    } catch (...) {
      failure = std::current_exception();
    }
  });
  const TRegions regions = diagonal ? LabelRegions(map, true, 0) : LabelRegionsWithoutGaps(map);
  FindRegions(map, regions, start, end, result);
  if (result.Outcome != TPathOutcome::Found)
    search.request_stop();
  search.join();
  if (failure)
    std::rethrow_exception(failure);
  if (result.Outcome == TPathOutcome::Found)
    Walk(start, steps, result);
  return result;
}

std::vector<TCell> PathCells(const TPathResult& path) {
  std::vector<TCell> cells;
  if (path.Turns.empty())
    return cells;
  cells.push_back(path.Turns[0]);
  for (size_t k = 1; k < path.Turns.size(); ++k) {
    const TCell from = path.Turns[k - 1], to = path.Turns[k];
    const int dr = to.Row > from.Row ? 1 : to.Row < from.Row ? -1 : 0;
    const int dc = to.Column > from.Column ? 1 : to.Column < from.Column ? -1 : 0;
    for (TCell at = from; !(at == to);) {
      at = {uint32_t(int64_t(at.Row) + dr), uint32_t(int64_t(at.Column) + dc)};
      cells.push_back(at);
    }
  }
  return cells;
}

} // namespace quarnel
