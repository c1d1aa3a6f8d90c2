// The found path, or the reason there is none, as text and JSON.
#include "reports/PathReport.h"

#include "common/TextEncoding.h"
#include "segutils/MapFormat.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace quarnel {

namespace {

std::string CellText(TCell cell) {
  return "(" + std::to_string(cell.Row) + ", " + std::to_string(cell.Column) + ")";
}

std::string LengthText(double length) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", length);
  return text;
}

const char* ReasonOf(TPathOutcome outcome) {
  switch (outcome) {
  case TPathOutcome::Outside:
    return "outside";
  case TPathOutcome::Blocked:
    return "blocked";
  default:
    return "regions";
  }
}

} // namespace

void PrintPathText(std::ostream& out, const TPathQuery& query, const TPathResult& path) {
  out << "Map: " << query.Map << "\n"
      << "Steps: " << (query.Diagonal ? "to edge and corner neighbours" : "to edge neighbours")
      << "\n"
      << "From " << CellText(query.Start) << " to " << CellText(query.End) << "\n";
  const std::string end =
      path.AtStart ? "the start " + CellText(query.Start) : "the end " + CellText(query.End);
  switch (path.Outcome) {
  case TPathOutcome::Outside:
    out << "No path: " << end << " is outside the " << mapfile::SideText(query.Size) << " map\n";
    return;
  case TPathOutcome::Blocked:
    out << "No path: " << end << " is blocked\n";
    return;
  case TPathOutcome::Apart:
    out << "No path: the start lies in region " << path.StartRegion << " of "
        << path.StartRegionSize << " cells, the end in region " << path.EndRegion << " of "
        << path.EndRegionSize << " cells\n";
    return;
  case TPathOutcome::Found:
    break;
  }
  out << "Path: length " << LengthText(path.Length) << " in " << path.Steps() << " steps ("
      << path.EdgeSteps << " edge, " << path.DiagonalSteps << " diagonal), within region "
      << path.StartRegion << " of " << path.StartRegionSize << " cells\n"
      << "Turning points (row, column):\n";
  for (const TCell& cell : path.Turns)
    out << "  " << CellText(cell) << "\n";
}

std::string PathJson(const TPathQuery& query, const TPathResult& path) {
  const auto cell = [](TCell c) {
    return nlohmann::ordered_json{{"row", c.Row}, {"column", c.Column}};
  };
  nlohmann::ordered_json doc;
  doc["map"] = Utf8FromSystemText(query.Map);
  doc["diagonal"] = query.Diagonal;
  doc["from"] = cell(query.Start);
  doc["to"] = cell(query.End);
  doc["found"] = path.Outcome == TPathOutcome::Found;
  if (path.Outcome != TPathOutcome::Found)
    doc["reason"] = ReasonOf(path.Outcome);
  if (path.Outcome == TPathOutcome::Outside || path.Outcome == TPathOutcome::Blocked) {
    doc["at"] = path.AtStart ? "from" : "to";
    return doc.dump();
  }
  doc["regions"] = {{{"number", path.StartRegion}, {"cells", path.StartRegionSize}},
                    {{"number", path.EndRegion}, {"cells", path.EndRegionSize}}};
  if (path.Outcome == TPathOutcome::Found) {
    doc["length"] = path.Length;
    doc["steps"] = path.Steps();
    doc["edgeSteps"] = path.EdgeSteps;
    doc["diagonalSteps"] = path.DiagonalSteps;
    doc["turns"] = nlohmann::ordered_json::array();
    for (const TCell& turn : path.Turns)
      doc["turns"].push_back(cell(turn));
  }
  return doc.dump();
}

} // namespace quarnel
