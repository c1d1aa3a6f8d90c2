// Fuzz target: any bytes read as an object file give a whole object list, with the objects
// read before a failure, or a quarnel::Exception with a message.
#include "readcon/ReadCon.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

using namespace quarnel;

static std::string FileName;

static void Require(bool condition, const char* what) {
  if (!condition)
    std::fprintf(stderr, "broken: %s\n", what), std::abort();
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FileName = (std::filesystem::temp_directory_path() /
              ("quarnel-fuzz-" + std::to_string(getpid()) + ".con"))
                 .string();
  std::atexit([] { std::remove(FileName.c_str()); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(FileName.c_str(), "wb");
  Require(f != nullptr && std::fwrite(data, 1, size, f) == size && std::fclose(f) == 0,
          "input file");
  TStaticObjectLL list;
  try {
    list.LoadFromFile(FileName, CreateNodeOf<TStaticObjectNode>);
  } catch (const Exception& e) {
    Require(*e.what() != '\0', "a message");
  }
  int32_t count = 0;
  const TLinkedListNode* prev = nullptr;
  for (const TLinkedListNode* n = list.Head; n != nullptr; prev = n, n = n->Next, ++count) {
    const auto& o = static_cast<const TStaticObjectNode&>(*n);
    Require(n->Prev == prev && !o.Name.empty() && o.Name.size() <= 255 && o.Line >= 1, "node");
  }
  // "object.create" and a name take at least 15 bytes.
  Require(list.Tail == prev && list.Count == count && size_t(count) * 15 <= size, "list");
  return 0;
}
