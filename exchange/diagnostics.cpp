#include "exchange/diagnostics.h"

namespace morvit {

std::string diagnostic(const Place& place, Severity severity, std::string_view what) {
  std::string text = "morvit: ";
  if (!place.file.empty()) {
    text += place.file;
    if (place.line > 0) {
      text += ':' + std::to_string(place.line);
      if (place.column > 0) text += ':' + std::to_string(place.column);
    }
    text += ": ";
  }
  text += severity == Severity::error ? "error: " : "warning: ";
  text += what;
  return text;
}

void report(std::ostream& err, const Place& place, Severity severity, std::string_view what) {
  err << diagnostic(place, severity, what) << '\n';
}

std::string in_quotes(std::string_view text) {
  constexpr std::size_t longest = 60;
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size() && i < longest; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    out += c < 0x20 || c == 0x7f ? ' ' : static_cast<char>(c);
  }
  if (text.size() > longest) out += "...";
  out += '"';
  return out;
}

}  // namespace morvit
