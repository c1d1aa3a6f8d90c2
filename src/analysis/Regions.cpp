// Labelling regions segment by segment, joined across segment borders with union-find.
#include "analysis/Regions.h"

#include "analysis/UnionFind.h"

#include <algorithm>
#include <cassert>

namespace quarnel {

namespace {

// Free cells of one row (or one column) of the grid at a segment border: cells Start to End
// (inclusive, in grid coordinates along the border) of one node. A list of them is sorted;
// neighbouring entries may touch, since a segment's entries end at its border.
struct TBorderRun {
  uint32_t Start = 0, End = 0;
  uint32_t Node = 0;
};
using TBorder = std::vector<TBorderRun>;

struct TNodeStats {
  uint64_t Size = 0;
  uint64_t First = 0; // row × Size + column
  uint32_t MinRow = 0, MaxRow = 0, MinColumn = 0, MaxColumn = 0;
};

// A candidate gap: its square's lower-left cell (row × Size + column) and the nodes of its two
// free cells, lower first.
struct TCandidate {
  uint64_t Square = 0;
  uint32_t Lower = 0, Upper = 0;
};

// Calls f(end, start, c) for every c at which the cells of `ends` stop (c free, c + 1 not) while
// those of `starts` begin (c not free, c + 1 free).
template <typename TList, typename F>
void MatchEndsToStarts(const TList& ends, size_t endsBegin, size_t endsEnd, const TList& starts,
                       size_t startsBegin, size_t startsEnd, F f) {
  size_t s = startsBegin;
  for (size_t e = endsBegin; e < endsEnd; ++e) {
    const uint64_t c = ends[e].End;
    if (e + 1 < endsEnd && ends[e + 1].Start == c + 1)
      continue; // free on at c + 1
    while (s < startsEnd && starts[s].Start < c + 1)
      ++s;
    if (s == startsEnd)
      return;
    if (starts[s].Start == c + 1 && (s == startsBegin || starts[s - 1].End != c))
      f(ends[e], starts[s], c);
  }
}

// Connected-component labelling in one pass over the segments, runs and uniform segments as
// the units, their labels merged through equivalences (A. Rosenfeld and J. Pfaltz, "Sequential
// Operations in Digital Picture Processing", J. ACM 13, 1966) kept in a union-find forest with
// union by size and path halving (R. E. Tarjan and J. van Leeuwen, "Worst-case Analysis of Set
// Union Algorithms", J. ACM 31, 1984).
class TLabeller {
public:
  // With a twin, a labeller of a map of the same size run in step with this one, a mixed
  // segment whose words are those of the segment the twin labelled last takes its labels.
  TLabeller(const TPathmap& map, bool diagonal, bool gaps, const TLabeller* twin = nullptr)
      : Map(map), Diagonal(diagonal), Gaps(gaps && !diagonal), N(map.Size()), S(map.SegmentCount()),
        Twin(twin) {
    assert(twin == nullptr || (twin->Diagonal == diagonal && twin->S == S));
  }

