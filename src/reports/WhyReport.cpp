// The answer of --why as text and as JSON.
#include "reports/WhyReport.h"

#include "reports/ObjectReport.h"
#include "segutils/MapFormat.h"

namespace quarnel {

namespace {

const char* const kClassNames[3] = {"Infantry", "Tank", "Car"};
const char* const kClassKeys[3] = {"infantry", "tank", "car"};

size_t IndexOf(MapClass mapClass) {
  return static_cast<size_t>(mapClass);
}

const std::string& NameOf(const TWhyReport& report, const TWhyObject& object) {
  return report.Names[static_cast<size_t>(object.Number - 1)];
}

void PrintObjectText(std::ostream& out, const TWhyReport& report, const TWhyObject& object,
                     const char* indent) {
  PrintObjectText(out, object.Number, NameOf(report, object), *object.Node, indent);
}

void PrintCauseText(std::ostream& out, const TWhyReport& report, const TWhyCause& cause) {
  if (cause.Kind == TWhyKind::Hole) {
    out << "  Hole filling: each of the cell's four neighbours is blocked or outside the grid\n";
    return;
  }
  PrintObjectText(out, report, cause.Object, "  ");
  if (cause.Kind == TWhyKind::Tree) {
    out << "    its tree footprint covers the cell\n";
    return;
  }
  out << "    its outline covers the cell: face " << cause.Face << " (vertices " << cause.Vertices.A
      << ", " << cause.Vertices.B << ", " << cause.Vertices.C << "), edge " << cause.EdgeFrom << "-"
      << cause.EdgeTo << "; " << cause.CoveringEdges
      << (cause.CoveringEdges == 1 ? " face edge covers" : " face edges cover") << " it\n";
}

TJson JsonObject(const TWhyReport& report, const TWhyObject& object) {
  return JsonObject(object.Number, NameOf(report, object), *object.Node);
}

TJson JsonCause(const TWhyReport& report, const TWhyCause& cause) {
  switch (cause.Kind) {
  case TWhyKind::Tree:
    return {{"kind", "tree"}, {"object", JsonObject(report, cause.Object)}};
  case TWhyKind::Outline:
    return {{"kind", "outline"},
            {"object", JsonObject(report, cause.Object)},
            {"face", cause.Face},
            {"vertices", {cause.Vertices.A, cause.Vertices.B, cause.Vertices.C}},
            {"edge", {cause.EdgeFrom, cause.EdgeTo}},
            {"coveringEdges", cause.CoveringEdges}};
  case TWhyKind::Hole:
    break;
  }
  return {{"kind", "hole"}};
}

const char* BlockedText(bool blocked) {
  return blocked ? "blocked" : "free";
}

} // namespace

void PrintWhyText(std::ostream& out, const TWhyReport& report) {
  const TWhyAnswer& answer = report.Answer;
  const uint64_t row = answer.Row, column = answer.Column;
  out << "Cell " << row << "," << column << ": row " << row << ", column " << column
      << ", the world square X " << column << " to " << column + 1 << ", Z " << row << " to "
      << row + 1 << "\n";
  if (!answer.Inside)
    out << "The cell lies outside the " << mapfile::SideText(report.WorldSize)
        << " grid: every map counts it as blocked.\n";
  for (const TWhyClass& answered : answer.Classes) {
    const size_t k = IndexOf(answered.Class);
    out << "\n"
        << kClassNames[k] << " (" << MapFileNameOf(answered.Class)
        << "): " << BlockedText(answered.Blocked) << (answer.Inside ? "" : ", outside the grid")
        << "\n";
    for (const TWhyFile& file : report.Files[k]) {
      if (file.Blocked == answered.Blocked)
        out << "  " << file.Name << ": " << BlockedText(file.Blocked) << ", as these inputs give\n";
      else
        out << "  WARNING: " << file.Name << " has the cell " << BlockedText(file.Blocked)
            << ", but these inputs " << (answered.Blocked ? "block it" : "leave it free")
            << ": the map is out of date\n";
    }
    for (const TWhyCause& cause : answered.Causes)
      PrintCauseText(out, report, cause);
    if (answered.Blocked)
      continue;
    if (answered.Near.empty()) {
      out << "  No object blocks a cell within two cells of it\n";
    } else {
      out << "  Objects that block a cell within two cells of it:\n";
      for (const TWhyObject& object : answered.Near)
        PrintObjectText(out, report, object, "    ");
    }
  }
}

void PrintWhyJson(std::ostream& out, const TWhyReport& report) {
  const TWhyAnswer& answer = report.Answer;
  const uint64_t row = answer.Row, column = answer.Column;
  TJson classes = TJson::array();
  for (const TWhyClass& answered : answer.Classes) {
    const size_t k = IndexOf(answered.Class);
    TJson files = TJson::array(), causes = TJson::array(), near = TJson::array();
    for (const TWhyFile& file : report.Files[k])
      files.push_back({{"file", JsonText(file.Name)},
                       {"blocked", file.Blocked},
                       {"agrees", file.Blocked == answered.Blocked}});
    for (const TWhyCause& cause : answered.Causes)
      causes.push_back(JsonCause(report, cause));
    for (const TWhyObject& object : answered.Near)
      near.push_back(JsonObject(report, object));
    classes.push_back({{"class", kClassKeys[k]},
                       {"map", MapFileNameOf(answered.Class)},
                       {"blocked", answered.Blocked},
                       {"files", std::move(files)},
                       {"causes", std::move(causes)},
                       {"near", std::move(near)}});
  }
  const TJson document = {{"cell", {{"row", row}, {"column", column}}},
                          {"square", {{"x", {column, column + 1}}, {"z", {row, row + 1}}}},
                          {"inside", answer.Inside},
                          {"classes", std::move(classes)}};
  out << document.dump() << "\n";
}

} // namespace quarnel
