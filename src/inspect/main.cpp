// quarnel-inspect: checks, describes, draws and compares the map files that quarnel writes.
#include "inspect/CommandLine.h"
#ifdef QUARNEL_INSPECT_PNG
#include "pictures/PngWriter.h"
#endif
#ifdef QUARNEL_INSPECT_VIEW
#include "viewer/ViewPage.h"
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#endif

namespace {

// Standard output through stdio, keeping the system's reason for the first write that failed.
class TCheckedOutput : public std::streambuf {
public:
  TCheckedOutput() { setp(Buffer, Buffer + sizeof Buffer); }
  int Error = 0; // errno of the first failure, 0 while all is written

protected:
  int_type overflow(int_type c) override {
    if (!Drain())
      return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof()))
      sputc(traits_type::to_char_type(c));
    return traits_type::not_eof(c);
  }
  int sync() override {
    if (Drain() && std::fflush(stdout) == 0)
      return 0;
    Fail();
    return -1;
  }

private:
  bool Drain() {
    const auto count = static_cast<size_t>(pptr() - pbase());
    const bool whole = std::fwrite(pbase(), 1, count, stdout) == count;
    setp(Buffer, Buffer + sizeof Buffer);
    if (!whole)
      Fail();
    return whole;
  }
  void Fail() {
    if (Error == 0)
      Error = errno != 0 ? errno : EIO;
  }

  char Buffer[8192];
};

// Puts the output under std::cout for as long as the object lives.
struct TStandardOutput {
  TCheckedOutput Output;
  std::streambuf* Before = std::cout.rdbuf(&Output);
  ~TStandardOutput() { std::cout.rdbuf(Before); }
};

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // Lines end in "\n" on every platform, so that the output (JSON above all) is the same bytes.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
  const std::vector<std::string> args(argv + 1, argv + argc);
  quarnel::TImageWriter writePng;
#ifdef QUARNEL_INSPECT_PNG
  writePng = quarnel::WritePng;
#endif
  quarnel::TViewWriter writeView;
#ifdef QUARNEL_INSPECT_VIEW
  writeView = quarnel::WriteViewPage;
#endif
  TStandardOutput standard;
  const int status = quarnel::RunInspect(args, std::cout, std::cerr, writePng, writeView);
  // A report that did not reach standard output (a full disk, a closed pipe) fails the run,
  // whatever the mode found.
  std::cout.flush();
  if (standard.Output.Error != 0) {
    std::cerr << "quarnel-inspect: cannot write standard output: "
              << std::strerror(standard.Output.Error) << "\n";
    return quarnel::kInspectError;
  }
  return status;
}
