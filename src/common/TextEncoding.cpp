// Bytes of the system's code page as UTF-8.
#include "common/TextEncoding.h"

#include <cstdint>

namespace quarnel {

namespace {

// Windows-1252 bytes 0x80 to 0x9F; from 0xA0 on the code page is Latin-1, byte b being U+00b.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The length of the well-formed UTF-8 sequence that starts at bytes[i], or 0 when none does
// (the table of well-formed byte sequences of RFC 3629, section 4).
size_t SequenceLength(std::string_view bytes, size_t i) {
  const auto at = [&](size_t k) { return static_cast<uint8_t>(bytes[i + k]); };
  const uint8_t lead = at(0);
  size_t length = 0;
  uint8_t lo = 0x80, hi = 0xBF; // the allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    lo = lead == 0xE0 ? 0xA0 : 0x80; // no overlong form
    hi = lead == 0xED ? 0x9F : 0xBF; // no surrogate
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    lo = lead == 0xF0 ? 0x90 : 0x80;
    hi = lead == 0xF4 ? 0x8F : 0xBF; // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (bytes.size() - i < length || at(1) < lo || at(1) > hi)
    return 0;
  for (size_t k = 2; k < length; ++k)
    if (at(k) < 0x80 || at(k) > 0xBF)
      return 0;
  return length;
}

} // namespace

std::string Utf8FromSystemText(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    const auto byte = static_cast<uint8_t>(bytes[i]);
    if (byte < 0x80) {
      out += bytes[i++];
    } else if (const size_t length = SequenceLength(bytes, i); length != 0) {
      out.append(bytes.substr(i, length));
      i += length;
    } else {
      AppendUtf8(out, byte < 0xA0 ? kHighControls[byte - 0x80] : char32_t{byte});
      ++i;
    }
  }
  return out;
}

} // namespace quarnel
