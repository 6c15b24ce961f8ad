#pragma once

#include <string>
#include <string_view>

namespace morvit {

// The letters a to z in capitals and every other byte as it is: how the run reads its
// command lines, and how names and keywords are compared with what it read.
constexpr char capital(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string capitals(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = capital(c);
  return upper;
}

// True when `text` in capitals is `upper`.
constexpr bool equals_in_capitals(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (capital(text[i]) != upper[i]) return false;
  }
  return true;
}

}  // namespace morvit
