#pragma once

#include <cstddef>
#include <string_view>

namespace morvit {

// The longest beginning of a UTF-8 text that has at most `bytes` bytes and ends where a
// character ends: a text cut by bytes must not keep half a character (a name of 40 "ü" cut
// at 69 bytes keeps 34 of them, 68 bytes). Bytes that are no UTF-8 count as characters of
// their own.
constexpr std::string_view cut_at_character(std::string_view text, std::size_t bytes) {
  if (text.size() <= bytes) return text;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  // The first byte of the character that holds text[bytes], at most three bytes back.
  std::size_t back = 0;
  while (back < 3 && back < bytes && (byte(bytes - back) & 0xc0) == 0x80) ++back;
  if (back == 0) return text.substr(0, bytes);
  const unsigned char lead = byte(bytes - back);
  const std::size_t length = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 1;
  // The cut splits that character only when it reaches that far.
  return text.substr(0, back < length ? bytes - back : bytes);
}

}  // namespace morvit
