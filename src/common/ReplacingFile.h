// A file written beside its final name and renamed over it once whole: a failed write, a second
// run writing the same file at the same time or a reader never meets a torn file, and an older
// file of that name stays whole until the new one replaces it.
#pragma once

#include "common/FileIO.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace quarnel {

class TReplacingFile {
public:
  TReplacingFile() = default;
  // Removes the file beside the target unless it was committed.
  ~TReplacingFile();
  TReplacingFile(const TReplacingFile&) = delete;
  TReplacingFile& operator=(const TReplacingFile&) = delete;

  // Creates a file beside target, in its folder, named target + ".partial-" and a number that
  // no file there has, for writing and shared with no other opener. A target that is neither
  // a regular file nor a directory (a device such as /dev/null, a FIFO) cannot be replaced:
  // it is opened and written as it is. False when target is a directory or the file cannot
  // be made or opened; LastSystemError() then tells why.
  bool Create(const std::string& target);
  // Writes count bytes; returns how many were stored, -1 on failure (as TFile::Write).
  int64_t Write(const void* buffer, size_t count);
  // Closes the file; false when the system reports that its last writes failed.
  bool Close();
  // Closes the file if open and renames it over the target; false on failure, when the target
  // stays as it was (and the file beside goes with the object).
  bool Commit();

  // The name of the file beside the target (empty before Create).
  const std::string& PartialName() const { return Partial; }

private:
  TFile File;
  std::string Target, Partial;
};

} // namespace quarnel
