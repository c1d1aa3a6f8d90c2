// Shared types of the whole system: vectors, faces, matrices, map classes and errors.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quarnel {

// Every failure of the system is an Exception carrying the message the user sees.
class Exception : public std::runtime_error {
public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// A text file could not be opened, read or written; Code is the system's error code.
class EInOutError : public Exception {
public:
  EInOutError(int code, const std::string& message) : Exception(message), Code(code) {}
  int Code;
};

// A number word of the object file that does not convert to a double.
class EConvertError : public Exception {
public:
  using Exception::Exception;
};

// The run-time failures, with the messages the user sees.
inline constexpr const char* kOutOfMemory = "Out of memory";
inline constexpr const char* kRangeCheckError = "Range check error";
inline constexpr const char* kFloatOverflow = "Floating point overflow";
inline constexpr const char* kInvalidFloatOp = "Invalid floating point operation";

// Names are compared with their ASCII letters lowered; no other character changes.
inline char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string LowerAscii(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered)
    c = LowerAscii(c);
  return lowered;
}

struct TVector3 {
  double X = 0, Y = 0, Z = 0;
};

struct TVector4 {
  double x = 0, y = 0, z = 0, w = 0;
};

// Three 0-based vertex indices into the same mesh's vertices.
struct TFace {
  int32_t A = 0, B = 0, C = 0;
};

// Four rows of four, row by row; points are row vectors multiplied from the left and
// row 3 holds the translation.
struct TMatrix4 {
  double m[4][4] = {};
};

enum class MapClass { Infantry, Tank, Car };

} // namespace quarnel
