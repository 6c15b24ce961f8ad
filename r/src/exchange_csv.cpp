#include "exchange_csv.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "exchange/cell_text.h"
#include "exchange/input/csv_reader.h"
#include "exchange/input/text_encoding.h"

namespace {

double number_of(const std::string& text, const std::string& path) {
  if (text.empty()) return NA_REAL;
  if (text == "Inf") return R_PosInf;
  if (text == "-Inf") return R_NegInf;
  const morvit::CellValue cell = morvit::read_cell(text, false);
  if (cell.kind != morvit::CellKind::number) throw std::runtime_error(path + ": \"" + text + "\" is not a number");
  return cell.value;
}

}  // namespace

SEXP r_string(const std::string& text) {
  return Rf_mkCharLenCE(text.data(),
                        static_cast<int>(text.size()),
                        morvit::first_byte_not_utf8(text) == std::string::npos ? CE_UTF8 : CE_NATIVE);
}

std::string read_text_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  std::ostringstream text;
  text << file.rdbuf();
  return std::move(text).str();
}

Rcpp::List read_exchange_csv(const std::string& path, const std::vector<ColumnKind>& kinds) {
  const std::string text = read_text_file(path);
  morvit::CsvReader reader(text, ',');
  morvit::CsvRecord header;
  if (!reader.next(header)) throw std::runtime_error(path + ": no header line");
  const std::size_t columns = header.size();
  const auto kind_of = [&](std::size_t column) { return column < kinds.size() ? kinds[column] : ColumnKind::number; };

  // The rows as texts first: the number of rows is known only at the end.
  std::vector<std::vector<std::string>> fields(columns);
  morvit::CsvRecord record;
  while (reader.next(record)) {
    if (record.size() != columns)
      throw std::runtime_error(path + ": a row of " + std::to_string(record.size()) + " fields");
    for (std::size_t column = 0; column < columns; ++column) fields[column].push_back(std::move(record[column].text));
  }
  const std::size_t rows = columns == 0 ? 0 : fields[0].size();

  Rcpp::List frame(columns);
  Rcpp::CharacterVector names(columns);
  for (std::size_t column = 0; column < columns; ++column) {
    SET_STRING_ELT(names, static_cast<R_xlen_t>(column), r_string(header[column].text));
    const std::vector<std::string>& texts = fields[column];
    switch (kind_of(column)) {
      case ColumnKind::number: {
        Rcpp::NumericVector values(rows);
        for (std::size_t row = 0; row < rows; ++row) values[row] = number_of(texts[row], path);
        frame[column] = values;
        break;
      }
      case ColumnKind::text: {
        Rcpp::CharacterVector values(rows);
        for (std::size_t row = 0; row < rows; ++row) {
          SET_STRING_ELT(values, static_cast<R_xlen_t>(row), texts[row].empty() ? NA_STRING : r_string(texts[row]));
        }
        frame[column] = values;
        break;
      }
      case ColumnKind::logical: {
        Rcpp::LogicalVector values(rows);
        for (std::size_t row = 0; row < rows; ++row) {
          values[row] = texts[row] == "TRUE" ? TRUE : texts[row] == "FALSE" ? FALSE : NA_LOGICAL;
        }
        frame[column] = values;
        break;
      }
    }
  }
  frame.attr("names") = names;
  frame.attr("class") = "data.frame";
  frame.attr("row.names") = Rcpp::IntegerVector::create(NA_INTEGER, -static_cast<int>(rows));
  return frame;
}
