// Case-insensitive lookup of mesh files in listed directories.
#include "mesh/MeshDirectory.h"

#include "common/FileIO.h"
#include "common/UTypes.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace quarnel {

std::string MeshDirectoryOf(std::string_view argument) {
  std::string dir(argument);
  if (dir.empty() || dir.back() != kPathDelimiter)
    dir += kPathDelimiter;
  return dir;
}

std::string TMeshDirectory::ResolveFileName(const std::string& fileName) {
  const auto known = Resolved.find(fileName);
  if (known != Resolved.end())
    return known->second;
  std::string found;
  if (IsRegularFile(fileName)) {
    found = StoredFileName(fileName); // the folder's spelling also where case is ignored
  } else {
#ifndef _WIN32
    const size_t slash = fileName.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : fileName.substr(0, slash + 1);
    const std::string name = fileName.substr(dir.size());
    auto listing = Listings.find(dir);
    if (listing == Listings.end()) {
      listing = Listings.emplace(dir, std::map<std::string, std::vector<std::string>>()).first;
      std::error_code ec;
      std::filesystem::directory_iterator it(dir.empty() ? "." : dir, ec);
      for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::string entry = it->path().filename().string();
        listing->second[LowerAscii(entry)].push_back(std::move(entry));
      }
      for (auto& [lowered, entries] : listing->second)
        std::sort(entries.begin(), entries.end());
    }
    const auto candidates = listing->second.find(LowerAscii(name));
    if (!name.empty() && candidates != listing->second.end()) {
      for (const std::string& entry : candidates->second)
        if (IsRegularFile(dir + entry)) {
          found = dir + entry;
          break;
        }
    }
#endif
  }
  Resolved.emplace(fileName, found);
  return found;
}

} // namespace quarnel