  TRegions Run(size_t gapLimit);
  // Run in steps: Start, Step for each segment in row-major order, Finish.
  void Start();
  void Step(int32_t i, int32_t j);
  TRegions Finish(size_t gapLimit);

private:
  uint32_t NewNode(const TNodeStats& stats) {
    Parent.push_back(static_cast<uint32_t>(Parent.size()));
    Stats.push_back(stats);
    return static_cast<uint32_t>(Parent.size() - 1);
  }
  uint32_t Find(uint32_t x) { return FindRoot(Parent, x); }
  // Union by size (in cells); the root keeps the merged statistics.
  void Join(uint32_t a, uint32_t b) {
    a = Find(a), b = Find(b);
    if (a == b)
      return;
    if (Stats[a].Size < Stats[b].Size)
      std::swap(a, b);
    Parent[b] = a;
    TNodeStats& to = Stats[a];
    const TNodeStats& from = Stats[b];
    to.Size += from.Size;
    to.First = std::min(to.First, from.First);
    to.MinRow = std::min(to.MinRow, from.MinRow);
    to.MaxRow = std::max(to.MaxRow, from.MaxRow);
    to.MinColumn = std::min(to.MinColumn, from.MinColumn);
    to.MaxColumn = std::max(to.MaxColumn, from.MaxColumn);
  }
  // Joins the entries of two neighbouring border lines (cells of one touching cells of the
  // other across the border, or at a corner with diagonal steps).
  void JoinAcross(const TBorder& a, const TBorder& b) {
    const uint32_t ext = Diagonal ? 1 : 0;
    size_t lo = 0;
    for (const TBorderRun& run : a) {
      while (lo < b.size() && b[lo].End + ext < run.Start)
        ++lo;
      for (size_t k = lo; k < b.size() && b[k].Start <= run.End + ext; ++k)
        Join(run.Node, b[k].Node);
    }
  }
  void AddCandidate(uint64_t square, uint32_t lower, uint32_t upper) {
    if (Find(lower) != Find(upper))
      Candidates.push_back({square, lower, upper});
  }
  // Gaps whose squares straddle a border between the lines a (west or south) and b (east or
  // north); key(c) is the square's lower-left cell for the position c along the border. Along
  // a column line the entry that ends at c holds the lower free cell; along a row line, a does.
  template <typename Key>
  void GapsAcross(const TBorder& a, const TBorder& b, bool alongRows, Key key) {
    const auto add = [&](const TBorderRun& aRun, const TBorderRun& bRun, bool aEnds, uint64_t c) {
      const bool aLower = alongRows ? aEnds : true;
      AddCandidate(key(c), aLower ? aRun.Node : bRun.Node, aLower ? bRun.Node : aRun.Node);
    };
    MatchEndsToStarts(
        a, 0, a.size(), b, 0, b.size(),
        [&](const TBorderRun& x, const TBorderRun& y, uint64_t c) { add(x, y, true, c); });
    MatchEndsToStarts(
        b, 0, b.size(), a, 0, a.size(),
        [&](const TBorderRun& y, const TBorderRun& x, uint64_t c) { add(x, y, false, c); });
  }
  void Segment(int32_t i, int32_t j);
  void MixedSegment(int32_t i, int32_t j, const uint64_t* words);

