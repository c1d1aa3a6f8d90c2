// quarnel-inspect --why: the world loaded as the run loads it, the answer as text or JSON.
#include "inspect/WhyMode.h"

#include "common/NumberText.h"
#include "common/TextEncoding.h"
#include "mesh/MeshDirectory.h"
#include "mesh/WorldObjects.h"
#include "segutils/MapFileReader.h"
#include "segutils/MapFormat.h"

#include <cmath>
#include <nlohmann/json.hpp>

namespace quarnel {

namespace {

const char* const kClassNames[3] = {"Infantry", "Tank", "Car"};
const char* const kClassKeys[3] = {"infantry", "tank", "car"};

size_t IndexOf(MapClass mapClass) {
  return static_cast<size_t>(mapClass);
}

std::string Triple(const TVector3& v, const char* separator) {
  return NumberText(v.X) + separator + NumberText(v.Y) + separator + NumberText(v.Z);
}

const std::string* MeshFileOf(const TWhyObject& object) {
  const auto& mesh = object.Node->Mesh;
  return mesh && !mesh->FileName.empty() ? &mesh->FileName : nullptr;
}

const std::string& NameOf(const TWhyReport& report, const TWhyObject& object) {
  return report.Names[static_cast<size_t>(object.Number - 1)];
}

void PrintObjectText(std::ostream& out, const TWhyReport& report, const TWhyObject& object,
                     const char* indent) {
  const TStaticObjectMeshNode& node = *object.Node;
  const std::string* mesh = MeshFileOf(object);
  out << indent << "Object " << object.Number << " \"" << NameOf(report, object) << "\" (line "
      << node.Line << "): position " << Triple(node.Position, "/") << ", rotation "
      << Triple(node.Rotation, "/") << ", scale " << Triple(node.Scale, "/") << ", "
      << (mesh ? "mesh " + *mesh : std::string("no mesh")) << "\n";
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

using TJson = nlohmann::ordered_json;

// Text in a JSON document is UTF-8: paths and names are the system's bytes.
TJson JsonText(const std::string& text) {
  return Utf8FromSystemText(text);
}

// JSON has no infinity or NaN: such a number is written as null. A whole number below 2^53 is
// written as an integer ("40", as the text answer has it, not "40.0").
TJson JsonNumber(double value) {
  if (!std::isfinite(value))
    return nullptr;
  const bool negativeZero = value == 0 && std::signbit(value);
  if (value == std::trunc(value) && std::fabs(value) < 9007199254740992.0 && !negativeZero)
    return static_cast<int64_t>(value);
  return value;
}

TJson JsonTriple(const TVector3& v) {
  return TJson::array({JsonNumber(v.X), JsonNumber(v.Y), JsonNumber(v.Z)});
}

TJson JsonObject(const TWhyReport& report, const TWhyObject& object) {
  const TStaticObjectMeshNode& node = *object.Node;
  const std::string* mesh = MeshFileOf(object);
  return {{"number", object.Number},
          {"name", JsonText(NameOf(report, object))},
          {"line", node.Line},
          {"position", JsonTriple(node.Position)},
          {"rotation", JsonTriple(node.Rotation)},
          {"scale", JsonTriple(node.Scale)},
          {"mesh", mesh ? JsonText(*mesh) : TJson(nullptr)}};
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

int RunWhyMode(const TInspectOptions& options, const TInspectIo& io) {
  if (options.WorldSize % 64 != 0)
    throw Exception("Invalid world size: " + std::to_string(options.WorldSize));
  TWhyReport report;
  report.WorldSize = options.WorldSize;
  TStaticObjectLL objects;
  LoadWorldObjects(options.Objects, MeshDirectoryOf(options.Meshes), objects, &report.Names);
  report.Answer = ExplainCell(objects, options.WorldSize, options.Row, options.Column);

  bool agree = true;
  for (const std::string& name : options.Maps) {
    MapClass mapClass = MapClass::Infantry;
    MapClassOfFile(name, mapClass);
    TPathmap map;
    LoadMapFile(name, map);
    if (map.Size() != options.WorldSize)
      throw Exception(name + ": the map is " + mapfile::SideText(map.Size()) +
                      " cells, but the world is " + mapfile::SideText(options.WorldSize));
    const bool blocked = map.IsBlocked(options.Row, options.Column);
    agree &= blocked == report.Answer.Classes[IndexOf(mapClass)].Blocked;
    report.Files[IndexOf(mapClass)].push_back({name, blocked});
  }
  if (options.Has("--json"))
    PrintWhyJson(io.Out, report);
  else
    PrintWhyText(io.Out, report);
  return agree ? kInspectOk : kInspectMapsDiffer;
}

} // namespace quarnel
