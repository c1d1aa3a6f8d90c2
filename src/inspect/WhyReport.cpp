// quarnel-inspect --why: the world loaded as the run loads it, the answer as text or JSON.
#include "inspect/WhyReport.h"

#include "common/NumberText.h"
#include "mesh/MeshDirectory.h"
#include "mesh/WorldObjects.h"
#include "segutils/MapFileReader.h"
#include "segutils/MapFormat.h"

#include <cmath>
#include <cstdio>

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

// Control characters, '"' and '\' escaped; every other byte as it is.
std::string JsonString(const std::string& text) {
  std::string quoted = "\"";
  for (const char ch : text) {
    if (ch == '"' || ch == '\\') {
      quoted += '\\';
      quoted += ch;
    } else if (static_cast<unsigned char>(ch) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(ch));
      quoted += escape;
    } else {
      quoted += ch;
    }
  }
  return quoted + "\"";
}

// JSON has no infinity or NaN: such a number is written as null.
std::string JsonNumber(double value) {
  return std::isfinite(value) ? NumberText(value) : "null";
}

std::string JsonTriple(const TVector3& v) {
  return "[" + JsonNumber(v.X) + "," + JsonNumber(v.Y) + "," + JsonNumber(v.Z) + "]";
}

std::string JsonObject(const TWhyReport& report, const TWhyObject& object) {
  const TStaticObjectMeshNode& node = *object.Node;
  const std::string* mesh = MeshFileOf(object);
  return "{\"number\":" + std::to_string(object.Number) +
         ",\"name\":" + JsonString(NameOf(report, object)) +
         ",\"line\":" + std::to_string(node.Line) + ",\"position\":" + JsonTriple(node.Position) +
         ",\"rotation\":" + JsonTriple(node.Rotation) + ",\"scale\":" + JsonTriple(node.Scale) +
         ",\"mesh\":" + (mesh ? JsonString(*mesh) : "null") + "}";
}

std::string JsonCause(const TWhyReport& report, const TWhyCause& cause) {
  switch (cause.Kind) {
  case TWhyKind::Tree:
    return "{\"kind\":\"tree\",\"object\":" + JsonObject(report, cause.Object) + "}";
  case TWhyKind::Outline:
    return "{\"kind\":\"outline\",\"object\":" + JsonObject(report, cause.Object) +
           ",\"face\":" + std::to_string(cause.Face) + ",\"vertices\":[" +
           std::to_string(cause.Vertices.A) + "," + std::to_string(cause.Vertices.B) + "," +
           std::to_string(cause.Vertices.C) + "],\"edge\":[" + std::to_string(cause.EdgeFrom) +
           "," + std::to_string(cause.EdgeTo) +
           "],\"coveringEdges\":" + std::to_string(cause.CoveringEdges) + "}";
  case TWhyKind::Hole:
    break;
  }
  return "{\"kind\":\"hole\"}";
}

const char* BlockedText(bool blocked) {
  return blocked ? "blocked" : "free";
}

const char* JsonBool(bool value) {
  return value ? "true" : "false";
}

} // namespace

namespace {

// A decimal number of at most limit, digits only.
bool ParseDecimal(std::string_view text, uint64_t limit, uint64_t& value) {
  value = 0;
  if (text.empty() || text.size() > 10)
    return false;
  for (const char ch : text) {
    if (ch < '0' || ch > '9')
      return false;
    value = value * 10 + static_cast<uint64_t>(ch - '0');
  }
  return value <= limit;
}

} // namespace

bool ParseWhyCell(const std::string& text, uint32_t& row, uint32_t& column) {
  const size_t comma = text.find(',');
  uint64_t r = 0, c = 0;
  if (comma == std::string::npos ||
      !ParseDecimal(std::string_view(text).substr(0, comma), UINT32_MAX, r) ||
      !ParseDecimal(std::string_view(text).substr(comma + 1), UINT32_MAX, c))
    return false;
  row = static_cast<uint32_t>(r);
  column = static_cast<uint32_t>(c);
  return true;
}

bool ParseWhySize(const std::string& text, uint32_t& worldSize) {
  uint64_t value = 0;
  if (!ParseDecimal(text, INT32_MAX, value))
    return false;
  worldSize = static_cast<uint32_t>(value);
  return true;
}

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
  out << "{\"cell\":{\"row\":" << row << ",\"column\":" << column << "},\"square\":{\"x\":["
      << column << "," << column + 1 << "],\"z\":[" << row << "," << row + 1
      << "]},\"inside\":" << JsonBool(answer.Inside) << ",\"classes\":[";
  for (const TWhyClass& answered : answer.Classes) {
    const size_t k = IndexOf(answered.Class);
    out << (k == 0 ? "" : ",") << "{\"class\":\"" << kClassKeys[k] << "\",\"map\":\""
        << MapFileNameOf(answered.Class) << "\",\"blocked\":" << JsonBool(answered.Blocked)
        << ",\"files\":[";
    const std::vector<TWhyFile>& files = report.Files[k];
    for (size_t i = 0; i < files.size(); ++i)
      out << (i == 0 ? "" : ",") << "{\"file\":" << JsonString(files[i].Name)
          << ",\"blocked\":" << JsonBool(files[i].Blocked)
          << ",\"agrees\":" << JsonBool(files[i].Blocked == answered.Blocked) << "}";
    out << "],\"causes\":[";
    for (size_t i = 0; i < answered.Causes.size(); ++i)
      out << (i == 0 ? "" : ",") << JsonCause(report, answered.Causes[i]);
    out << "],\"near\":[";
    for (size_t i = 0; i < answered.Near.size(); ++i)
      out << (i == 0 ? "" : ",") << JsonObject(report, answered.Near[i]);
    out << "]}";
  }
  out << "]}\n";
}

bool RunWhy(const TWhyRequest& request, std::ostream& out) {
  if (request.WorldSize % 64 != 0)
    throw Exception("Invalid world size: " + std::to_string(request.WorldSize));
  TWhyReport report;
  report.WorldSize = request.WorldSize;
  TStaticObjectLL objects;
  LoadWorldObjects(request.ObjectFile, MeshDirectoryOf(request.MeshDir), objects, &report.Names);
  report.Answer = ExplainCell(objects, request.WorldSize, request.Row, request.Column);

  bool agree = true;
  for (const std::string& name : request.Maps) {
    MapClass mapClass = MapClass::Infantry;
    MapClassOfFile(name, mapClass);
    TPathmap map;
    LoadMapFile(name, map);
    if (map.Size() != request.WorldSize)
      throw Exception(name + ": the map is " + mapfile::SideText(map.Size()) +
                      " cells, but the world is " + mapfile::SideText(request.WorldSize));
    const bool blocked = map.IsBlocked(request.Row, request.Column);
    agree &= blocked == report.Answer.Classes[IndexOf(mapClass)].Blocked;
    report.Files[IndexOf(mapClass)].push_back({name, blocked});
  }
  if (request.Json)
    PrintWhyJson(out, report);
  else
    PrintWhyText(out, report);
  return agree;
}

} // namespace quarnel