  const TPathmap& Map;
  const bool Diagonal;
  const bool Gaps; // whether diagonal gaps are looked for
  const uint32_t N;
  const int32_t S;
  const TLabeller* Twin; // or null
  std::vector<uint32_t> Parent;
  std::vector<TNodeStats> Stats;
  std::vector<TCandidate> Candidates;
  TRegions Result;
  TSegmentRuns Labelled;                   // the labels of the last mixed segment labelled here
  const uint64_t* LabelledWords = nullptr; // and its words
  // Row 64i - 1 and rows 64i and 64i + 63 of the segment row in work, all columns.
  TBorder Below, Bottom, Top;
  // Column 64j - 1 of the segment to the west and columns 64j and 64j + 63 of the segment in
  // work, along rows 64i to 64i + 63.
  TBorder West, Left, Right;
};

void TLabeller::Start() {
  Map.CheckInitialised();
  Result.Size = N;
  Result.Diagonal = Diagonal;
  const size_t segments = size_t(S) * size_t(S);
  Result.SegmentNode.assign(segments, TRegions::kNoNode);
  Result.Mixed.assign(segments, 0);
}

void TLabeller::Step(int32_t i, int32_t j) {
  if (j == 0)
    Bottom.clear(), Top.clear(), West.clear();
  Left.clear(), Right.clear();
  Segment(i, j);
  JoinAcross(West, Left);
  if (Gaps)
    GapsAcross(West, Left, true, [&](uint64_t row) { return row * N + 64 * j - 1; });
  std::swap(West, Right);
  if (j + 1 < S)
    return;
  // The segment row is done: join it to the one below.
  if (i > 0) {
    JoinAcross(Below, Bottom);
    if (Gaps)
      GapsAcross(Below, Bottom, false, [&](uint64_t c) { return (64 * uint64_t(i) - 1) * N + c; });
  }
  std::swap(Below, Top);
}

TRegions TLabeller::Run(size_t gapLimit) {
  Start();
  for (int32_t i = 0; i < S; ++i)
    for (int32_t j = 0; j < S; ++j)
      Step(i, j);
  return Finish(gapLimit);
}

void TLabeller::Segment(int32_t i, int32_t j) {
  const uint64_t* words = Map.Segment(i, j);
  if (words != nullptr) {
    uint64_t all = ~uint64_t{0}, any = 0;
    for (int k = 0; k < 64; ++k)
      all &= words[k], any |= words[k];
    if (all == ~uint64_t{0})
      return; // all blocked: no node, nothing on the border lines
    if (any != 0)
      return MixedSegment(i, j, words);
  }
  const uint32_t r0 = 64 * uint32_t(i), c0 = 64 * uint32_t(j);
  const size_t index = size_t(i) * S + j;
  const bool westFree =
      j > 0 && !Result.Mixed[index - 1] && Result.SegmentNode[index - 1] != TRegions::kNoNode;
  uint32_t node;
  if (westFree) {
    // A row of free segments is one node: the one of the segment to the west grows east by
    // 64 columns (its root holds the statistics; the first cell stays).
    node = Result.SegmentNode[index - 1];
    TNodeStats& stats = Stats[Find(node)];
    stats.Size += 4096;
    stats.MaxRow = std::max(stats.MaxRow, r0 + 63);
    stats.MaxColumn = std::max(stats.MaxColumn, c0 + 63);
    assert(Bottom.back().Node == node && Top.back().Node == node);
    Bottom.back().End = Top.back().End = c0 + 63;
  } else {
    node = NewNode({4096, uint64_t(r0) * N + c0, r0, r0 + 63, c0, c0 + 63});
    Bottom.push_back({c0, c0 + 63, node});
    Top.push_back({c0, c0 + 63, node});
  }
  Result.SegmentNode[index] = node;
  Left.push_back({r0, r0 + 63, node});
  Right.push_back({r0, r0 + 63, node});
}

void TLabeller::MixedSegment(int32_t i, int32_t j, const uint64_t* words) {
  // Labels depend on the words alone; the twin's last ones are those of this segment in the
  // twin's map when the map is a version of it.
  const bool shared = Twin != nullptr && Twin->LabelledWords != nullptr &&
                      std::equal(words, words + 64, Twin->LabelledWords);
  if (!shared) {
    LabelSegment(words, Diagonal, Labelled);
    LabelledWords = words;
  }
  const TSegmentRuns& Runs = shared ? Twin->Labelled : Labelled;
  const uint32_t r0 = 64 * uint32_t(i), c0 = 64 * uint32_t(j);
  const auto base = static_cast<uint32_t>(Parent.size());
  Result.SegmentNode[size_t(i) * S + j] = base;
  Result.Mixed[size_t(i) * S + j] = 1;
  for (const TPieceStats& p : Runs.Pieces)
    NewNode({p.Size, uint64_t(r0 + p.First / 64u) * N + c0 + p.First % 64u, r0 + p.MinRow,
             r0 + p.MaxRow, c0 + p.MinColumn, c0 + p.MaxColumn});
  // Rows 0 and 63 on the lines of the segment row, each run with its piece.
  for (uint32_t r = Runs.RowBegin[0]; r < Runs.RowBegin[1]; ++r)
    Bottom.push_back({c0 + Runs.Runs[r].Start, c0 + Runs.Runs[r].End, base + Runs.Runs[r].Piece});
  for (uint32_t r = Runs.RowBegin[63]; r < Runs.RowBegin[64]; ++r)
    Top.push_back({c0 + Runs.Runs[r].Start, c0 + Runs.Runs[r].End, base + Runs.Runs[r].Piece});
  // The free cells of columns 0 and 63 along the rows; consecutive ones share a piece.
  for (uint32_t k = 0; k < 64; ++k) {
    const uint32_t first = Runs.RowBegin[k], last = Runs.RowBegin[k + 1];
    if (first == last)
      continue;
    const auto extend = [&](TBorder& line, const TRun& run) {
      if (!line.empty() && line.back().End + 1 == r0 + k) {
        assert(line.back().Node == base + run.Piece);
        line.back().End = r0 + k;
      } else {
        line.push_back({r0 + k, r0 + k, base + run.Piece});
      }
    };
    if (Runs.Runs[first].Start == 0)
      extend(Left, Runs.Runs[first]);
    if (Runs.Runs[last - 1].End == 63)
      extend(Right, Runs.Runs[last - 1]);
  }
  if (!Gaps)
    return;
  // Gaps inside the segment: rows k and k + 1, columns c and c + 1 < 64.
  for (uint32_t k = 0; k + 1 < 64; ++k) {
    const uint32_t a0 = Runs.RowBegin[k], a1 = Runs.RowBegin[k + 1], b1 = Runs.RowBegin[k + 2];
    const auto square = [&](uint64_t c) { return uint64_t(r0 + k) * N + c0 + c; };
    MatchEndsToStarts(Runs.Runs, a0, a1, Runs.Runs, a1, b1,
                      [&](const TRun& lo, const TRun& hi, uint64_t c) {
                        if (lo.Piece != hi.Piece)
                          AddCandidate(square(c), base + lo.Piece, base + hi.Piece);
                      });
    MatchEndsToStarts(Runs.Runs, a1, b1, Runs.Runs, a0, a1,
                      [&](const TRun& hi, const TRun& lo, uint64_t c) {
                        if (lo.Piece != hi.Piece)
                          AddCandidate(square(c), base + lo.Piece, base + hi.Piece);
                      });
  }
}

TRegions TLabeller::Finish(size_t gapLimit) {
  struct TRoot {
    uint64_t Size, First;
    uint32_t Node;
  };
  std::vector<TRoot> order;
  for (uint32_t n = 0; n < Parent.size(); ++n)
    if (Find(n) == n)
      order.push_back({Stats[n].Size, Stats[n].First, n});
  std::sort(order.begin(), order.end(), [](const TRoot& a, const TRoot& b) {
    return a.Size != b.Size ? a.Size > b.Size : a.First < b.First;
  });
  std::vector<uint32_t>& regionOf = Result.NodeRegion;
  regionOf.assign(Parent.size(), kNoRegion);
  Result.Regions.reserve(order.size());
  for (const auto& [size, first, root] : order) {
    const TNodeStats& s = Stats[root];
    regionOf[root] = static_cast<uint32_t>(Result.Regions.size() + 1);
    Result.FreeCells += s.Size;
    Result.Regions.push_back(
        {s.Size,
         {static_cast<uint32_t>(s.First / N), static_cast<uint32_t>(s.First % N)},
         s.MinRow,
         s.MaxRow,
         s.MinColumn,
         s.MaxColumn,
         s.MinRow == 0 || s.MinColumn == 0 || s.MaxRow == N - 1 || s.MaxColumn == N - 1});
  }
  for (uint32_t n = 0; n < Parent.size(); ++n)
    regionOf[n] = regionOf[Find(n)];
  std::vector<TCandidate> gaps;
  for (const TCandidate& c : Candidates)
    if (regionOf[c.Lower] != regionOf[c.Upper])
      gaps.push_back(c);
  Result.GapCount = gaps.size();
  const size_t listed = std::min(gapLimit, gaps.size());
  std::partial_sort(gaps.begin(), gaps.begin() + static_cast<std::ptrdiff_t>(listed), gaps.end(),
                    [](const TCandidate& a, const TCandidate& b) { return a.Square < b.Square; });
  for (size_t k = 0; k < listed; ++k) {
    const TCell square{static_cast<uint32_t>(gaps[k].Square / N),
                       static_cast<uint32_t>(gaps[k].Square % N)};
    const bool rising = !Map.IsBlocked(square.Row, square.Column);
    Result.FirstGaps.push_back({square, rising, regionOf[gaps[k].Lower], regionOf[gaps[k].Upper]});
  }
  return std::move(Result);
}

} // namespace

TRegions LabelRegions(const TPathmap& map, bool diagonal, size_t gapLimit) {
  return TLabeller(map, diagonal, true).Run(gapLimit);
}

TRegions LabelRegionsWithoutGaps(const TPathmap& map) {
  return TLabeller(map, false, false).Run(0);
}

std::array<TRegions, 2> LabelTwinRegions(const TPathmap& a, const TPathmap& b) {
  if (a.Size() != b.Size())
    return {LabelRegionsWithoutGaps(a), LabelRegionsWithoutGaps(b)};
  TLabeller first(a, false, false), second(b, false, false, &first);
  first.Start(), second.Start();
  for (int32_t i = 0; i < a.SegmentCount(); ++i)
    for (int32_t j = 0; j < a.SegmentCount(); ++j)
      first.Step(i, j), second.Step(i, j);
  return {first.Finish(0), second.Finish(0)};
}

uint32_t TRegions::SegmentRegion(int32_t i, int32_t j) const {
  const size_t index = size_t(i) * (Size / 64) + size_t(j);
  if (Mixed[index])
    return kMixedSegment;
  return SegmentNode[index] == kNoNode ? kNoRegion : NodeRegion[SegmentNode[index]];
}

uint32_t TRegions::PieceRegion(int32_t i, int32_t j, uint32_t piece) const {
  return NodeRegion[SegmentNode[size_t(i) * (Size / 64) + size_t(j)] + piece];
}

uint32_t RegionOf(const TPathmap& map, const TRegions& regions, uint32_t row, uint32_t column) {
  if (row >= regions.Size || column >= regions.Size)
    return kNoRegion;
  const auto i = static_cast<int32_t>(row / 64), j = static_cast<int32_t>(column / 64);
  const uint32_t region = regions.SegmentRegion(i, j);
  if (region != TRegions::kMixedSegment)
    return region;
  TSegmentRuns runs;
  LabelSegment(map.Segment(i, j), regions.Diagonal, runs);
  const uint32_t piece = runs.PieceAt(row % 64, column % 64);
  return piece == kNoPiece ? kNoRegion : regions.PieceRegion(i, j, piece);
}

void RegionRows(const TPathmap& map, const TRegions& regions, int32_t i,
                std::vector<uint32_t>& cells) {
  const uint32_t n = regions.Size;
  cells.assign(size_t{64} * n, kNoRegion);
  TSegmentRuns runs;
  for (int32_t j = 0; j < map.SegmentCount(); ++j) {
    uint32_t* at = cells.data() + 64 * size_t(j);
    const uint32_t region = regions.SegmentRegion(i, j);
    if (region != TRegions::kMixedSegment) {
      for (size_t k = 0; k < 64; ++k)
        std::fill_n(at + k * n, 64, region);
      continue;
    }
    LabelSegment(map.Segment(i, j), regions.Diagonal, runs);
    for (size_t k = 0; k < 64; ++k)
      for (uint32_t r = runs.RowBegin[k]; r < runs.RowBegin[k + 1]; ++r)
        std::fill(at + k * n + runs.Runs[r].Start, at + k * n + runs.Runs[r].End + 1,
                  regions.PieceRegion(i, j, runs.Runs[r].Piece));
  }
}

} // namespace quarnel
