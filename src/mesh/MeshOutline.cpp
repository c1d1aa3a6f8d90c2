// Preparing a mesh's outline forms when it is read.
#include "mesh/MeshOutline.h"

#include <bit>
#include <cmath>

namespace quarnel {

namespace {

// An open-addressing table of indices into a list kept by its user, for finding the first
// entry of the list equal to a new one; the user hashes and compares. Its storage is kept from
// one mesh to the next (the meshes of a run are many, and mostly small).
class TFirstIndex {
public:
  explicit TFirstIndex(size_t entries) : Slots(Storage()) {
    size_t capacity = 16;
    while (capacity < 2 * entries)
      capacity *= 2;
    Slots.assign(capacity, kEmpty);
  }

  // The index of the first entry that equals(index) finds equal, among those added under
  // the same hash; otherwise adds next and returns it.
  template <typename Equals> uint32_t FindOrAdd(uint64_t hash, uint32_t next, Equals&& equals) {
    const size_t mask = Slots.size() - 1;
    for (size_t i = (hash * 0x9E3779B97F4A7C15ull) >> 32 & mask;; i = (i + 1) & mask) {
      if (Slots[i] == kEmpty) {
        Slots[i] = next;
        return next;
      }
      if (equals(Slots[i]))
        return Slots[i];
    }
  }

private:
  static constexpr uint32_t kEmpty = ~uint32_t{0};
  static std::vector<uint32_t>& Storage() {
    static thread_local std::vector<uint32_t> slots;
    return slots;
  }
  std::vector<uint32_t>& Slots;
};

// The walks of faces whose vertex v is point pointOf[v], gathered in storage kept between
// meshes and then kept at their number.
std::vector<TOutlineEdge> EdgesOf(std::span<const TFace> faces,
                                  const std::vector<uint32_t>& pointOf) {
  static thread_local std::vector<TOutlineEdge> edges;
  edges.clear();
  TFirstIndex pairs(3 * faces.size());
  auto walk = [&](int32_t from, int32_t to) {
    const uint32_t a = pointOf[static_cast<size_t>(from)], b = pointOf[static_cast<size_t>(to)];
    if (a == b)
      return;
    const uint64_t pair = a < b ? uint64_t{a} << 32 | b : uint64_t{b} << 32 | a;
    const auto next = static_cast<uint32_t>(edges.size());
    const uint32_t k = pairs.FindOrAdd(pair ^ pair >> 29, next, [&](uint32_t i) {
      return (edges[i].From == a && edges[i].To == b) || (edges[i].From == b && edges[i].To == a);
    });
    if (k == next)
      edges.push_back({a, b & 0x7FFFFFFF, 0});
    else if (edges[k].From == b)
      edges[k].Back = 1;
  };
  for (const TFace& face : faces) {
    walk(face.A, face.B);
    walk(face.B, face.C);
    walk(face.C, face.A);
  }
  return {edges.begin(), edges.end()};
}

bool SamePlace(const TVector4& p, const TVector4& q) {
  return std::bit_cast<uint64_t>(p.x) == std::bit_cast<uint64_t>(q.x) &&
         std::bit_cast<uint64_t>(p.z) == std::bit_cast<uint64_t>(q.z) &&
         std::bit_cast<uint64_t>(p.w) == std::bit_cast<uint64_t>(q.w);
}

uint64_t PlaceHash(const TVector4& p) {
  return (std::bit_cast<uint64_t>(p.x) * 0xC2B2AE3D27D4EB4Full ^ std::bit_cast<uint64_t>(p.z)) *
             0x165667B19E3779F9ull ^
         std::bit_cast<uint64_t>(p.w);
}

} // namespace

TMeshOutline PrepareOutline(std::span<const TVector4> vertices, std::span<const TFace> faces,
                            std::span<const int32_t> used) {
  TMeshOutline outline;
  static thread_local std::vector<uint32_t> pointOf; // kept between meshes
  pointOf.assign(vertices.size(), 0);
  bool finiteHeights = true;
  for (size_t k = 0; k < used.size(); ++k) {
    pointOf[static_cast<size_t>(used[k])] = static_cast<uint32_t>(k);
    finiteHeights &= std::isfinite(vertices[static_cast<size_t>(used[k])].y);
  }
  outline.FullEdges = EdgesOf(faces, pointOf);
  if (!finiteHeights)
    return outline;

  static thread_local std::vector<TVector4> points; // kept between meshes
  points.clear();
  TFirstIndex places(used.size());
  for (const int32_t i : used) {
    const TVector4& v = vertices[static_cast<size_t>(i)];
    const auto next = static_cast<uint32_t>(points.size());
    const uint32_t k =
        places.FindOrAdd(PlaceHash(v), next, [&](uint32_t p) { return SamePlace(points[p], v); });
    if (k == next)
      points.push_back(v);
    pointOf[static_cast<size_t>(i)] = k;
  }
  outline.Flat.Points.assign(points.begin(), points.end());
  outline.Flat.Edges = EdgesOf(faces, pointOf);
  outline.HasFlat = true;
  return outline;
}

} // namespace quarnel
