// Matching the objects of two versions of a world: equal placements first, then the nearest of
// one name.
#include "explain/ObjectChanges.h"

#include "common/FileReads.h"
#include "common/UTypes.h"
#include "mesh/WorldObjects.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <tuple>
#include <unordered_map>

namespace quarnel {

namespace {

std::vector<TVersionObject> ObjectsOf(const TBuiltWorld& world) {
  std::vector<TVersionObject> objects;
  int64_t number = 0;
  for (const TLinkedListNode* n = world.Objects.Head; n != nullptr; n = n->Next)
    objects.push_back({++number, &MeshNodeOf(n)});
  return objects;
}

// The bytes of the nine numbers of a placement, so that equal NaNs compare equal too.
std::string PlacementKey(const TStaticObjectMeshNode& node) {
  std::string key(9 * sizeof(double), '\0');
  const double values[9] = {node.Position.X, node.Position.Y, node.Position.Z,
                            node.Rotation.X, node.Rotation.Y, node.Rotation.Z,
                            node.Scale.X,    node.Scale.Y,    node.Scale.Z};
  std::memcpy(key.data(), values, sizeof values);
  return key;
}

bool Same(const TVector3& a, const TVector3& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

double Distance(const TStaticObjectMeshNode& a, const TStaticObjectMeshNode& b) {
  const double dx = a.Position.X - b.Position.X, dy = a.Position.Y - b.Position.Y,
               dz = a.Position.Z - b.Position.Z;
  const double d = std::sqrt(dx * dx + dy * dy + dz * dz);
  return std::isnan(d) ? INFINITY : d;
}

// Whether the mesh files of two matched objects differ, their bytes compared once per pair.
class TMeshComparison {
public:
  bool Differ(const TStaticObjectMeshNode& a, const TStaticObjectMeshNode& b) {
    if (a.HasMesh != b.HasMesh)
      return true;
    if (!a.HasMesh || a.Mesh->FileName == b.Mesh->FileName)
      return false;
    const auto key = std::make_pair(a.Mesh->FileName, b.Mesh->FileName);
    const auto [at, added] = Known.try_emplace(key, false);
    if (added)
      at->second = Bytes(a.Mesh->FileName) != Bytes(b.Mesh->FileName);
    return at->second;
  }

private:
  static std::vector<uint8_t> Bytes(const std::string& file) {
    TFile input = OpenForReading(file);
    std::vector<uint8_t> bytes;
    if (!ReadToEnd(input, bytes))
      throw Exception("Error reading file: " + file);
    return bytes;
  }
  std::map<std::pair<std::string, std::string>, bool> Known;
};

// More pairs than this of one name are not sorted: each object of before in file order takes
// the nearest of after left instead.
constexpr size_t kSortedPairs = size_t{1} << 22;

// Pairs the objects left of one name, the nearest pair first, ties by their places in file
// order; sets matchOf (an index into after for each of before).
void PairNearest(const std::vector<TVersionObject>& before, const std::vector<size_t>& olds,
                 const std::vector<TVersionObject>& after, const std::vector<size_t>& news,
                 std::vector<size_t>& matchOf, std::vector<bool>& taken) {
  struct TPair {
    double Distance;
    size_t Old, New;
  };
  if (olds.size() * news.size() > kSortedPairs) {
    for (const size_t o : olds) {
      size_t best = SIZE_MAX;
      for (const size_t n : news)
        if (!taken[n] && (best == SIZE_MAX || Distance(*before[o].Node, *after[n].Node) <
                                                  Distance(*before[o].Node, *after[best].Node)))
          best = n;
      if (best != SIZE_MAX)
        matchOf[o] = best, taken[best] = true;
    }
    return;
  }
  std::vector<TPair> pairs;
  pairs.reserve(olds.size() * news.size());
  for (const size_t o : olds)
    for (const size_t n : news)
      pairs.push_back({Distance(*before[o].Node, *after[n].Node), o, n});
  std::sort(pairs.begin(), pairs.end(), [](const TPair& a, const TPair& b) {
    return std::tie(a.Distance, a.Old, a.New) < std::tie(b.Distance, b.Old, b.New);
  });
  for (const TPair& p : pairs)
    if (matchOf[p.Old] == SIZE_MAX && !taken[p.New])
      matchOf[p.Old] = p.New, taken[p.New] = true;
}

} // namespace

std::vector<TObjectChange> MatchObjects(const TBuiltWorld& beforeWorld,
                                        const TBuiltWorld& afterWorld) {
  const std::vector<TVersionObject> before = ObjectsOf(beforeWorld), after = ObjectsOf(afterWorld);
  std::vector<size_t> matchOf(before.size(), SIZE_MAX);
  std::vector<bool> taken(after.size(), false);
  // Equal names and placements, the k-th of one with the k-th of the other.
  std::unordered_map<std::string, std::vector<size_t>> waiting;
  for (size_t n = after.size(); n-- > 0;)
    waiting[LowerAscii(after[n].Node->Name) + PlacementKey(*after[n].Node)].push_back(n);
  for (size_t o = 0; o < before.size(); ++o) {
    auto at = waiting.find(LowerAscii(before[o].Node->Name) + PlacementKey(*before[o].Node));
    if (at == waiting.end() || at->second.empty())
      continue;
    matchOf[o] = at->second.back(), taken[at->second.back()] = true;
    at->second.pop_back();
  }
  // The rest by name, nearest first.
  std::map<std::string, std::pair<std::vector<size_t>, std::vector<size_t>>> rest;
  for (size_t o = 0; o < before.size(); ++o)
    if (matchOf[o] == SIZE_MAX)
      rest[LowerAscii(before[o].Node->Name)].first.push_back(o);
  for (size_t n = 0; n < after.size(); ++n)
    if (!taken[n])
      rest[LowerAscii(after[n].Node->Name)].second.push_back(n);
  for (const auto& [name, group] : rest)
    if (!group.first.empty() && !group.second.empty())
      PairNearest(before, group.first, after, group.second, matchOf, taken);

  std::vector<size_t> oldOf(after.size(), SIZE_MAX);
  for (size_t o = 0; o < before.size(); ++o)
    if (matchOf[o] != SIZE_MAX)
      oldOf[matchOf[o]] = o;
  TMeshComparison meshes;
  std::vector<TObjectChange> changes;
  for (size_t n = 0; n < after.size(); ++n) {
    if (oldOf[n] == SIZE_MAX) {
      changes.push_back({kAdded, {}, after[n]});
      continue;
    }
    const TStaticObjectMeshNode &a = *before[oldOf[n]].Node, &b = *after[n].Node;
    const uint8_t what =
        (Same(a.Position, b.Position) ? 0 : kMoved) | (Same(a.Rotation, b.Rotation) ? 0 : kTurned) |
        (Same(a.Scale, b.Scale) ? 0 : kRescaled) | (meshes.Differ(a, b) ? kMeshChanged : 0);
    if (what != 0)
      changes.push_back({what, before[oldOf[n]], after[n]});
  }
  for (size_t o = 0; o < before.size(); ++o)
    if (matchOf[o] == SIZE_MAX)
      changes.push_back({kRemoved, before[o], {}});
  return changes;
}

} // namespace quarnel
