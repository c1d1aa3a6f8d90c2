// Runs of free cells in a segment's rows, joined into pieces with a small union-find.
#include "analysis/SegmentRuns.h"

#include "analysis/UnionFind.h"

#include <algorithm>
#include <bit>
#include <cassert>

namespace quarnel {

uint32_t TSegmentRuns::PieceAt(uint32_t k, uint32_t t) const {
  for (uint32_t r = RowBegin[k]; r < RowBegin[k + 1]; ++r)
    if (t <= Runs[r].End)
      return t >= Runs[r].Start ? Runs[r].Piece : kNoPiece;
  return kNoPiece;
}

namespace {

// Union-find (UnionFind.h) over the runs of one segment (at most 64 ×
// 32), joined by index; the smaller index stays the root, so a piece's root is its first run in
// row-major order.
struct TRunSets {
  std::array<uint16_t, 2048> Parent;
  uint16_t Find(uint16_t x) { return FindRoot(Parent, x); }
  void Join(uint16_t a, uint16_t b) {
    a = Find(a), b = Find(b);
    if (a != b)
      Parent[std::max(a, b)] = std::min(a, b);
  }
};

} // namespace

void LabelSegment(const uint64_t* words, bool diagonal, TSegmentRuns& out) {
  out.Runs.clear();
  out.Pieces.clear();
  TRunSets sets;
  const int ext = diagonal ? 1 : 0; // runs of neighbouring rows touch when their ranges,
                                    // widened by ext on each side, overlap
  for (uint32_t k = 0; k < 64; ++k) {
    out.RowBegin[k] = static_cast<uint16_t>(out.Runs.size());
    uint64_t free = words == nullptr ? ~uint64_t{0} : ~words[k];
    while (free != 0) {
      const int start = std::countr_zero(free);
      const int length = std::countr_one(free >> start);
      const int end = start + length - 1;
      free = end == 63 ? 0 : free & (~uint64_t{0} << (end + 1));
      const auto index = static_cast<uint16_t>(out.Runs.size());
      sets.Parent[index] = index;
      out.Runs.push_back({static_cast<uint8_t>(start), static_cast<uint8_t>(end), 0});
    }
    if (k == 0)
      continue;
    // Join with the runs of the row below, both sorted and apart by a blocked cell at least.
    uint32_t lo = out.RowBegin[k - 1];
    for (uint32_t r = out.RowBegin[k]; r < out.Runs.size(); ++r) {
      const TRun& run = out.Runs[r];
      while (lo < out.RowBegin[k] && out.Runs[lo].End + ext < run.Start)
        ++lo;
      for (uint32_t b = lo; b < out.RowBegin[k] && out.Runs[b].Start <= run.End + ext; ++b)
        sets.Join(static_cast<uint16_t>(r), static_cast<uint16_t>(b));
    }
  }
  out.RowBegin[64] = static_cast<uint16_t>(out.Runs.size());

  // A root is its piece's first run, so numbering roots in run order numbers pieces by their
  // first cell; every other run comes after its root.
  std::array<uint16_t, 2048> pieceOfRoot;
  for (uint32_t k = 0; k < 64; ++k) {
    for (uint32_t r = out.RowBegin[k]; r < out.RowBegin[k + 1]; ++r) {
      TRun& run = out.Runs[r];
      const uint16_t root = sets.Find(static_cast<uint16_t>(r));
      if (root == r) {
        pieceOfRoot[r] = static_cast<uint16_t>(out.Pieces.size());
        const auto row = static_cast<uint8_t>(k);
        out.Pieces.push_back(
            {0, static_cast<uint16_t>(64 * k + run.Start), row, row, run.Start, run.End});
      }
      assert(root <= r);
      run.Piece = pieceOfRoot[root];
      TPieceStats& piece = out.Pieces[run.Piece];
      piece.Size += run.End - run.Start + 1u;
      piece.MaxRow = static_cast<uint8_t>(k);
      piece.MinColumn = std::min(piece.MinColumn, run.Start);
      piece.MaxColumn = std::max(piece.MaxColumn, run.End);
    }
  }
}

} // namespace quarnel
