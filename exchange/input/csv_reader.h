#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace morvit {

// One field of a CSV record: its text (without the quotes, a doubled quote made single)
// and where it starts in the file.
struct CsvField {
  std::string text;
  long line = 0;    // 1-based line of the file
  long column = 0;  // 1-based column, counted in characters (UTF-8 code points)
};

using CsvRecord = std::vector<CsvField>;

// A fault in the CSV text itself (a quote not closed, text after a closing quote, a
// UTF-16 file), with the place where it was found.
class CsvSyntaxError : public std::runtime_error {
 public:
  CsvSyntaxError(long line, long column, const std::string& what)
      : std::runtime_error(what), line_(line), column_(column) {}
  long line() const { return line_; }
  long column() const { return column_; }

 private:
  long line_;
  long column_;
};

// The text after a UTF-8 byte-order mark, or the whole text when it has none. A UTF-16
// or UTF-32 byte-order mark is a CsvSyntaxError: such files must be saved as UTF-8 first.
std::string_view without_byte_order_mark(std::string_view text);

// Excel's first line "sep=;" (any one character after "sep=", in small or capital
// letters) names the separator and is no part of the table. When `text` begins with such
// a line, removes it from `text` and returns the separator; otherwise returns 0.
char declared_separator(std::string_view& text);

// The separator of a CSV text, read from its first line: whichever of comma, semicolon
// and tab occurs most often outside quotes (comma, then semicolon, on a tie); a comma
// when the line has none of them.
char detect_separator(std::string_view text);

// Reads the records of a CSV text held in memory, as spreadsheets and statistics packages
// write them: fields separated by `separator`; a field that begins with a double quote
// (after blanks) runs to the matching quote and may hold separators, line ends and
// doubled quotes; lines end with LF, CR LF or CR. Lines without any character are passed
// over. Blanks around unquoted fields are kept (the caller trims them).
class CsvReader {
 public:
  // `first_line` is the line of the file on which `text` begins (2 after a line that was
  // taken off, such as Excel's "sep=;").
  CsvReader(std::string_view text, char separator, long first_line = 1)
      : text_(text), separator_(separator), line_(first_line) {}

  // The next record into `record`; false at the end of the text.
  bool next(CsvRecord& record);

 private:
  bool at_end() const { return pos_ >= text_.size(); }
  bool at_line_end() const { return !at_end() && (text_[pos_] == '\n' || text_[pos_] == '\r'); }
  void advance();
  void skip_line_end();
  void read_field(CsvField& field);

  std::string_view text_;
  char separator_;
  std::size_t pos_ = 0;
  long line_ = 1;
  long column_ = 1;
};

}  // namespace morvit
