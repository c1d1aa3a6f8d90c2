// The input of the whole-run fuzz target: an object file and two mesh files in one byte string.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace fuzzinput {

// Separates the object file from the first mesh file and that from the second. A part that
// is missing means that file is missing; separators after the second stay in the last part.
inline constexpr std::string_view kSeparator = "\n~~quarnel~~\n";

// The mesh files of the run, in input order; objects name them "a" and "b".
inline constexpr std::array<const char*, 2> kMeshNames = {"a.sm", "b.sm"};

struct RunInput {
  std::string_view Objects;
  std::array<std::string_view, 2> Meshes;
  int MeshCount = 0; // how many mesh files are present
};

inline RunInput Split(std::string_view input) {
  RunInput parts;
  size_t cut = input.find(kSeparator);
  parts.Objects = input.substr(0, cut);
  while (cut != std::string_view::npos && parts.MeshCount < 2) {
    input.remove_prefix(cut + kSeparator.size());
    cut = parts.MeshCount == 0 ? input.find(kSeparator) : std::string_view::npos;
    parts.Meshes[static_cast<size_t>(parts.MeshCount++)] = input.substr(0, cut);
  }
  return parts;
}

inline std::string Join(const std::string& objects, const std::string& a, const std::string& b) {
  std::string out = objects;
  out += kSeparator;
  out += a;
  out += kSeparator;
  out += b;
  return out;
}

} // namespace fuzzinput
