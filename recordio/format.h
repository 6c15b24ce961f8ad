#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace morvit {

// One step of a compiled output format.
struct FormatOp {
  enum class Kind : std::uint8_t {
    move,        // nX: add `width` columns to the pending move
    literal,     // nH text, 'text' or "text": place `text` verbatim
    new_record,  // /: end the current record and start an empty one
    text_item,   // A or Aw: a character item (`width` < 0 for A without a width)
    integer,     // Iw or Iw.m (`digits` = m, or -1 without .m)
    fixed,       // Fw.d (`digits` = d)
  };
  explicit FormatOp(Kind k, int w = 0, int d = -1, std::string t = {})
      : kind(k), width(w), digits(d), text(std::move(t)) {}

  Kind kind;
  int width;
  int digits;
  std::string text;
};

// A parenthesised list of edit descriptors, compiled once into a flat list of steps.
// Repeat counts on descriptors ("3F10.4") and on groups ("77(1H-)") are expanded.
// Letters may be in either case. Only output descriptors are supported: nX, nH, quoted
// literals, /, A, Aw, Iw, Iw.m, Fw.d.
class Format {
 public:
  // Compiles a format; throws std::invalid_argument on a malformed one (the program's
  // formats are fixed literals, so this only fires on a programming error).
  explicit Format(std::string_view source);

  const std::vector<FormatOp>& ops() const { return ops_; }

 private:
  std::vector<FormatOp> ops_;
};

}  // namespace morvit
