#include "driver/diagnostics.h"

#include "driver/run_listener.h"
#include "recordio/character_cut.h"
#include "system/platform.h"

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
    "notes about the command file",
    "comments that start before column 8",
    "warnings about case names",
    "warnings about runs without a table",
};

}  // namespace

std::string quoted_text(std::string_view text) {
  constexpr std::size_t longest = 60;
  std::string result = "\"";
  result += printable(cut_at_character(text, longest));
  if (text.size() > longest) result += "...";
  return result + "\"";
}

std::string printable(std::string_view text) {
  constexpr char hex[] = "0123456789abcdef";
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto u = static_cast<unsigned char>(c);
    // The C1 controls U+0080 to U+009F in UTF-8 (C2 80 to C2 9F): some terminals obey them.
    if (u == 0xc2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xe0) == 0x80) {
      const auto next = static_cast<unsigned char>(text[++i]);
      shown += "\\xc2\\x";
      shown += hex[next >> 4];
      shown += hex[next & 15];
      continue;
    }
    if (u >= 0x20 && u != 0x7f) {
      shown += c;
      continue;
    }
    switch (c) {
      case '\0': shown += "\\0"; break;
      case '\a': shown += "\\a"; break;
      case '\b': shown += "\\b"; break;
      case '\t': shown += "\\t"; break;
      case '\n': shown += "\\n"; break;
      case '\r': shown += "\\r"; break;
      default: {
        shown += "\\x";
        shown += hex[u >> 4];
        shown += hex[u & 15];
      }
    }
  }
  return shown;
}

std::string diagnostic(const Place& place, Severity severity, std::string_view what) {
  std::string text = "morvit: ";
  if (!place.file.empty()) {
    text += printable(place.file);
    if (place.line > 0) {
      text += ':' + std::to_string(place.line);
      if (place.column > 0) text += ':' + std::to_string(place.column);
    }
    text += ": ";
  }
  text += severity == Severity::error ? "error: " : "warning: ";
  text += printable(what);
  return text;
}

void report(std::ostream& err, const Place& place, Severity severity, std::string_view what) {
  err << diagnostic(place, severity, what) << '\n';
}

std::string Diagnostics::place(FilePosition where) const {
  return file_ + ":" + std::to_string(where.line) + ":" + std::to_string(where.column);
}

void Diagnostics::write(const std::string& line) {
  if (err_ != nullptr) {
    *err_ << line << '\n';
    err_->flush();
  } else {
    platform::write_standard_error(line + "\n");
  }
}

void Diagnostics::error(FilePosition where, std::string_view what) {
  write(diagnostic({file_, where.line, where.column}, Severity::error, what));
}

void Diagnostics::warning(WarningKind kind, FilePosition where, std::string_view what) {
  count_and_show(kind, {file_, where.line, where.column}, what);
}

void Diagnostics::warning(WarningKind kind, const Place& place, std::string_view what) {
  count_and_show(kind, place, what);
}

void Diagnostics::notice(WarningKind kind, std::string_view what) { count_and_show(kind, {}, what); }

void Diagnostics::count_and_show(WarningKind kind, const Place& place, std::string_view what) {
  ++met_;
  if (quiet_) return;
  ++warnings_;
  if (++per_kind_[static_cast<std::size_t>(kind)] > shown_per_kind) return;
  show_warning(diagnostic(place, Severity::warning, what));
}

void Diagnostics::show_warning(const std::string& line) {
  write(line);
  if (listener_ != nullptr) listener_->warning(std::string_view(line).substr(std::string_view("morvit: ").size()));
}

void Diagnostics::report_hidden_warnings() {
  for (std::size_t kind = 0; kind < warning_kinds; ++kind) {
    const int hidden = per_kind_[kind] - shown_per_kind;
    if (hidden <= 0) continue;
    show_warning(
        diagnostic({file_}, Severity::warning, std::to_string(hidden) + " more " + hidden_nouns[kind] + " not shown"));
  }
}

}  // namespace morvit
