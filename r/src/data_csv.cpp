#include "data_csv.h"

#include <cmath>
#include <fstream>
#include <sstream>

#include "exchange/output/csv_fields.h"

std::string data_csv_text(std::size_t rows, const std::vector<NumberColumn>& numbers, const TextColumn* names) {
  std::ostringstream out;
  bool first = true;
  const auto separate = [&] {
    if (!first) out << ',';
    first = false;
  };
  if (names != nullptr) {
    separate();
    morvit::write_csv_text(out, names->header);
  }
  for (const NumberColumn& column : numbers) {
    separate();
    morvit::write_csv_text(out, column.header);
  }
  out << '\n';
  for (std::size_t row = 0; row < rows; ++row) {
    first = true;
    if (names != nullptr) {
      separate();
      if (!names->missing[row]) morvit::write_csv_text(out, names->values[row]);
    }
    for (const NumberColumn& column : numbers) {
      separate();
      const double value = column.values[row];
      if (std::isnan(value)) {
        out << "NA";
      } else {
        out << morvit::csv_number(value);
      }
    }
    out << '\n';
  }
  return std::move(out).str();
}

bool write_text_file(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  file.close();
  return static_cast<bool>(file);
}
