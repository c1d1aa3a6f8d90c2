// Finding mesh files whatever the letter case of their names.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

// The mesh folder as given on a command line, with a trailing path delimiter (kPathDelimiter)
// added when it lacks one; an empty name becomes the delimiter alone.
std::string MeshDirectoryOf(std::string_view argument);

// Resolves mesh file names for a whole run; each directory is listed at most once.
class TMeshDirectory {
public:
  // The regular file that fileName names: fileName itself when it is one, otherwise (except
  // on Windows, whose file system ignores case already) the first entry of its directory, in
  // byte-wise order, that is a regular file whose name equals the wanted name ignoring ASCII
  // letter case. Empty when there is none.
  std::string ResolveFileName(const std::string& fileName);

private:
  // Directory (as written, with its trailing '/') -> lowered entry name -> the entries of that
  // lowered name, in byte-wise order.
  std::map<std::string, std::map<std::string, std::vector<std::string>>> Listings;
  std::map<std::string, std::string> Resolved;
};

} // namespace quarnel
