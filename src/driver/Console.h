// Console lines: every line the program prints ends with a carriage return and a line feed.
#pragma once

#include <ostream>
#include <string_view>

namespace quarnel {

inline void WriteLine(std::ostream& out, std::string_view text = {}) {
  out << text << "\r\n";
}

} // namespace quarnel
