// What the fuzz targets of whole worlds share: the check that aborts with what broke, a work
// folder of their own, and the world cut from the input.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

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

// Writes objects.con, meshes/a.sm and meshes/b.sm from the parts of the input between the
// separators; a missing part is a missing file.
inline void WriteWorld(const uint8_t* data, size_t size) {
  constexpr std::string_view kSeparator = "\n~~quarnel~~\n";
  const char* const files[] = {"objects.con", "meshes/a.sm", "meshes/b.sm"};
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  for (int i = 0; i < 3; ++i) {
    const size_t cut = i < 2 ? rest.find(kSeparator) : std::string_view::npos;
    std::ofstream(files[i], std::ios::binary | std::ios::trunc) << rest.substr(0, cut);
    if (cut == std::string_view::npos) {
      for (int k = i + 1; k < 3; ++k)
        fs::remove(files[k]);
      return;
    }
    rest.remove_prefix(cut + kSeparator.size());
  }
}

} // namespace fuzzworld
