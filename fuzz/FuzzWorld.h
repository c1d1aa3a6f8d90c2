// What the fuzz targets share: the check that aborts with what broke, a work folder of their
// own, and the input cut into parts at a separator (for whole worlds: the object file and two
// meshes).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace fuzzworld {

namespace fs = std::filesystem;

inline void Require(bool condition, const char* what) {
  if (!condition)
    std::fprintf(stderr, "broken: %s\n", what), std::abort();
}

// Makes a folder of this process, with meshes/ in it, the current folder; it is removed at exit.
inline void EnterWorkFolder(const std::string& name) {
  static fs::path dir;
  dir = fs::temp_directory_path() / (name + "-" + std::to_string(getpid()));
  fs::create_directories(dir / "meshes");
  fs::current_path(dir);
  std::atexit([] {
    std::error_code ec;
    fs::current_path(dir.parent_path(), ec);
    fs::remove_all(dir, ec);
  });
}

// The parts of the input between the separators, at most three.
inline std::vector<std::string_view> CutInput(const uint8_t* data, size_t size) {
  constexpr std::string_view kSeparator = "\n~~quarnel~~\n";
  std::vector<std::string_view> parts;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  while (true) {
    const size_t cut = parts.size() < 2 ? rest.find(kSeparator) : std::string_view::npos;
    parts.push_back(rest.substr(0, cut));
    if (cut == std::string_view::npos)
      return parts;
    rest.remove_prefix(cut + kSeparator.size());
  }
}

// Writes objects.con, meshes/a.sm and meshes/b.sm from the parts of the input; a missing part
// is a missing file.
inline void WriteWorld(const uint8_t* data, size_t size) {
  const char* const files[] = {"objects.con", "meshes/a.sm", "meshes/b.sm"};
  const std::vector<std::string_view> parts = CutInput(data, size);
  for (size_t k = 0; k < 3; ++k)
    if (k < parts.size())
      std::ofstream(files[k], std::ios::binary | std::ios::trunc) << parts[k];
    else
      fs::remove(files[k]);
}

} // namespace fuzzworld
