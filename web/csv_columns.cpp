// What the browser app shows of a CSV file before it asks the program for a command file:
// the separator, the columns by name, and for each column how many of its cells hold a
// number and the smallest and the largest of them, so that the user can choose the outcome
// and the conditions and give a calibration's thresholds in the column's own units. The file
// is read as `morvit --make-command-file` reads it (exchange/input): the byte-order mark,
// Excel's "sep=" line, the separator given or detected, decimal commas with a semicolon,
// names without the blanks around them, rows of empty fields passed over. Every check and
// message about the file stays the maker's.
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "exchange/cell_text.h"
#include "exchange/input/csv_reader.h"
#include "recordio/number_text.h"

namespace {

std::string json_string(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      constexpr char hex[] = "0123456789abcdef";
      out += "\\u00";
      out += hex[u >> 4];
      out += hex[u & 15];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

struct Column {
  std::string name;
  long numbers = 0;
  long missing = 0;
  long other = 0;
  double smallest = std::numeric_limits<double>::infinity();
  double largest = -std::numeric_limits<double>::infinity();
};

std::string describe(const std::string& path, char separator_option) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "{\"error\":" + json_string("cannot read " + path) + "}";
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string_view text = bytes;
  char separator = 0;
  std::vector<Column> columns;
  long rows = 0;
  try {
    text = morvit::without_byte_order_mark(text);
    const char declared = morvit::declared_separator(text);
    separator = separator_option != 0 ? separator_option : declared != 0 ? declared : morvit::detect_separator(text);
    morvit::CsvReader reader(text, separator, declared != 0 ? 2 : 1);
    morvit::CsvRecord record;
    if (reader.next(record)) {
      for (const morvit::CsvField& field : record) columns.push_back({std::string(morvit::trimmed(field.text))});
    }
    while (reader.next(record)) {
      bool blank = true;
      for (const morvit::CsvField& field : record) blank = blank && morvit::trimmed(field.text).empty();
      if (blank) continue;
      ++rows;
      for (std::size_t i = 0; i < record.size() && i < columns.size(); ++i) {
        const morvit::CellValue cell = morvit::read_cell(record[i].text, separator == ';');
        Column& column = columns[i];
        if (cell.kind == morvit::CellKind::number) {
          ++column.numbers;
          if (cell.value < column.smallest) column.smallest = cell.value;
          if (cell.value > column.largest) column.largest = cell.value;
        } else if (cell.kind == morvit::CellKind::missing) {
          ++column.missing;
        } else {
          ++column.other;
        }
      }
    }
  } catch (const morvit::CsvSyntaxError& error) {
    return "{\"error\":" +
           json_string("line " + std::to_string(error.line()) + ", column " + std::to_string(error.column()) + ": " +
                       error.what()) +
           "}";
  }
  std::ostringstream out;
  out << "{\"separator\":" << json_string(std::string(1, separator)) << ",\"rows\":" << rows << ",\"columns\":[";
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const Column& column = columns[i];
    out << (i == 0 ? "" : ",") << "{\"name\":" << json_string(column.name) << ",\"numbers\":" << column.numbers
        << ",\"missing\":" << column.missing << ",\"other\":" << column.other;
    if (column.numbers > 0) {
      out << ",\"min\":" << json_string(morvit::number_text(column.smallest))
          << ",\"max\":" << json_string(morvit::number_text(column.largest));
    }
    out << "}";
  }
  out << "]}";
  return out.str();
}

}  // namespace

// The description of the CSV file at `path` as JSON text (an "error" when the file cannot be
// read as CSV), valid until the next call. `separator`: the character of --separator, or 0
// to find it as the maker does.
extern "C" __attribute__((used, visibility("default"))) const char* morvit_csv_columns(const char* path,
                                                                                       int separator) {
  static std::string description;
  description = describe(path, static_cast<char>(separator));
  return description.c_str();
}
