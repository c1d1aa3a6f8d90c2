// The entry point: banner, usage text, arguments and the failure handler.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace quarnel {

// The world size argument: a signed 32-bit integer (decimal, or hexadecimal after "$",
// "x", "X", "0x" or "0X") whose bits are taken as unsigned; 2048 when the text is no
// such integer.
uint32_t ParseWorldSize(std::string_view text);

// The threads a run uses: setting (the value of QUARNEL_THREADS, null when it is not set)
// when it is a whole number from 1 to 1024 in decimal digits alone, otherwise hardware (the
// hardware's thread count, 0 when unknown) or 1 when that is 0.
unsigned ThreadCountOf(const char* setting, unsigned hardware);

// The program's file name without its directory.
std::string ProgramNameOf(std::string_view argv0);

// Runs the program on its arguments (args[0] is the program itself), printing to out, and
// returns the exit status.
int RunQuarnel(int argc, const char* const* argv, std::ostream& out);

} // namespace quarnel
