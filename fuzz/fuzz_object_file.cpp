// Fuzz target: any bytes read as an object file give an object list or a quarnel::Exception.
#include "readcon/ReadCon.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

using namespace quarnel;

namespace {

std::string FileName;

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
  }
}

// The list is whole (links both ways, Tail and Count agree) and every name is one word of
// at most 255 characters. "object.create" and a name take at least 15 bytes.
void CheckList(const TStaticObjectLL& list, size_t fileSize) {
  int32_t count = 0;
  const TLinkedListNode* prev = nullptr;
  for (const TLinkedListNode* n = list.Head; n != nullptr; n = n->Next) {
    Require(n->Prev == prev, "Prev link");
    const auto& name = static_cast<const TStaticObjectNode*>(n)->Name;
    Require(!name.empty() && name.size() <= TConFileParsingLL::MaxTextLength, "name length");
    for (char c : name)
      Require(TConFileParsingLL::IsWordChar(c), "name character");
    prev = n;
    ++count;
  }
  Require(list.Tail == prev, "Tail");
  Require(list.Count == count, "Count");
  Require(static_cast<size_t>(count) * 15 <= fileSize, "more objects than the file can name");
}

} // namespace

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
          "writing the input file");
  TStaticObjectLL list;
  try {
    list.LoadFromFile(FileName, CreateNodeOf<TStaticObjectNode>);
  } catch (const Exception& e) {
    Require(*e.what() != '\0', "a message");
  }
  // Objects appended before a failure stay in the list.
  CheckList(list, size);
  return 0;
}
