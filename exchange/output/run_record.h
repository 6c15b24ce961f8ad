#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/table_observer.h"
#include "exchange/column_names.h"

namespace morvit {

// A row of the table as the run passed it on, kept after the run.
struct RecordedRow {
  std::string block;
  RowKind kind = RowKind::baseline;
  std::string hypothesis;
  double ssd = 0.0;
  std::int32_t df = 0;
  double msd = 0.0;
  double f = 0.0;
  double p = 0.0;
  bool printed = true;
};

// What the outputs beside the report show of one run: its comments, the names behind its
// columns, the summary constants, the data and every row of the table.
struct RunRecord {
  std::string command_file;           // as named on the command line
  std::vector<std::string> comments;  // COM texts in capitals, trailing blanks dropped
  ColumnNames names;
  std::vector<std::string> case_names;  // one per case, or empty when not known

  bool reached_table = false;  // the run reached FIN and wrote its table
  int case_count = 0;
  int factor_count = 0;
  double measurement_error = 0.0;
  double damping_factor = 0.0;
  double expected_msd = 0.0;
  std::int32_t denominator_df = 0;

  // Scores and z-scores, column by column (column 0 the outcome, column j factor j), and
  // the weights; empty when no output needs them.
  std::vector<double> x;
  std::vector<double> z;
  std::vector<double> w;
  double score(int column, int case_index) const { return x[index(column, case_index)]; }
  double z_score(int column, int case_index) const { return z[index(column, case_index)]; }

  std::vector<RecordedRow> rows;

 private:
  std::size_t index(int column, int case_index) const {
    return static_cast<std::size_t>(column) * static_cast<std::size_t>(case_count) + static_cast<std::size_t>(case_index);
  }
};

}  // namespace morvit
