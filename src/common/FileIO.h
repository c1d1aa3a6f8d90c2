// Thin, owning wrapper over the platform's file handles.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quarnel {

// The delimiter that ends a folder name in a path.
#ifdef _WIN32
inline constexpr char kPathDelimiter = '\\';
#else
inline constexpr char kPathDelimiter = '/';
#endif

// The error code of the last failed system call: errno, or GetLastError on Windows.
int LastSystemError();

// True when name is an existing regular file: directories, FIFOs and devices are not.
bool IsRegularFile(const std::string& name);

// True when name exists and is not a directory.
bool ExistsAsNonDirectory(const std::string& name);

// The name of an existing file as its folder stores it, the folder part of name kept: on
// Windows, whose file names match without regard to letter case, "m\\bunker_m1.sm" may be stored
// as "m\\Bunker_M1.sm"; elsewhere name itself.
std::string StoredFileName(const std::string& name);

// Deletes a file; false on failure.
bool DeleteFileNamed(const std::string& name);

// An open file, closed when the object goes. Failing calls return false (or -1) and leave
// the system's error code in LastSystemError().
class TFile {
public:
  TFile() = default;
  ~TFile();
  TFile(TFile&& other) noexcept;
  TFile& operator=(TFile&& other) noexcept;
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;

  // Opens an existing file for reading only.
  bool OpenForReading(const std::string& name);
  // Creates the file anew (truncating one that is still there) for writing; with
  // exclusive, for reading and writing and shared with no other opener.
  bool Create(const std::string& name, bool exclusive);

  bool IsOpen() const;
  // Reads up to count bytes, fewer only at the end of the file; -1 on failure.
  int64_t Read(void* buffer, size_t count);
  // Writes count bytes; returns how many were stored, -1 on failure.
  int64_t Write(const void* buffer, size_t count);
  // Moves the read position by offset bytes from where it stands.
  bool Seek(int64_t offset);
  // The size of the open file in bytes, -1 when it has none (a pipe).
  int64_t FileSize() const;
  bool Close();

private:
#ifdef _WIN32
  void* Handle = nullptr;
#else
  int Fd = -1;
#endif
};

} // namespace quarnel
