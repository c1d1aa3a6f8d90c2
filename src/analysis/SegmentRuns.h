// The free cells of one 64 by 64 segment as runs of its rows, joined into pieces.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace quarnel {

// A run: the free cells Start to End (inclusive) of one segment row, none free beside it within
// the segment, and the piece it belongs to.
struct TRun {
  uint8_t Start = 0, End = 0;
  uint16_t Piece = 0;
};

// A piece's cells within the segment: how many, the first in row-major order (row × 64 +
// column) and the rows and columns it spans.
struct TPieceStats {
  uint32_t Size = 0;
  uint16_t First = 0;
  uint8_t MinRow = 0, MaxRow = 0, MinColumn = 0, MaxColumn = 0;
};

inline constexpr uint32_t kNoPiece = UINT32_MAX;

// The runs of one segment's rows, row 0 first, and their pieces: the largest sets of the
// segment's free cells joined by steps inside the segment (to an edge neighbour, and with
// diagonal also to a corner neighbour). Pieces are numbered from 0 in the order of their first
// cell in row-major order, so the same cells always give the same numbers.
struct TSegmentRuns {
  std::array<uint16_t, 65> RowBegin{}; // the runs of row k are Runs[RowBegin[k]] to RowBegin[k+1]
  std::vector<TRun> Runs;
  std::vector<TPieceStats> Pieces;

  // The piece of the cell at row k and column t of the segment, or kNoPiece when it is blocked.
  uint32_t PieceAt(uint32_t k, uint32_t t) const;
};

// Labels the segment whose 64 words (row k in word k, column t in bit t, a set bit blocked) are
// given; null stands for a segment all free. At most 2,048 runs and pieces: the work is a few
// operations per run, never per cell.
void LabelSegment(const uint64_t* words, bool diagonal, TSegmentRuns& out);

} // namespace quarnel
