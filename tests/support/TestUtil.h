// Test helpers: temporary folders, whole files, comparing maps and running the built programs.
#pragma once

#include "support/PlainForms.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
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
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The message of the exception that f raises, or "<no error>".
template <class F> std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "<no error>";
}

inline ::testing::AssertionResult SameCells(const TPathmap& a, const TPathmap& b) {
  if (a.Size() != b.Size())
    return ::testing::AssertionFailure() << "sizes " << a.Size() << " and " << b.Size();
  for (uint32_t r = 0; r < a.Size(); ++r)
    for (uint32_t c = 0; c < a.Size(); ++c)
      if (a.IsBlocked(r, c) != b.IsBlocked(r, c))
        return ::testing::AssertionFailure() << "cell (" << r << ", " << c << ") differs";
  return ::testing::AssertionSuccess();
}

// Splits console output into lines, each of which must end in "\r\n".
inline std::vector<std::string> Lines(const std::string& output) {
  std::vector<std::string> lines;
  for (size_t start = 0; start < output.size();) {
    const size_t end = output.find("\r\n", start);
    if (end == std::string::npos)
      return lines.push_back("<unterminated>" + output.substr(start)), lines;
    lines.push_back(output.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

#ifndef _WIN32
struct RunResult {
  int Status = -1; // exit status, or -1 when the process did not exit normally
  std::string Output, Error;
};

// Runs exe with args in the folder cwd; limits, when given, runs in the child first.
inline RunResult RunProgram(const std::string& exe, const std::vector<std::string>& args,
                            const fs::path& cwd, const std::function<void()>& limits = {}) {
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0)
    return {};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], 1);
    dup2(err[1], 2);
    for (int fd : {out[0], out[1], err[0], err[1]})
      close(fd);
    if (chdir(cwd.c_str()) != 0)
      _exit(127);
    alarm(120); // a hang fails its test instead of stopping the suite
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
  close(out[1]);
  close(err[1]);
  RunResult result;
  // Standard error is small: read it after the output, which may be large.
  for (auto [fd, text] : {std::pair{out[0], &result.Output}, std::pair{err[0], &result.Error}}) {
    char buffer[4096];
    for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;)
      text->append(buffer, static_cast<size_t>(got));
    close(fd);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}
#endif

} // namespace testutil
