// The objects of a world with their collision meshes, loaded as the run uses them.
#pragma once

#include "mesh/CollisionMesh.h"
#include "readcon/ReadCon.h"

#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace quarnel {

// Two short names stand for the meshes of the ammunition box and the medic locker: a Name of
// "ammobox" (any letter case) becomes "AmmoBox_m1", then one of "mediclocker" becomes
// "MedicLocker_m1".
void ApplyNameAliases(TStaticObjectNode& node);

// Gives objects their collision meshes one at a time, as LoadWorldMeshes does for a whole list;
// several threads may give objects their meshes at once.
class TWorldMeshes {
public:
  // meshDir ends in a path delimiter.
  explicit TWorldMeshes(std::string meshDir) : Dir(std::move(meshDir)) {}

  // The meshes of the names that one thread has met, which it gives again without the lock.
  class TSeen {
    friend class TWorldMeshes;
    std::unordered_map<std::string, std::shared_ptr<const TCollisionMesh>> Meshes;
  };

  // Applies the object's name aliases and gives it the collision mesh of meshDir + Name + ".sm"
  // (a missing file leaves it without a mesh); raises with the messages of the mesh reader,
  // and then for every object of that name, leaving the object without a mesh. seen is the
  // calling thread's own.
  void Load(TStaticObjectMeshNode& node, TSeen& seen);

private:
  // Gives the object the mesh of its name, reading it when it is the first of its name.
  void LoadNamed(TStaticObjectMeshNode& node);

  // What the name of an object leads to: the file and what it holds do not change during a run.
  struct TNamed {
    bool Read = false; // else a thread is reading it
    std::shared_ptr<const TCollisionMesh> Mesh;
    std::exception_ptr Failure;
  };

  std::string Dir;
  std::mutex Lock; // guards what follows; a file is read without it
  std::condition_variable NameRead;
  TMeshDirectory Directory;
  std::unordered_map<std::string, TNamed> ByName; // whose entries stay where they are
};

// Gives every object of a list loaded with TStaticObjectMeshNode nodes, after its name
// aliases, the collision mesh of meshDir + Name + ".sm" (meshDir ends in a path delimiter; a
// missing file leaves the object without a mesh). Raises with the messages of the mesh reader.
void LoadWorldMeshes(const std::string& meshDir, TStaticObjectLL& objects);

// Loads objectFile into objects, one TStaticObjectMeshNode per "object.create", and gives
// every object its mesh (LoadWorldMeshes). With writtenNames, also gives each object's Name as
// the object file writes it, before its aliases, in list order. Raises with the messages of the
// object list and of the mesh reader.
void LoadWorldObjects(const std::string& objectFile, const std::string& meshDir,
                      TStaticObjectLL& objects, std::vector<std::string>* writtenNames = nullptr);

// The node of a list that LoadWorldObjects filled.
inline const TStaticObjectMeshNode& MeshNodeOf(const TLinkedListNode* node) {
  return *static_cast<const TStaticObjectMeshNode*>(node);
}

} // namespace quarnel
