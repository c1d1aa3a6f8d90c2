// Gathering the viewer's data: the map files deflated, objects as a deflated text table, and
// every distinct collision mesh once.
#include "viewer/ViewData.h"

#include "analysis/MapStats.h"
#include "common/FileReads.h"
#include "common/NumberText.h"
#include "common/TextEncoding.h"
#include "common/UTypes.h"
#include "explain/WhyCell.h"
#include "mesh/MeshDirectory.h"
#include "mesh/WorldObjects.h"
#include "pictures/Pictures.h"
#include "pictures/RegionsPicture.h"
#include "raster/CellPoint.h"
#include "raster/Footprints.h"
#include "raster/Outline.h"
#include "raster/Shapes.h"
#include "raster/Transform.h"
#include "segutils/MapFileReader.h"
#include "segutils/MapFormat.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string_view>
#include <zlib.h>

namespace quarnel {

namespace {

// Objects keep their keys in the order written.
using TJson = nlohmann::ordered_json;

template <class T> void Append(std::string& bytes, const T& value) {
  char raw[sizeof(T)];
  std::memcpy(raw, &value, sizeof(T)); // the page reads typed arrays in little-endian order
  bytes.append(raw, sizeof(T));
}

// zlib-deflated, then base64: what the page inflates with DecompressionStream('deflate').
std::string Packed(std::string_view bytes) {
  uLongf length = compressBound(static_cast<uLong>(bytes.size()));
  std::string deflated(length, '\0');
  if (compress2(reinterpret_cast<Bytef*>(deflated.data()), &length,
                reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()),
                5 /* of 9: about as small as 9 and many times faster on maps */) != Z_OK)
    throw Exception(kOutOfMemory);
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  text.reserve((length + 2) / 3 * 4);
  for (uLongf i = 0; i < length; i += 3) {
    uint32_t group = static_cast<uint8_t>(deflated[i]) << 16;
    if (i + 1 < length)
      group |= static_cast<uint8_t>(deflated[i + 1]) << 8;
    if (i + 2 < length)
      group |= static_cast<uint8_t>(deflated[i + 2]);
    for (uLongf k = 0; k < 4; ++k)
      text += i + k <= length ? kDigits[(group >> (18 - 6 * k)) & 63] : '=';
  }
  return text;
}

// The map file itself, checked by LoadMapFile: its uniform segments are already short.
TJson MapEntry(const std::string& name, const std::string& file) {
  TFile input = OpenForReading(file);
  std::vector<uint8_t> bytes;
  if (!ReadToEnd(input, bytes))
    throw Exception("Error reading file: " + file);
  return {{"name", name},
          {"file", Utf8FromSystemText(file)},
          {"bits", Packed({reinterpret_cast<const char*>(bytes.data()), bytes.size()})}};
}

TJson Rgb(TRgb colour) {
  return TJson::array({colour.R, colour.G, colour.B});
}

// What the page shares with the run, --why and --regions: per class its name, map file,
// overlay colour and shape (the tree rule of infantry too), the diff colours, the reach of the
// objects named near a free cell, and the colours of regions other than the main one.
TJson SharedRules() {
  constexpr MapClass kClasses[3] = {MapClass::Infantry, MapClass::Tank, MapClass::Car};
  constexpr TRgb kColours[3] = {colours::Infantry, colours::Tank, colours::Car};
  static const char* const kClassNames[3] = {"infantry", "tank", "car"};
  TJson classes = TJson::array();
  for (size_t k = 0; k < 3; ++k) {
    const TShape& shape = ShapeOf(kClasses[k]);
    TJson widths = TJson::array();
    for (int d = 0; d <= 2 * shape.Reach; ++d)
      widths.push_back(shape.HalfWidth[d]);
    classes.push_back({{"name", kClassNames[k]},
                       {"map", MapFileNameOf(kClasses[k])},
                       {"colour", Rgb(kColours[k])},
                       {"shape", {{"reach", shape.Reach}, {"halfWidths", widths}}},
                       {"treeFractions", kClasses[k] == MapClass::Infantry
                                             ? TJson::array({kTreeLowFraction, kTreeHighFraction})
                                             : TJson()}});
  }
  TJson regionPalette = TJson::array();
  for (const TRgb& colour : colours::RegionPalette)
    regionPalette.push_back(Rgb(colour));
  return {{"classes", classes},
          {"colours",
           {{"free", Rgb(colours::Free)},
            {"onlyInA", Rgb(colours::OnlyInA)},
            {"onlyInB", Rgb(colours::OnlyInB)},
            {"bothWays", Rgb(colours::BothWays)},
            {"dimBlocked", Rgb(colours::DimBlocked)},
            {"dimFree", Rgb(colours::DimFree)}}},
          {"nearReach", kNearReach},
          {"regionPalette", regionPalette}};
}

// The cells an object may block in any map, as rows r0..r1 by columns c0..c1: the car shape
// reaches farthest. Clamped to just outside the grid; empty (r0 > r1) for objects that block
// nothing.
struct TBox {
  int64_t R0 = 1, C0 = 1, R1 = 0, C1 = 0;
};

TBox BoxOf(const TStaticObjectMeshNode& node, bool tree, uint32_t size) {
  TBox box;
  if (tree) {
    box = {TruncCell(node.Position.Z), TruncCell(node.Position.X), TruncCell(node.Position.Z),
           TruncCell(node.Position.X)};
  } else if (node.FaceCount() > 0) {
    // A vertex that no face uses is placed on a used one, so it does not widen the box.
    const std::vector<TCellPoint> points = PlaceMeshVertices(node);
    box = {INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
    for (const TCellPoint& p : points)
      box = {std::min(box.R0, p.Row), std::min(box.C0, p.Column), std::max(box.R1, p.Row),
             std::max(box.C1, p.Column)};
  } else {
    return box;
  }
  const int64_t lo = -kMaxBrushReach - 1, hi = int64_t{size} + kMaxBrushReach;
  auto clamp = [&](int64_t v, int64_t reach) { return std::clamp(v + reach, lo, hi); };
  return {clamp(box.R0, -kMaxBrushReach), clamp(box.C0, -kMaxBrushReach),
          clamp(box.R1, kMaxBrushReach), clamp(box.C1, kMaxBrushReach)};
}

// Objects: a text table, one line per object, fields separated by tabs: name, line,
// position x y z, rotation 1 2 3, scale x y z, mesh number (-1: none), tree (1) or not (0),
// box r0 c0 r1 c1. Matrices: per object the entries m[0][0], m[1][0], m[2][0], m[0][2],
// m[1][2], m[2][2] of its placement (zeros unless its outline is drawn). Meshes: per mesh
// its first vertex and first face (then the totals), vertices as x y z floats, faces as
// three vertex indices.
TJson WorldEntry(const TViewRequest& request, uint32_t size) {
  const std::string meshDir = MeshDirectoryOf(request.MeshDir);
  TStaticObjectLL objects;
  std::vector<std::string> names; // as the object file writes them, before their aliases
  LoadWorldObjects(request.ObjectFile, meshDir, objects, &names);
  std::map<const TCollisionMesh*, int32_t> meshNumbers;
  std::string table, matrices, parts, vertices, faces;
  TJson paths = TJson::array();
  auto name = names.begin();
  for (const TLinkedListNode* n = objects.Head; n != nullptr; n = n->Next) {
    const TStaticObjectMeshNode& node = MeshNodeOf(n);
    int32_t mesh = -1;
    if (node.HasMesh) {
      auto [at, added] = meshNumbers.emplace(node.Mesh.get(), meshNumbers.size());
      mesh = at->second;
      if (added) {
        paths.push_back(Utf8FromSystemText(node.Mesh->FileName));
        Append(parts, static_cast<int32_t>(vertices.size() / 12));
        Append(parts, static_cast<int32_t>(faces.size() / 12));
        for (const TVector4& v : node.Vertices())
          for (const double c : {v.x, v.y, v.z})
            Append(vertices, static_cast<float>(c)); // read from the file as floats
        for (const TFace& f : node.Faces())
          for (const int32_t k : {f.A, f.B, f.C})
            Append(faces, k);
      }
    }
    const bool tree = IsTreeMesh(node.Name);
    TMatrix4 m;
    BuildObjectMatrix(node.Position.X, node.Position.Y, node.Position.Z, node.Scale.X, node.Scale.Y,
                      node.Scale.Z, node.Rotation.X, node.Rotation.Y, node.Rotation.Z, m);
    for (const double e : {m.m[0][0], m.m[1][0], m.m[2][0], m.m[0][2], m.m[1][2], m.m[2][2]})
      Append(matrices, tree || !node.HasMesh ? 0.0 : e);
    const auto triple = [](const TVector3& v) {
      return NumberText(v.X) + ' ' + NumberText(v.Y) + ' ' + NumberText(v.Z) + '\t';
    };
    table += Utf8FromSystemText(*name++) + '\t' + std::to_string(node.Line) + '\t' +
             triple(node.Position) + triple(node.Rotation) + triple(node.Scale) +
             std::to_string(mesh) + (tree ? "\t1\t" : "\t0\t");
    const TBox box = BoxOf(node, tree, size);
    table += std::to_string(box.R0) + ' ' + std::to_string(box.C0) + ' ' + std::to_string(box.R1) +
             ' ' + std::to_string(box.C1) + '\n';
  }
  Append(parts, static_cast<int32_t>(vertices.size() / 12));
  Append(parts, static_cast<int32_t>(faces.size() / 12));
  return {{"objectFile", Utf8FromSystemText(request.ObjectFile)},
          {"meshDir", Utf8FromSystemText(meshDir)},
          {"meshes", paths},
          {"objects", Packed(table)},
          {"matrices", Packed(matrices)},
          {"meshParts", Packed(parts)},
          {"vertices", Packed(vertices)},
          {"faces", Packed(faces)}};
}

// '<' stands only inside strings, where \u003c means the same: no "</script>" can appear.
std::string ScriptSafe(const std::string& text) {
  std::string safe;
  safe.reserve(text.size());
  for (const char c : text)
    safe += c == '<' ? std::string_view("\\u003c") : std::string_view(&c, 1);
  return safe;
}

// The cells of an object's placed mesh and its faces, or its tree's position: what the page draws
// of a changed object.
TJson OutlineEntry(const TVersionObject& object) {
  if (object.Node == nullptr)
    return nullptr;
  const TStaticObjectMeshNode& node = *object.Node;
  if (IsTreeMesh(node.Name))
    return {{"tree", {node.Position.X, node.Position.Z}}};
  if (!node.HasMesh || node.FaceCount() == 0)
    return {{"points", TJson::array()}, {"faces", TJson::array()}};
  TJson points = TJson::array(), faces = TJson::array();
  for (const TCellPoint& p : PlaceMeshVertices(node))
    points.push_back(p.Column), points.push_back(p.Row);
  for (const TFace& f : node.Faces())
    faces.push_back(f.A), faces.push_back(f.B), faces.push_back(f.C);
  return {{"points", points}, {"faces", faces}};
}

// The changes: the report (--changes --json) deflated, and the outlines of each change's
// object before and after.
TJson ChangesEntry(const TChangesView& view) {
  TJson outlines = TJson::array();
  for (const TObjectChange& change : view.Changes->Changes)
    outlines.push_back({{"before", OutlineEntry(change.Old)}, {"after", OutlineEntry(change.New)}});
  return {{"report", Packed(view.Report)}, {"outlines", outlines}};
}

} // namespace

std::string BuildViewData(const TViewRequest& request) {
  static const char* const kNames[2][3] = {{"infantry", "tank", "car"}, {"A", "B"}};
  std::vector<std::unique_ptr<TPathmap>> maps;
  TJson entries = TJson::array();
  if (request.Changes != nullptr) {
    const TChangesView& view = *request.Changes;
    TJson data = {{"mode", "changes"}, {"size", (*view.After)[0].Size()}};
    data.update(SharedRules());
    data["colours"]["newlyBlocked"] = Rgb(colours::NewlyBlocked);
    data["colours"]["newlyFree"] = Rgb(colours::NewlyFree);
    for (size_t k = 0; k < 3; ++k)
      entries.push_back({{"name", kNames[0][k]},
                         {"file", MapFileNameOf(static_cast<MapClass>(k))},
                         {"bits", Packed((*view.After)[k].FileBytes())}});
    data["maps"] = std::move(entries);
    data["world"] = nullptr;
    data["changes"] = ChangesEntry(view);
    return ScriptSafe(data.dump());
  }
  for (size_t k = 0; k < request.Maps.size(); ++k) {
    maps.push_back(std::make_unique<TPathmap>());
    LoadMapFile(request.Maps[k], *maps.back());
    entries.push_back(MapEntry(kNames[request.Diff][k], request.Maps[k]));
  }
  const uint32_t size = maps[0]->Size();
  if (!request.Diff) // two maps of different sizes are told apart before the page is asked for
    CheckOneSize({maps[0].get(), maps[1].get(), maps[2].get()});
  TJson data = {{"mode", request.Diff ? "diff" : "classes"}, {"size", size}};
  data.update(SharedRules());
  data["maps"] = std::move(entries);
  data["world"] = request.ObjectFile.empty() ? TJson() : WorldEntry(request, size);
  return ScriptSafe(data.dump());
}

} // namespace quarnel
