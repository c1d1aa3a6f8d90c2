// Text handed to readers that expect Unicode: JSON documents and the viewer page's data.
#pragma once

#include <string>
#include <string_view>

namespace quarnel {

// The system's bytes (paths, object names) as UTF-8. A well-formed UTF-8 sequence (RFC 3629: no
// overlong form, no surrogate, nothing above U+10FFFF) is kept as it is; every other byte is read
// as Windows-1252, the code page of the tool's home platform, so 0xE9 becomes "é" (C3 A9) and
// 0x80 "€". The five bytes that code page leaves undefined stand for the C1 controls of their
// value.
std::string Utf8FromSystemText(std::string_view bytes);

} // namespace quarnel
