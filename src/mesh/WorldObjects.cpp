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

void TWorldMeshes::Load(TStaticObjectMeshNode& node, TSeen& seen) {
  ApplyNameAliases(node);
  if (const auto known = seen.Meshes.find(node.Name); known != seen.Meshes.end()) {
    node.Mesh = known->second;
    node.HasMesh = node.Mesh != nullptr;
    return;
  }
  LoadNamed(node);
  seen.Meshes.emplace(node.Name, node.Mesh);
}

// The first thread to meet a name reads its file, without the lock, so that threads that need
// other names go on; those that need the same name wait for it.
void TWorldMeshes::LoadNamed(TStaticObjectMeshNode& node) {
  std::unique_lock<std::mutex> guard(Lock);
  const auto [entry, added] = ByName.try_emplace(node.Name);
  TNamed& named = entry->second;
  if (added) {
    const std::string fileName = Dir + node.Name + ".sm";
    const std::string path = Directory.ResolveFileName(fileName);
    guard.unlock();
    TNamed read;
    try {
      static thread_local std::vector<uint8_t> bytes; // kept from one file to the next
      if (!path.empty())
        read.Mesh = ReadCollisionMeshFile(path, fileName, bytes);
    } catch (...) {
      read.Failure = std::current_exception();
    }
    read.Read = true;
    guard.lock();
    named = std::move(read);
    NameRead.notify_all();
  }
  NameRead.wait(guard, [&] { return named.Read; });
  if (named.Failure)
    std::rethrow_exception(named.Failure);
  node.Mesh = named.Mesh;
  node.HasMesh = node.Mesh != nullptr;
}

void LoadWorldMeshes(const std::string& meshDir, TStaticObjectLL& objects) {
  TWorldMeshes meshes(meshDir);
  TWorldMeshes::TSeen seen;
  for (TLinkedListNode* n = objects.Head; n != nullptr; n = n->Next)
    meshes.Load(static_cast<TStaticObjectMeshNode&>(*n), seen);
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
