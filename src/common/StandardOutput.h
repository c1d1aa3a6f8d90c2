// Standard output that knows whether all of it was written.
#pragma once

#include <streambuf>

namespace quarnel {

// Puts a buffer under std::cout, for as long as the object lives, that writes through stdio
// and keeps the system's reason for the first write that failed (a full disk, a closed pipe).
class TStandardOutput {
public:
  TStandardOutput();
  ~TStandardOutput();
  TStandardOutput(const TStandardOutput&) = delete;
  TStandardOutput& operator=(const TStandardOutput&) = delete;

  // Flushes std::cout and stdio; 0 when everything reached standard output, else errno of the
  // first failure.
  int Finish();

private:
  class TBuffer : public std::streambuf {
  public:
    TBuffer() { setp(Bytes, Bytes + sizeof Bytes); }
    int Error = 0;

  protected:
    int_type overflow(int_type c) override;
    int sync() override;

  private:
    bool Drain();
    void Fail();
    char Bytes[8192];
  };

  TBuffer Buffer;
  std::streambuf* Before;
};

} // namespace quarnel
