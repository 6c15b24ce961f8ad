#include "exchange/input/csv_reader.h"

#include <array>

#include "recordio/capitals.h"

namespace morvit {

std::string_view without_byte_order_mark(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) return text.substr(3);
  if (text.starts_with(std::string_view("\xFF\xFE", 2)) || text.starts_with(std::string_view("\xFE\xFF", 2)) ||
      text.starts_with(std::string_view("\x00\x00\xFE\xFF", 4))) {
    throw CsvSyntaxError(1, 1, "the file is UTF-16 or UTF-32 text; save it as CSV in UTF-8 (or plain ASCII)");
  }
  return text;
}

char declared_separator(std::string_view& text) {
  constexpr std::string_view key = "SEP=";
  if (text.size() < key.size() + 1) return 0;
  if (!equals_in_capitals(text.substr(0, key.size()), key)) return 0;
  const char separator = text[key.size()];
  std::string_view rest = text.substr(key.size() + 1);
  if (separator == '\n' || separator == '\r' || separator == '"' || separator == ' ') return 0;
  if (rest.starts_with("\r\n")) {
    rest.remove_prefix(2);
  } else if (rest.starts_with('\n') || rest.starts_with('\r')) {
    rest.remove_prefix(1);
  } else if (!rest.empty()) {
    return 0;  // more on the line: a header whose first column is named "sep=..."
  }
  text = rest;
  return separator;
}

char detect_separator(std::string_view text) {
  constexpr std::array<char, 3> candidates{',', ';', '\t'};
  std::array<long, 3> counts{};
  bool quoted = false;
  for (const char c : text) {
    if (c == '"') quoted = !quoted;  // a doubled quote toggles twice
    if (quoted) continue;
    if (c == '\n' || c == '\r') break;
    for (std::size_t i = 0; i < candidates.size(); ++i) counts[i] += c == candidates[i] ? 1 : 0;
  }
  std::size_t best = 0;
  for (std::size_t i = 1; i < candidates.size(); ++i) {
    if (counts[i] > counts[best]) best = i;
  }
  return candidates[best];
}

void CsvReader::advance() {
  const char c = text_[pos_++];
  if (c == '\n' || (c == '\r' && (at_end() || text_[pos_] != '\n'))) {
    ++line_;
    column_ = 1;
  } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
    ++column_;  // continuation bytes of a UTF-8 character take no column of their own
  }
}

void CsvReader::skip_line_end() {
  if (!at_end() && text_[pos_] == '\r') advance();
  if (!at_end() && text_[pos_] == '\n') advance();
}

void CsvReader::read_field(CsvField& field) {
  field.text.clear();
  field.line = line_;
  field.column = column_;
  std::size_t look = pos_;
  while (look < text_.size() && text_[look] == ' ' && separator_ != ' ') ++look;
  if (look < text_.size() && text_[look] == '"') {
    while (pos_ <= look) advance();  // the blanks and the opening quote
    for (;;) {
      if (at_end())
        throw CsvSyntaxError(field.line, field.column, "a quoted field is not closed before the end of the file");
      if (text_[pos_] == '"') {
        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
          field.text += '"';
          advance();
          advance();
          continue;
        }
        advance();
        break;
      }
      field.text += text_[pos_];
      advance();
    }
    while (!at_end() && (text_[pos_] == ' ' || text_[pos_] == '\t') && text_[pos_] != separator_) advance();
    if (!at_end() && !at_line_end() && text_[pos_] != separator_) {
      throw CsvSyntaxError(line_, column_, "text after the closing quote of a field");
    }
    return;
  }
  const std::size_t start = pos_;
  while (!at_end() && !at_line_end() && text_[pos_] != separator_) advance();
  field.text.assign(text_.substr(start, pos_ - start));
}

bool CsvReader::next(CsvRecord& record) {
  record.clear();
  while (at_line_end()) skip_line_end();
  if (at_end()) return false;
  for (;;) {
    record.emplace_back();
    read_field(record.back());
    if (!at_end() && text_[pos_] == separator_) {
      advance();
      continue;
    }
    skip_line_end();
    return true;
  }
}

}  // namespace morvit
