// The values of quarnel-inspect's options: decimal numbers and cells.
#pragma once

#include <cstdint>
#include <string_view>

namespace quarnel {

// A decimal number of at most limit: one to ten digits "0" to "9" and nothing else (no sign,
// no space). Sets value and returns true; returns false and leaves value alone otherwise.
bool ParseDecimal(std::string_view text, uint32_t limit, uint32_t& value);

// A cell "ROW,COL": two decimal numbers of 32 bits around one comma ("1a,2", "x,5", "1,",
// "1,2,3" are refused). Sets row and column and returns true; returns false otherwise.
bool ParseCell(std::string_view text, uint32_t& row, uint32_t& column);

} // namespace quarnel
