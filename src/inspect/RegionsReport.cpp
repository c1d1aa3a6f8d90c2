// The region table as text and JSON, and the picture of the regions.
#include "inspect/RegionsReport.h"

#include "common/TextEncoding.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <set>
#include <sstream>

namespace quarnel {

namespace {

std::string Share(uint64_t part, uint64_t whole) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f%%",
                whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole));
  return text;
}

std::string CellText(TCell cell) {
  return "(" + std::to_string(cell.Row) + ", " + std::to_string(cell.Column) + ")";
}

// A region's first cell, rows, columns and edge contact.
std::string PlaceText(const TRegion& region) {
  return "first cell " + CellText(region.First) + ", rows " + std::to_string(region.MinRow) +
         " to " + std::to_string(region.MaxRow) + ", columns " + std::to_string(region.MinColumn) +
         " to " + std::to_string(region.MaxColumn) +
         (region.TouchesEdge ? ", touches the edge" : ", inside");
}

// The other regions beyond the first limit: how many and their cells.
std::pair<uint64_t, uint64_t> Rest(const TRegions& regions, size_t limit) {
  uint64_t count = 0, cells = 0;
  for (size_t k = 1 + limit; k < regions.Regions.size(); ++k)
    ++count, cells += regions.Regions[k].Size;
  return {count, cells};
}

uint64_t OutsideMain(const TRegions& regions) {
  return regions.Regions.empty() ? 0 : regions.FreeCells - regions.Regions[0].Size;
}

} // namespace

void PrintRegionsText(std::ostream& out, const std::string& name, const TRegions& regions,
                      size_t limit) {
  const uint64_t cells = uint64_t{regions.Size} * regions.Size;
  out << "Map: " << name << "\n"
      << "Steps: " << (regions.Diagonal ? "to edge and corner neighbours" : "to edge neighbours")
      << "\n"
      << "Free cells: " << regions.FreeCells << " of " << cells << "\n"
      << "Regions: " << regions.Regions.size() << "\n";
  if (regions.Regions.empty()) {
    out << "Main region: none\n";
  } else {
    const TRegion& main = regions.Regions[0];
    out << "Main region: " << main.Size << " cells (" << Share(main.Size, regions.FreeCells)
        << " of the free cells), " << PlaceText(main) << "\n";
  }
  if (regions.Regions.size() > 1) {
    out << "Other regions, largest first:\n";
    for (size_t k = 1; k < regions.Regions.size() && k <= limit; ++k)
      out << "  " << k + 1 << ": " << regions.Regions[k].Size << " cells, "
          << PlaceText(regions.Regions[k]) << "\n";
    const auto [more, moreCells] = Rest(regions, limit);
    if (more > 0)
      out << "  and " << more << " more, of " << moreCells << " cells in all\n";
  }
  out << "Free cells outside the main region: " << OutsideMain(regions) << "\n";
  if (regions.Diagonal)
    return;
  out << "Diagonal gaps: " << regions.GapCount << "\n";
  for (const TGap& gap : regions.FirstGaps)
    out << "  " << CellText(gap.LowerCell()) << " and " << CellText(gap.UpperCell()) << ": regions "
        << gap.Lower << " and " << gap.Upper << "\n";
  if (regions.GapCount > regions.FirstGaps.size())
    out << "  and " << regions.GapCount - regions.FirstGaps.size() << " more\n";
}

namespace {

nlohmann::ordered_json CellJson(TCell cell) {
  return {{"row", cell.Row}, {"column", cell.Column}};
}

nlohmann::ordered_json RegionJson(size_t number, const TRegion& region) {
  return {{"number", number},
          {"cells", region.Size},
          {"first", CellJson(region.First)},
          {"rows", {region.MinRow, region.MaxRow}},
          {"columns", {region.MinColumn, region.MaxColumn}},
          {"touchesEdge", region.TouchesEdge}};
}

} // namespace

