// The values of quarnel-inspect's options: decimal numbers and cells.
#include "inspect/Arguments.h"

namespace quarnel {

bool ParseDecimal(std::string_view text, uint32_t limit, uint32_t& value) {
  // Ten digits stay below 10^10 < 2^64, so the sum cannot overflow.
  if (text.empty() || text.size() > 10)
    return false;
  uint64_t sum = 0;
  for (const char ch : text) {
    if (ch < '0' || ch > '9')
      return false;
    sum = sum * 10 + static_cast<uint64_t>(ch - '0');
  }
  if (sum > limit)
    return false;
  value = static_cast<uint32_t>(sum);
  return true;
}

bool ParseCell(std::string_view text, uint32_t& row, uint32_t& column) {
  const size_t comma = text.find(',');
  uint32_t r = 0, c = 0;
  if (comma == std::string_view::npos || !ParseDecimal(text.substr(0, comma), UINT32_MAX, r) ||
      !ParseDecimal(text.substr(comma + 1), UINT32_MAX, c))
    return false;
  row = r;
  column = c;
  return true;
}

} // namespace quarnel
