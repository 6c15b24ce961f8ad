#include "data_csv.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string_view>

#include "exchange/output/csv_fields.h"

namespace {

// A text field as the outputs write it (quoted where it must be).
void append_text(std::string& text, std::ostringstream& field, std::string_view value) {
  field.str(std::string());
  morvit::write_csv_text(field, value);
  text += field.view();
}

}  // namespace

std::string data_csv_text(std::size_t rows, const std::vector<NumberColumn>& numbers, const TextColumn* names) {
  std::string text;
  text.reserve((rows + 1) * (numbers.size() * 10 + (names != nullptr ? 16 : 0)));
  std::ostringstream field;
  if (names != nullptr) append_text(text, field, names->header);
  for (std::size_t j = 0; j < numbers.size(); ++j) {
    if (j > 0 || names != nullptr) text += ',';
    append_text(text, field, numbers[j].header);
  }
  text += '\n';
  char number[32];
  for (std::size_t row = 0; row < rows; ++row) {
    if (names != nullptr && !names->missing[row]) append_text(text, field, names->values[row]);
    for (std::size_t j = 0; j < numbers.size(); ++j) {
      if (j > 0 || names != nullptr) text += ',';
      const double value = numbers[j].values[row];
      if (std::isnan(value)) {
        text += "NA";
      } else if (std::isinf(value)) {
        text += morvit::csv_number(value);
      } else {
        // The shortest text that reads back to the same double, as csv_number writes it.
        const std::to_chars_result written = std::to_chars(number, number + sizeof number, value);
        text.append(number, written.ptr);
      }
    }
    text += '\n';
  }
  return text;
}

bool write_text_file(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  file.close();
  return static_cast<bool>(file);
}
