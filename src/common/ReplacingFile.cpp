// Writing a file beside its final name and renaming it over that name.
#include "common/ReplacingFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace quarnel {

namespace {

#ifdef _WIN32
void SetLastSystemError(bool directory) {
  SetLastError(directory ? ERROR_ACCESS_DENIED : ERROR_FILE_EXISTS);
}
bool NameTaken() {
  return GetLastError() == ERROR_FILE_EXISTS;
}
uint64_t ProcessNumber() {
  return static_cast<uint64_t>(_getpid());
}
#else
void SetLastSystemError(bool directory) {
  errno = directory ? EISDIR : EEXIST;
}
bool NameTaken() {
  return errno == EEXIST;
}
uint64_t ProcessNumber() {
  return static_cast<uint64_t>(getpid());
}
#endif

// A number for the next file beside a target: this process's, and a count and the clock's
// ticks, which differ from call to call.
std::string PartialNumber() {
  static std::atomic<uint64_t> count{0};
  const auto ticks =
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  const uint64_t mixed = (ticks ^ (count++ * 0x9E3779B97F4A7C15u)) * 0xBF58476D1CE4E5B9u;
  return std::to_string(ProcessNumber()) + "-" + std::to_string(mixed % 1000000007u);
}

} // namespace

TReplacingFile::~TReplacingFile() {
  if (!Partial.empty()) {
    File.Close();
    DeleteFileNamed(Partial);
  }
}

bool TReplacingFile::Create(const std::string& target) {
  const TFileKind kind = FileKindOf(target);
  if (kind == TFileKind::Directory) {
    SetLastSystemError(/*directory=*/true);
    return false;
  }
  Target = target;
  if (kind == TFileKind::Other)
    return File.OpenForWriting(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = target + ".partial-" + PartialNumber();
    if (File.CreateNew(name)) {
      Partial = name;
      return true;
    }
    if (!NameTaken())
      return false;
  }
  SetLastSystemError(/*directory=*/false);
  return false;
}

int64_t TReplacingFile::Write(const void* buffer, size_t count) {
  return File.Write(buffer, count);
}

bool TReplacingFile::Close() {
  return File.Close();
}

bool TReplacingFile::Commit() {
  if (!File.Close() || (!Partial.empty() && !RenameReplacing(Partial, Target)))
    return false;
  Partial.clear();
  return true;
}

} // namespace quarnel
