// Platform file handles: POSIX descriptors, or Win32 handles on Windows.
#include "common/FileIO.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quarnel {

#ifdef _WIN32

int LastSystemError() {
  return static_cast<int>(GetLastError());
}

bool IsRegularFile(const std::string& name) {
  const DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

TFileKind FileKindOf(const std::string& name) {
  const DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes == INVALID_FILE_ATTRIBUTES          ? TFileKind::None
         : (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? TFileKind::Directory
         : (attributes & FILE_ATTRIBUTE_DEVICE) != 0    ? TFileKind::Other
                                                        : TFileKind::Regular;
}

std::string StoredFileName(const std::string& name) {
  WIN32_FIND_DATAA data;
  const HANDLE found = FindFirstFileA(name.c_str(), &data);
  if (found == INVALID_HANDLE_VALUE)
    return name;
  FindClose(found);
  const size_t slash = name.find_last_of("\\/");
  return name.substr(0, slash == std::string::npos ? 0 : slash + 1) + data.cFileName;
}

bool DeleteFileNamed(const std::string& name) {
  return DeleteFileA(name.c_str()) != 0;
}

bool RenameReplacing(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

TFile::~TFile() {
  Close();
}

TFile::TFile(TFile&& other) noexcept : Handle(std::exchange(other.Handle, nullptr)) {}

TFile& TFile::operator=(TFile&& other) noexcept {
  if (this != &other) {
    Close();
    Handle = std::exchange(other.Handle, nullptr);
  }
  return *this;
}

bool TFile::OpenForReading(const std::string& name) {
  Close();
  HANDLE h = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return false;
  Handle = h;
  return true;
}

bool TFile::CreateNew(const std::string& name) {
  Close();
  HANDLE h = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return false;
  Handle = h;
  return true;
}

bool TFile::OpenForWriting(const std::string& name) {
  Close();
  HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return false;
  Handle = h;
  return true;
}

bool TFile::IsOpen() const {
  return Handle != nullptr;
}

int64_t TFile::Read(void* buffer, size_t count) {
  auto* out = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < count) {
    const DWORD ask = static_cast<DWORD>(std::min<size_t>(count - done, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(static_cast<HANDLE>(Handle), out + done, ask, &got, nullptr)) {
      if (GetLastError() == ERROR_BROKEN_PIPE)
        break;
      return -1;
    }
    if (got == 0)
      break;
    done += got;
  }
  return static_cast<int64_t>(done);
}

int64_t TFile::Write(const void* buffer, size_t count) {
  const auto* in = static_cast<const char*>(buffer);
  size_t done = 0;
  while (done < count) {
    const DWORD ask = static_cast<DWORD>(std::min<size_t>(count - done, 1u << 30));
    DWORD put = 0;
    if (!WriteFile(static_cast<HANDLE>(Handle), in + done, ask, &put, nullptr))
      return done > 0 ? static_cast<int64_t>(done) : -1;
    if (put == 0)
      break;
    done += put;
  }
  return static_cast<int64_t>(done);
}

bool TFile::Seek(int64_t offset) {
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  return SetFilePointerEx(static_cast<HANDLE>(Handle), distance, nullptr, FILE_CURRENT) != 0;
}

int64_t TFile::FileSize() const {
  LARGE_INTEGER size;
  if (GetFileType(static_cast<HANDLE>(Handle)) != FILE_TYPE_DISK ||
      !GetFileSizeEx(static_cast<HANDLE>(Handle), &size))
    return -1;
  return size.QuadPart;
}

bool TFile::Close() {
  if (Handle == nullptr)
    return true;
  const bool ok = CloseHandle(static_cast<HANDLE>(std::exchange(Handle, nullptr))) != 0;
  return ok;
}

#else

int LastSystemError() {
  return errno;
}

bool IsRegularFile(const std::string& name) {
  struct stat st;
  return stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

TFileKind FileKindOf(const std::string& name) {
  struct stat st;
  return stat(name.c_str(), &st) != 0 ? TFileKind::None
         : S_ISREG(st.st_mode)        ? TFileKind::Regular
         : S_ISDIR(st.st_mode)        ? TFileKind::Directory
                                      : TFileKind::Other;
}

std::string StoredFileName(const std::string& name) {
  return name;
}

bool DeleteFileNamed(const std::string& name) {
  return unlink(name.c_str()) == 0;
}

bool RenameReplacing(const std::string& from, const std::string& to) {
  return rename(from.c_str(), to.c_str()) == 0;
}

TFile::~TFile() {
  Close();
}

TFile::TFile(TFile&& other) noexcept : Fd(std::exchange(other.Fd, -1)) {}

TFile& TFile::operator=(TFile&& other) noexcept {
  if (this != &other) {
    Close();
    Fd = std::exchange(other.Fd, -1);
  }
  return *this;
}

bool TFile::OpenForReading(const std::string& name) {
  Close();
  int fd;
  do {
    fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0)
    return false;
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    // Reading a directory is refused, as opening one is elsewhere.
    close(fd);
    errno = EISDIR;
    return false;
  }
  Fd = fd;
  return true;
}

bool TFile::CreateNew(const std::string& name) {
  Close();
  const int flags = O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC;
  int fd;
  do {
    fd = open(name.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0)
    return false;
  Fd = fd;
  return true;
}

bool TFile::OpenForWriting(const std::string& name) {
  Close();
  int fd;
  do {
    fd = open(name.c_str(), O_WRONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0)
    return false;
  Fd = fd;
  return true;
}

bool TFile::IsOpen() const {
  return Fd >= 0;
}

int64_t TFile::Read(void* buffer, size_t count) {
  auto* out = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < count) {
    const ssize_t got = read(Fd, out + done, std::min<size_t>(count - done, 1u << 30));
    if (got < 0) {
      if (errno == EINTR)
        continue;
      return -1;
    }
    if (got == 0)
      break;
    done += static_cast<size_t>(got);
  }
  return static_cast<int64_t>(done);
}

int64_t TFile::Write(const void* buffer, size_t count) {
  const auto* in = static_cast<const char*>(buffer);
  size_t done = 0;
  while (done < count) {
    const ssize_t put = write(Fd, in + done, std::min<size_t>(count - done, 1u << 30));
    if (put < 0) {
      if (errno == EINTR)
        continue;
      return done > 0 ? static_cast<int64_t>(done) : -1;
    }
    if (put == 0)
      break;
    done += static_cast<size_t>(put);
  }
  return static_cast<int64_t>(done);
}

bool TFile::Seek(int64_t offset) {
  return lseek(Fd, offset, SEEK_CUR) >= 0;
}

int64_t TFile::FileSize() const {
  struct stat st;
  if (fstat(Fd, &st) != 0 || !S_ISREG(st.st_mode))
    return -1;
  return st.st_size;
}

bool TFile::Close() {
  if (Fd < 0)
    return true;
  return close(std::exchange(Fd, -1)) == 0;
}

#endif

} // namespace quarnel
