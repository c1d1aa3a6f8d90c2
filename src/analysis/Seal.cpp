// Sealing small regions.
#include "analysis/Seal.h"

#include "analysis/Regions.h"

namespace quarnel {

TSealResult SealRegions(TPathmap& map, uint64_t minSize, bool diagonal) {
  const TRegions regions = LabelRegions(map, diagonal, 0);
  std::vector<uint8_t> sealed(regions.Regions.size() + 1, 0);
  TSealResult result;
  for (size_t k = 1; k < regions.Regions.size(); ++k) // region 1, the main one, stays
    if (regions.Regions[k].Size < minSize) {
      sealed[k + 1] = 1;
      ++result.Regions;
      result.Cells += regions.Regions[k].Size;
    }
  if (result.Regions == 0)
    return result;
  // Each segment is labelled (from its words as they were) before any of its cells changes.
  TSegmentRuns runs;
  for (int32_t i = 0; i < map.SegmentCount(); ++i)
    for (int32_t j = 0; j < map.SegmentCount(); ++j) {
      const uint32_t region = regions.SegmentRegion(i, j);
      if (region != TRegions::kMixedSegment) {
        if (sealed[region])
          std::fill_n(map.WritableSegment(i, j), 64, ~uint64_t{0});
        continue;
      }
      LabelSegment(map.Segment(i, j), diagonal, runs);
      uint64_t* words = map.WritableSegment(i, j);
      for (uint32_t k = 0; k < 64; ++k)
        for (uint32_t r = runs.RowBegin[k]; r < runs.RowBegin[k + 1]; ++r)
          if (sealed[regions.PieceRegion(i, j, runs.Runs[r].Piece)]) {
            const TRun& run = runs.Runs[r];
            const uint64_t width = run.End - run.Start + 1u;
            words[k] |= (width == 64 ? ~uint64_t{0} : ((uint64_t{1} << width) - 1)) << run.Start;
          }
    }
  return result;
}

} // namespace quarnel
