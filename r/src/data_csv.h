#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The columns of a data frame that a run uses, as the CSV file the command line would be
// given: a header row with the column names, then one row a case.
struct NumberColumn {
  std::string header;
  const double* values = nullptr;  // one a case; NaN (R's NA and NaN) is a missing value
};

struct TextColumn {
  std::string header;  // empty: R's row names, as write.csv heads them
  std::vector<std::string> values;
  std::vector<bool> missing;
};

// Numbers in the shortest form that reads back to the same double ("Inf" and "-Inf" for
// infinities), a missing number as "NA" (so that a row whose every value is missing is
// still a row, which the maker refuses or leaves out, and never a blank line that it
// passes over), texts quoted where they must be, a missing text as an empty field. The
// text column, when there is one, comes first.
std::string data_csv_text(std::size_t rows, const std::vector<NumberColumn>& numbers, const TextColumn* names);

// Writes `text` to the file `path`; false when it cannot.
bool write_text_file(const std::string& path, const std::string& text);