std::string RegionsJson(const std::string& name, const TRegions& regions, size_t limit) {
  nlohmann::ordered_json doc;
  doc["map"] = Utf8FromSystemText(name);
  doc["size"] = regions.Size;
  doc["diagonal"] = regions.Diagonal;
  doc["freeCells"] = regions.FreeCells;
  doc["regions"] = regions.Regions.size();
  doc["main"] = nullptr;
  if (!regions.Regions.empty()) {
    nlohmann::ordered_json main = RegionJson(1, regions.Regions[0]);
    main["share"] = regions.FreeCells == 0 ? 0.0
                                           : static_cast<double>(regions.Regions[0].Size) /
                                                 static_cast<double>(regions.FreeCells);
    doc["main"] = main;
  }
  doc["others"] = nlohmann::ordered_json::array();
  for (size_t k = 1; k < regions.Regions.size() && k <= limit; ++k)
    doc["others"].push_back(RegionJson(k + 1, regions.Regions[k]));
  const auto [more, moreCells] = Rest(regions, limit);
  doc["more"] = {{"regions", more}, {"cells", moreCells}};
  doc["cellsOutsideMain"] = OutsideMain(regions);
  if (!regions.Diagonal) {
    nlohmann::ordered_json gaps = nlohmann::ordered_json::array();
    for (const TGap& gap : regions.FirstGaps)
      gaps.push_back({{"cells", {CellJson(gap.LowerCell()), CellJson(gap.UpperCell())}},
                      {"regions", {gap.Lower, gap.Upper}}});
    doc["gaps"] = {{"count", regions.GapCount}, {"first", gaps}};
  }
  return doc.dump();
}

namespace {

// Calls f(row, cells) for each segment row with the region numbers of two rows below it and
// its own 64: cell (64i - 2 + k, c) at cells[k × Size + c], the rows below the grid all 0.
template <typename F> void ForEachBand(const TPathmap& map, const TRegions& regions, F f) {
  const size_t n = regions.Size;
  std::vector<uint32_t> band(66 * n, kNoRegion), rows;
  for (int32_t i = 0; i < map.SegmentCount(); ++i) {
    std::copy(band.end() - static_cast<std::ptrdiff_t>(2 * n), band.end(), band.begin());
    RegionRows(map, regions, i, rows);
    std::copy(rows.begin(), rows.end(), band.begin() + static_cast<std::ptrdiff_t>(2 * n));
    f(i, band);
  }
}

} // namespace

std::vector<TRgb> RegionColours(const TPathmap& map, const TRegions& regions) {
  const size_t count = regions.Regions.size();
  std::vector<std::set<uint32_t>> neighbours(count + 1);
  const int64_t n = regions.Size;
  ForEachBand(map, regions, [&](int32_t, const std::vector<uint32_t>& band) {
    // Each pair of cells at most two rows and columns apart is looked at once, from the lower
    // (or, in one row, the western) cell, for the 64 rows of the segment row.
    for (int64_t k = 0; k < 66; ++k)
      for (int64_t c = 0; c < n; ++c) {
        const uint32_t a = band[size_t(k * n + c)];
        if (a == kNoRegion)
          continue;
        for (int64_t dr = 0; dr <= 2; ++dr)
          for (int64_t dc = dr == 0 ? 1 : -2; dc <= 2; ++dc) {
            const int64_t r = k + dr, col = c + dc;
            if (r < 2 || r >= 66 || col < 0 || col >= n) // r < 2: seen in the band below
              continue;
            const uint32_t b = band[size_t(r * n + col)];
            if (b != kNoRegion && b != a) {
              neighbours[a].insert(b);
              neighbours[b].insert(a);
            }
          }
      }
  });
  std::vector<TRgb> colour(count + 1, colours::Free);
  std::vector<int> index(count + 1, -1);
  const size_t size = colours::RegionPalette.size();
  for (size_t region = 2; region <= count; ++region) {
    std::vector<bool> taken(size, false);
    for (uint32_t other : neighbours[region])
      if (other != 1 && index[other] >= 0)
        taken[size_t(index[other])] = true;
    const auto free = std::find(taken.begin(), taken.end(), false);
    index[region] =
        static_cast<int>(free == taken.end() ? (region - 2) % size : size_t(free - taken.begin()));
    colour[region] = colours::RegionPalette[size_t(index[region])];
  }
  return colour;
}

TImage RenderRegions(const TPathmap& map, const TRegions& regions, uint32_t scale) {
  const std::vector<TRgb> colour = RegionColours(map, regions);
  const uint32_t side = PictureSide(map.Size(), scale);
  TImage image(side, side);
  std::fill(image.Pixels.begin(), image.Pixels.end(), uint8_t{255});
  std::vector<uint32_t> rows;
  const size_t n = regions.Size;
  for (int32_t i = 0; i < map.SegmentCount(); ++i) {
    RegionRows(map, regions, i, rows);
    for (uint32_t k = 0; k < 64; ++k) {
      const uint32_t y = side - 1 - (64 * uint32_t(i) + k) / scale;
      for (uint32_t c = 0; c < n; ++c) {
        const uint32_t region = rows[k * n + c];
        const uint32_t x = c / scale;
        if (region == kNoRegion)
          image.Set(x, y, colours::Blocked);
        else if (!(image.At(x, y) == colours::Blocked))
          image.Set(x, y, colour[region]);
      }
    }
  }
  return image;
}

} // namespace quarnel
