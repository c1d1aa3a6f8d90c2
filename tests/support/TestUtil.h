// Test helpers: temporary folders, whole files, comparing maps and running the built programs.
#pragma once

#include "support/PlainForms.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
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

#ifndef _WIN32
// Shell commands that let files grow to the given count of 512-byte blocks: a write beyond
// that fails with EFBIG.
inline std::string FileSizeLimit(size_t blocks) {
  return "trap '' XFSZ; ulimit -f " + std::to_string(blocks) + ";";
}

struct RunResult {
  int Status = -1; // exit status, or -1 when the process did not exit normally
  std::string Output, Error;
};

// Runs exe with args in the folder cwd through the shell, after the shell commands in setup
// (limits, environment), its standard output sent to output (else kept in Output); a run that
// hangs is ended after two minutes.
inline RunResult RunProgram(const std::string& exe, const std::vector<std::string>& args,
                            const fs::path& cwd, const std::string& setup = "",
                            const std::string& output = "") {
  auto quote = [](const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
      quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
  };
  const TempDir out;
  std::string command = "cd " + quote(cwd.string()) + " && " + setup + " timeout 120 " + quote(exe);
  for (const std::string& arg : args)
    command += " " + quote(arg);
  command += " > " + quote(output.empty() ? (out / "out").string() : output) + " 2> " +
             quote((out / "err").string());
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out / "out"),
          ReadFile(out / "err")};
}
#endif

} // namespace testutil
