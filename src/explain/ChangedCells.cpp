// Changed cells put down to the changes whose covers differ there, and the regions they made.
#include "explain/ChangedCells.h"

#include "analysis/SegmentRuns.h"

#include <algorithm>
#include <array>
#include <bit>
#include <map>
#include <set>
#include <unordered_map>
#include <utility>

namespace quarnel {

namespace {

// The changes whose covers may hold a cell, by segment.
class TCoverIndex {
public:
  explicit TCoverIndex(const std::vector<TChangeCover>& covers, int32_t segments) : S(segments) {
    for (uint32_t c = 0; c < covers.size(); ++c)
      for (const TObjectCover* cover : {&covers[c].Before, &covers[c].After})
        if (cover->Rows > 0)
          for (uint32_t i = cover->Row0 / 64; i <= (cover->Row0 + cover->Rows - 1) / 64; ++i)
            for (uint32_t j = cover->Column0 / 64; j <= (cover->Column0 + cover->Columns - 1) / 64;
                 ++j) {
              std::vector<uint32_t>& list = Buckets[i * size_t(S) + j];
              if (list.empty() || list.back() != c)
                list.push_back(c);
            }
  }
  const std::vector<uint32_t>& At(uint32_t row, uint32_t column) const {
    static const std::vector<uint32_t> kNone;
    const auto at = Buckets.find(row / 64 * size_t(S) + column / 64);
    return at == Buckets.end() ? kNone : at->second;
  }

private:
  int32_t S;
  std::unordered_map<size_t, std::vector<uint32_t>> Buckets;
};

// The region numbers of a map's cells, each mixed segment labelled once when first asked.
class TRegionLookup {
public:
  TRegionLookup(const TPathmap& map, TRegions&& regions) : Map(map), Regions(std::move(regions)) {}
  const TRegions& All() const { return Regions; }
  uint32_t At(int64_t row, int64_t column) {
    if (row < 0 || column < 0 || row >= Map.Size() || column >= Map.Size())
      return kNoRegion;
    const auto i = static_cast<int32_t>(row / 64), j = static_cast<int32_t>(column / 64);
    const uint32_t region = Regions.SegmentRegion(i, j);
    if (region != TRegions::kMixedSegment)
      return region;
    const size_t index = size_t(i) * size_t(Map.SegmentCount()) + size_t(j);
    auto [at, added] = Labels.try_emplace(index);
    if (added)
      LabelSegment(Map.Segment(i, j), false, at->second);
    const uint32_t piece = at->second.PieceAt(uint32_t(row % 64), uint32_t(column % 64));
    return piece == kNoPiece ? kNoRegion : Regions.PieceRegion(i, j, piece);
  }

private:
  const TPathmap& Map;
  TRegions Regions;
  std::unordered_map<size_t, TSegmentRuns> Labels;
};

bool Enclosed(const TPathmap& map, uint32_t row, uint32_t column) {
  return map.IsBlocked(row, column - 1) && map.IsBlocked(row, column + 1) &&
         map.IsBlocked(row - 1, column) && map.IsBlocked(row + 1, column);
}

void FindCauses(const TPathmap& before, const TPathmap& after, size_t k,
                const std::vector<TChangeCover>& covers, TClassChanges& out) {
  const TCoverIndex index(covers, before.SegmentCount());
  for (uint32_t r = 0; r < before.Size(); ++r) {
    const auto rowBefore = before.Row(r), rowAfter = after.Row(r);
    for (uint32_t j = 0; j < static_cast<uint32_t>(before.SegmentCount()); ++j)
      for (uint64_t w = rowBefore[j] ^ rowAfter[j]; w != 0; w &= w - 1) {
        const uint32_t c = 64 * j + static_cast<uint32_t>(std::countr_zero(w));
        const bool blocked = after.IsBlocked(r, c);
        out.Cells.push_back({r, c});
        out.Blocked.push_back(blocked);
        (blocked ? out.NewlyBlocked : out.NewlyFree) += 1;
        const size_t first = out.Causes.size();
        for (const uint32_t change : index.At(r, c))
          if (covers[change].Before.Covers(k, r, c) != covers[change].After.Covers(k, r, c))
            out.Causes.push_back(change);
        if (out.Causes.size() == first) {
          if (Enclosed(blocked ? after : before, r, c))
            out.Causes.push_back(kHoleFilling);
          else
            out.Unaccounted.push_back({r, c});
        }
        out.CauseBegin.push_back(static_cast<uint32_t>(out.Causes.size()));
      }
  }
}

// The regions after other than the main one that touch a changed cell (hold it or lie beside
// it) and had no twin before: one that holds a newly free cell, or whose first cell's region
// before had another size.
void FindNewRegions(const TPathmap& before, const TPathmap& after,
                    std::array<TRegions, 2>&& labelled, TClassChanges& out) {
  TRegionLookup regionsBefore(before, std::move(labelled[0]));
  TRegionLookup regionsAfter(after, std::move(labelled[1]));
  out.RegionsBefore = regionsBefore.All().Regions.size();
  out.RegionsAfter = regionsAfter.All().Regions.size();
  out.MainBefore = out.RegionsBefore > 0 ? regionsBefore.All().Regions[0].Size : 0;
  out.MainAfter = out.RegionsAfter > 0 ? regionsAfter.All().Regions[0].Size : 0;
  std::map<uint32_t, std::set<uint32_t>> touching; // region after, the changes beside it
  std::set<uint32_t> holdsNewlyFree;
  constexpr int kSteps[5][2] = {{0, 0}, {0, -1}, {0, 1}, {-1, 0}, {1, 0}};
  for (size_t i = 0; i < out.Cells.size(); ++i) {
    const TCell cell = out.Cells[i];
    for (const auto& step : kSteps) {
      const uint32_t region =
          regionsAfter.At(int64_t{cell.Row} + step[0], int64_t{cell.Column} + step[1]);
      if (region == kNoRegion || region == 1)
        continue;
      std::set<uint32_t>& changes = touching[region];
      for (uint32_t k = out.CauseBegin[i]; k < out.CauseBegin[i + 1]; ++k)
        if (out.Causes[k] != kHoleFilling)
          changes.insert(out.Causes[k]);
      if (step[0] == 0 && step[1] == 0)
        holdsNewlyFree.insert(region);
    }
  }
  const std::vector<TRegion>& regions = regionsAfter.All().Regions;
  for (const auto& [number, changes] : touching) {
    const TRegion& region = regions[number - 1];
    const uint32_t twin = regionsBefore.At(region.First.Row, region.First.Column);
    if (holdsNewlyFree.count(number) == 0 && twin != kNoRegion &&
        regionsBefore.All().Regions[twin - 1].Size == region.Size)
      continue;
    out.NewRegions.push_back({number, region, {changes.begin(), changes.end()}});
  }
}

} // namespace

TClassChanges CompareClass(const TPathmap& before, const TPathmap& after, size_t k,
                           const std::vector<TChangeCover>& covers,
                           std::array<TRegions, 2>&& regions) {
  TClassChanges out;
  FindCauses(before, after, k, covers, out);
  FindNewRegions(before, after, std::move(regions), out);
  return out;
}

} // namespace quarnel
