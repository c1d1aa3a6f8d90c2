// The entry point's argument handling and failure handler.
#include "driver/CommandLine.h"

#include "common/UTypes.h"
#include "driver/Console.h"
#include "driver/GenerateMaps.h"
#include "mesh/MeshDirectory.h"

#include <cstdlib>
#include <new>
#include <thread>

namespace quarnel {

namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

} // namespace

uint32_t ParseWorldSize(std::string_view text) {
  constexpr uint32_t kDefault = 2048;
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == text.size())
    return kDefault;
  const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 2147483648ull : 2147483647ull);
  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const int digit =
        hex ? HexDigitValue(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (digit < 0)
      return kDefault;
    value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
    if (value > limit)
      return kDefault;
  }
  const auto bits = static_cast<uint32_t>(value);
  return negative ? 0u - bits : bits;
}

unsigned ThreadCountOf(const char* setting, unsigned hardware) {
  constexpr unsigned kMost = 1024;
  unsigned count = 0;
  for (const char* c = setting; c != nullptr && *c != '\0' && count <= kMost; ++c)
    count = *c >= '0' && *c <= '9' ? 10 * count + static_cast<unsigned>(*c - '0') : kMost + 1;
  if (count >= 1 && count <= kMost)
    return count;
  return hardware == 0 ? 1 : hardware;
}

std::string ProgramNameOf(std::string_view argv0) {
  const size_t slash = argv0.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? argv0 : argv0.substr(slash + 1));
}

int RunQuarnel(int argc, const char* const* argv, std::ostream& out) {
  WriteLine(out);
  WriteLine(out, "Quarnel 1.1 by Ostwyn");
  WriteLine(out, "Create a pathfinding map with static objects pathed out");
  WriteLine(out);

  if (argc - 1 != 3) {
    const std::string name = ProgramNameOf(argc > 0 && argv[0] != nullptr ? argv[0] : "quarnel");
    WriteLine(out, "Usage: " + name + " <ObjectFile> <StandardMeshDir> <WorldSize>");
    WriteLine(out);
    WriteLine(out, "For example: " + name + " StaticObjects.con C:\\Korvath\\StandardMesh\\ 2048");
    out.flush();
    return 0;
  }

  const uint32_t worldSize = ParseWorldSize(argv[3]);
  const std::string meshDir = MeshDirectoryOf(argv[2]);
  const std::string objectFile = argv[1];
  int status = 0;
  try {
    GenerateMaps(
        objectFile, meshDir, worldSize, out,
        ThreadCountOf(std::getenv("QUARNEL_THREADS"), std::thread::hardware_concurrency()));
  } catch (const std::bad_alloc&) {
    WriteLine(out, kOutOfMemory);
    status = 1;
  } catch (const std::exception& e) {
    WriteLine(out, e.what());
    status = 1;
  }
  out.flush();
  return status;
}

} // namespace quarnel
