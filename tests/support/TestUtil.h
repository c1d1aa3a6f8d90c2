// Test helpers: temporary folders, whole files, and running the built tool.
#pragma once

#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

// QUARNEL_TEST_ASAN is 1 in a build with AddressSanitizer, whose shadow memory takes terabytes
// of address space: address-space limits cannot be used there.
#if defined(__SANITIZE_ADDRESS__)
#define QUARNEL_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUARNEL_TEST_ASAN 1
#endif
#endif
#ifndef QUARNEL_TEST_ASAN
#define QUARNEL_TEST_ASAN 0
#endif

namespace testutil {

namespace fs = std::filesystem;

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
public:
  TempDir() {
    static std::mt19937_64 rng{std::random_device{}()};
    Path = fs::temp_directory_path() / ("quarnel-test-" + std::to_string(rng()));
    fs::create_directories(Path);
  }
  ~TempDir() {
    std::error_code ec;
    fs::permissions(Path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(Path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  fs::path operator/(const std::string& name) const { return Path / name; }
  fs::path Path;
};

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct RunResult {
  int Status = -1; // exit status, or -1 when the process did not exit normally
  std::string Output;
  std::string Error;
};

// The message of the exception that f raises, or "<no error>". With E given, an exception
// of any other type than exactly E comes back as "<other error> " and its message.
template <class E = std::exception, class F> std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    if (std::is_same_v<E, std::exception> || typeid(e) == typeid(E))
      return e.what();
    return std::string("<other error> ") + e.what();
  }
  return "<no error>";
}

#ifndef _WIN32
// Runs the program exe with args in the folder cwd and collects its standard output; with
// errorFile, its standard error goes to that file (in cwd), and comes back in Error.
// limits, when given, runs in the child before the program starts (file size limits).
inline RunResult RunProgram(const std::string& exe, const std::vector<std::string>& args,
                            const fs::path& cwd, const std::function<void()>& limits = {},
                            const std::string& errorFile = {}) {
  int fds[2];
  if (pipe(fds) != 0)
    return {};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], 1);
    close(fds[0]);
    close(fds[1]);
    if (chdir(cwd.c_str()) != 0)
      _exit(127);
    if (!errorFile.empty()) {
      const int errFd = open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (errFd < 0 || dup2(errFd, 2) < 0)
        _exit(127);
    }
    if (limits)
      limits();
    std::vector<std::string> copies = args;
    std::string program = exe;
    std::vector<char*> argv{program.data()};
    for (auto& a : copies)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(fds[1]);
  RunResult result;
  char buffer[4096];
  ssize_t got;
  while ((got = read(fds[0], buffer, sizeof buffer)) > 0)
    result.Output.append(buffer, static_cast<size_t>(got));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (!errorFile.empty())
    result.Error = ReadFile(cwd / errorFile);
  return result;
}

// Runs the built quarnel with args in the folder cwd.
inline RunResult RunTool(const std::vector<std::string>& args, const fs::path& cwd,
                         const std::function<void()>& limits = {}) {
  return RunProgram(QUARNEL_EXE, args, cwd, limits);
}
#endif

// Splits console output into lines, checking that each ends in exactly "\r\n".
inline std::vector<std::string> Lines(const std::string& output) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < output.size()) {
    const size_t end = output.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back("<unterminated>" + output.substr(start));
      break;
    }
    lines.push_back(output.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

} // namespace testutil
