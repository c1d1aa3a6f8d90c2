// Objects and numbers in the reports' text and JSON.
#include "reports/ObjectReport.h"

#include "common/NumberText.h"
#include "common/TextEncoding.h"

#include <cmath>

namespace quarnel {

namespace {

const std::string* MeshFileOf(const TStaticObjectMeshNode& node) {
  return node.Mesh && !node.Mesh->FileName.empty() ? &node.Mesh->FileName : nullptr;
}

TJson JsonTriple(const TVector3& v) {
  return TJson::array({JsonNumber(v.X), JsonNumber(v.Y), JsonNumber(v.Z)});
}

} // namespace

std::string TripleText(const TVector3& v) {
  return NumberText(v.X) + "/" + NumberText(v.Y) + "/" + NumberText(v.Z);
}

TJson JsonText(const std::string& text) {
  return Utf8FromSystemText(text);
}

TJson JsonNumber(double value) {
  if (!std::isfinite(value))
    return nullptr;
  const bool negativeZero = value == 0 && std::signbit(value);
  if (value == std::trunc(value) && std::fabs(value) < 9007199254740992.0 && !negativeZero)
    return static_cast<int64_t>(value);
  return value;
}

void PrintObjectText(std::ostream& out, int64_t number, const std::string& name,
                     const TStaticObjectMeshNode& node, const char* indent) {
  const std::string* mesh = MeshFileOf(node);
  out << indent << "Object " << number << " \"" << name << "\" (line " << node.Line
      << "): position " << TripleText(node.Position) << ", rotation " << TripleText(node.Rotation)
      << ", scale " << TripleText(node.Scale) << ", "
      << (mesh ? "mesh " + *mesh : std::string("no mesh")) << "\n";
}

TJson JsonObject(int64_t number, const std::string& name, const TStaticObjectMeshNode& node) {
  const std::string* mesh = MeshFileOf(node);
  return {{"number", number},
          {"name", JsonText(name)},
          {"line", node.Line},
          {"position", JsonTriple(node.Position)},
          {"rotation", JsonTriple(node.Rotation)},
          {"scale", JsonTriple(node.Scale)},
          {"mesh", mesh ? JsonText(*mesh) : TJson(nullptr)}};
}

} // namespace quarnel
