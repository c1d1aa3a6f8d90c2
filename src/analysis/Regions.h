// Regions of a map: the largest sets of free cells a unit can walk between, and the diagonal
// gaps between them.
#pragma once

#include "analysis/Cell.h"
#include "analysis/SegmentRuns.h"
#include "segutils/SegUtils.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quarnel {

// A unit steps from a free cell to a free cell sharing an edge with it; with diagonal steps
// also to one sharing only a corner, whatever the two cells beside that corner hold. Cells
// outside the grid are blocked.
struct TRegion {
  uint64_t Size = 0;
  TCell First; // the region's first cell in row-major order (row 0 first, then column 0 first)
  uint32_t MinRow = 0, MaxRow = 0, MinColumn = 0, MaxColumn = 0;
  bool TouchesEdge = false; // a cell in row or column 0 or Size - 1
  bool operator==(const TRegion&) const = default;
};

// Two free cells that touch only at a corner, both cells beside that corner blocked, in
// different regions of edge steps: a unit that cuts corners crosses a wall there.
struct TGap {
  TCell LowerLeft; // the lower-left cell of the 2 by 2 square (rows grow north)
  bool Rising;     // the free cells are the lower-left and upper-right ones (else the others)
  uint32_t Lower = 0, Upper = 0; // the region numbers of the lower and the upper free cell
  TCell LowerCell() const { return {LowerLeft.Row, LowerLeft.Column + (Rising ? 0u : 1u)}; }
  TCell UpperCell() const { return {LowerLeft.Row + 1, LowerLeft.Column + (Rising ? 1u : 0u)}; }
  bool operator==(const TGap&) const = default;
};

inline constexpr uint32_t kNoRegion = 0;

// The regions of one map, numbered 1, 2, ... by size, largest first, ties by their first cell
// in row-major order: region 1 is the main region.
struct TRegions {
  uint32_t Size = 0;
  bool Diagonal = false;
  uint64_t FreeCells = 0;
  std::vector<TRegion> Regions; // region number n at n - 1
  // Without diagonal steps: every diagonal gap counted, the first ones listed in row-major
  // order of their lower-left cells. With diagonal steps there are none.
  uint64_t GapCount = 0;
  std::vector<TGap> FirstGaps;

  // The number of the region a uniform segment's cells lie in: kNoRegion for one all blocked,
  // kMixedSegment for one that is neither all free nor all blocked.
  static constexpr uint32_t kMixedSegment = UINT32_MAX;
  uint32_t SegmentRegion(int32_t i, int32_t j) const;
  // For a mixed segment, the region of piece p of LabelSegment(its words, Diagonal).
  uint32_t PieceRegion(int32_t i, int32_t j, uint32_t piece) const;

  // Segment i × SegmentCount + j: its first piece's node, or kNoNode when all blocked; whether
  // it is mixed; and each node's region number.
  static constexpr uint32_t kNoNode = UINT32_MAX;
  std::vector<uint32_t> SegmentNode;
  std::vector<uint8_t> Mixed;
  std::vector<uint32_t> NodeRegion;
};

// Labels the map's regions. A uniform segment is one unit of work and a mixed one a few
// operations per run of free cells; pieces of segments are joined across segment borders with
// union-find. Memory: a few words per segment and about 40 bytes per piece, never a label per
// cell. Lists at most gapLimit gaps. Raises "Pathmap not initialised" for a map without size,
// and std::bad_alloc when the pieces do not fit in memory (a map of 4.3 billion cells cut
// into pieces of a few cells each).
TRegions LabelRegions(const TPathmap& map, bool diagonal, size_t gapLimit = 20);

// The regions of edge steps alone, without looking for gaps (GapCount 0).
TRegions LabelRegionsWithoutGaps(const TPathmap& map);

// LabelRegionsWithoutGaps of two maps at once, segment by segment, each mixed segment of b whose
// words are those of a's segment in its place taken from a's labels: of two versions of a map,
// the second costs little more than joining its pieces.
std::array<TRegions, 2> LabelTwinRegions(const TPathmap& a, const TPathmap& b);

// The region of a cell (kNoRegion when it is blocked or outside the grid). map must be the map
// labelled; each call relabels the cell's segment when it is mixed.
uint32_t RegionOf(const TPathmap& map, const TRegions& regions, uint32_t row, uint32_t column);

// The region number of every cell of segment row i (rows 64i to 64i + 63): cell (64i + k, c)
// at cells[k × Size + c]. For pictures and tests, which
// look at every cell anyway.
void RegionRows(const TPathmap& map, const TRegions& regions, int32_t i,
                std::vector<uint32_t>& cells);

} // namespace quarnel
