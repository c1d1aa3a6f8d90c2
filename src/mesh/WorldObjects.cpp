// Loading a world's objects and giving each its collision mesh.
#include "mesh/WorldObjects.h"

namespace quarnel {

void ApplyNameAliases(TStaticObjectNode& node) {
  if (LowerAscii(node.Name) == "ammobox")
    node.Name = "AmmoBox_m1";
  if (LowerAscii(node.Name) == "mediclocker")
    node.Name = "MedicLocker_m1";
}

void LoadWorldMeshes(const std::string& meshDir, TStaticObjectLL& objects) {
  TMeshCache meshes;
  for (TLinkedListNode* n = objects.Head; n != nullptr; n = n->Next) {
    auto& node = static_cast<TStaticObjectMeshNode&>(*n);
    ApplyNameAliases(node);
    meshes.LoadCollisionMesh(meshDir + node.Name + ".sm", node);
  }
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
