// Standard output through stdio, its first failure kept.
#include "common/StandardOutput.h"

#include <cerrno>
#include <cstdio>
#include <iostream>

namespace quarnel {

TStandardOutput::TStandardOutput() : Before(std::cout.rdbuf(&Buffer)) {}

TStandardOutput::~TStandardOutput() {
  std::cout.rdbuf(Before);
}

int TStandardOutput::Finish() {
  std::cout.flush();
  return Buffer.Error;
}

TStandardOutput::TBuffer::int_type TStandardOutput::TBuffer::overflow(int_type c) {
  if (!Drain())
    return traits_type::eof();
  if (!traits_type::eq_int_type(c, traits_type::eof()))
    sputc(traits_type::to_char_type(c));
  return traits_type::not_eof(c);
}

int TStandardOutput::TBuffer::sync() {
  if (Drain() && std::fflush(stdout) == 0)
    return 0;
  Fail();
  return -1;
}

bool TStandardOutput::TBuffer::Drain() {
  const auto count = static_cast<size_t>(pptr() - pbase());
  const bool whole = std::fwrite(pbase(), 1, count, stdout) == count;
  setp(Bytes, Bytes + sizeof Bytes);
  if (!whole)
    Fail();
  return whole;
}

void TStandardOutput::TBuffer::Fail() {
  if (Error == 0)
    Error = errno != 0 ? errno : EIO;
}

} // namespace quarnel
