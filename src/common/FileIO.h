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

// What a name stands for, links followed: nothing, a regular file, a directory, or something
// else (a device, a FIFO).
enum class TFileKind { None, Regular, Directory, Other };
TFileKind FileKindOf(const std::string& name);

// The name of an existing file as its folder stores it, the folder part of name kept: on
// Windows, whose file names match without regard to letter case, "m\\bunker_m1.sm" may be stored
// as "m\\Bunker_M1.sm"; elsewhere name itself.
std::string StoredFileName(const std::string& name);

// Deletes a file; false on failure.
bool DeleteFileNamed(const std::string& name);

// Renames the file from over the file to, which may exist (and is then replaced at once: a
// reader sees the one file or the other); false on failure.
bool RenameReplacing(const std::string& from, const std::string& to);

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
  // Creates a new file for reading and writing, shared with no other opener; fails when a
  // file of that name exists.
  bool CreateNew(const std::string& name);
  // Opens an existing file (a device, say) for writing, as it is.
  bool OpenForWriting(const std::string& name);

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
