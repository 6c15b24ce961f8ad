#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace morvit {

// The offset of the first byte of `text` that does not belong to a well-formed UTF-8
// character (no overlong forms, no surrogates, nothing beyond U+10FFFF), or npos when the
// whole text is UTF-8.
std::size_t first_byte_not_utf8(std::string_view text);

// Windows-1252 text (what Excel writes as "CSV" on a Western European Windows) as UTF-8:
// every byte one character; the five bytes that code page leaves unassigned (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) become the control characters of the same number, as Windows reads them.
std::string utf8_from_windows_1252(std::string_view text);

}  // namespace morvit
