// Numbers in the text the tools print.
#pragma once

#include <charconv>
#include <string>

namespace quarnel {

// The shortest decimal text that reads back as the same double ("10", "0.1", "1e+300", "-0").
inline std::string NumberText(double value) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

} // namespace quarnel
