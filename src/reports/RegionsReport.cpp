// The region table as text and JSON.
#include "reports/RegionsReport.h"

#include "common/TextEncoding.h"

#include <nlohmann/json.hpp>

#include <cstdio>

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

} // namespace quarnel
