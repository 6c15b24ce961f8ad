#include "driver/diagnostics.h"

#include <charconv>
#include <cstdio>

#include "driver/platform.h"

namespace morvit {
namespace {

// What the count of hidden warnings of each kind counts.
constexpr std::array<const char*, warning_kinds> hidden_nouns = {
    "memberships outside 0..1",
    "values that look like decimal commas",
    "arguments outside their columns",
    "DAM commands with no DAT after them",
    "warnings about MER 0",
    "DAT commands with no cases",
    "negative weights",
};

}  // namespace

std::string number_text(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string setting_text(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

std::string quoted(std::string_view text) {
  constexpr std::size_t longest = 60;
  std::string result = "\"";
  for (std::size_t i = 0; i < text.size() && i < longest; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    result += c < 0x20 || c == 0x7f ? ' ' : static_cast<char>(c);
  }
  if (text.size() > longest) result += "...";
  return result + "\"";
}

std::string Diagnostics::place(FilePosition where) const {
  return file_ + ":" + std::to_string(where.line) + ":" + std::to_string(where.column);
}

void Diagnostics::error(FilePosition where, std::string_view what) {
  ++errors_;
  platform::write_standard_error("morvit: " + place(where) + ": error: " + std::string(what) + "\n");
}

void Diagnostics::warning(WarningKind kind, FilePosition where, std::string_view what) {
  if (quiet_) return;
  ++warnings_;
  if (++per_kind_[static_cast<std::size_t>(kind)] > shown_per_kind) return;
  platform::write_standard_error("morvit: " + place(where) + ": warning: " + std::string(what) + "\n");
}

void Diagnostics::report_hidden_warnings() {
  for (std::size_t kind = 0; kind < warning_kinds; ++kind) {
    const int hidden = per_kind_[kind] - shown_per_kind;
    if (hidden <= 0) continue;
    platform::write_standard_error("morvit: " + file_ + ": warning: " + std::to_string(hidden) + " more " +
                                   hidden_nouns[kind] + " not shown\n");
  }
}

}  // namespace morvit
