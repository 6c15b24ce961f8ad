#pragma once

#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace morvit {

// What a CSV file holds, column by column, before a command file is made from it: so that
// the outcome and the conditions can be chosen and a calibration's thresholds given in the
// column's own units.
struct SurveyedColumn {
  std::string name;  // as the header names it, without the blanks around it
  long numbers = 0;  // cells that hold a number
  long missing = 0;  // empty cells and the usual codes of a missing value
  long other = 0;    // cells of text
  double smallest = std::numeric_limits<double>::infinity();
  double largest = -std::numeric_limits<double>::infinity();
};

struct CsvSurvey {
  char separator = ',';
  long rows = 0;  // rows of data, rows of empty fields left out
  std::vector<SurveyedColumn> columns;
};

// Reads `text` as the maker reads a CSV file (byte-order mark, Excel's "sep=" line, the
// separator given (`separator`, 0 to find it as the maker does), decimal commas with a
// semicolon) and counts the cells of each column. Throws CsvSyntaxError where the maker
// would refuse the text as CSV.
CsvSurvey survey_csv(std::string_view text, char separator);

}  // namespace morvit
