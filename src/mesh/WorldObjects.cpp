// Loading a world's objects and giving each its collision mesh.
#include "mesh/WorldObjects.h"

namespace quarnel {

namespace {

// True when name, with its ASCII letters lowered, is lower.
bool IsNamed(std::string_view name, std::string_view lower) {
  return name.size() == lower.size() && LowerAscii(name) == lower;
}

} // namespace

void ApplyNameAliases(TStaticObjectNode& node) {
  if (IsNamed(node.Name, "ammobox"))
    node.Name = "AmmoBox_m1";
  if (IsNamed(node.Name, "mediclocker"))
    node.Name = "MedicLocker_m1";
}

void TWorldMeshes::Load(TStaticObjectMeshNode& node) {
  ApplyNameAliases(node);
  const std::lock_guard<std::mutex> guard(Lock);
  const auto [named, added] = ByName.try_emplace(node.Name);
  if (added) {
    try {
      Cache.LoadCollisionMesh(Dir + node.Name + ".sm", node);
      named->second.Mesh = node.Mesh;
    } catch (...) {
      named->second.Failure = std::current_exception();
    }
  }
  if (named->second.Failure)
    std::rethrow_exception(named->second.Failure);
  node.Mesh = named->second.Mesh;
  node.HasMesh = node.Mesh != nullptr;
}

void LoadWorldMeshes(const std::string& meshDir, TStaticObjectLL& objects) {
  TWorldMeshes meshes(meshDir);
  for (TLinkedListNode* n = objects.Head; n != nullptr; n = n->Next)
    meshes.Load(static_cast<TStaticObjectMeshNode&>(*n));
}

void LoadWorldObjects(const std::string& objectFile, const std::string& meshDir,
                      TStaticObjectLL& objects, std::vector<std::string>* writtenNames) {
  objects.LoadFromFile(objectFile, CreateNodeOf<TStaticObjectMeshNode>);
  if (writtenNames != nullptr)
    for (const TLinkedListNode* n = objects.Head; n != nullptr; n = n->Next)
      writtenNames->push_back(static_cast<const TStaticObjectNode*>(n)->Name);
  LoadWorldMeshes(meshDir, objects);
}

} // namespace quarnel
