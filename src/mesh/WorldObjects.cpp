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
  if (const auto known = ByName.find(node.Name); known != ByName.end()) {
    node.Mesh = known->second;
    node.HasMesh = node.Mesh != nullptr;
    return;
  }
  Cache.LoadCollisionMesh(Dir + node.Name + ".sm", node);
  ByName.emplace(node.Name, node.Mesh);
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
