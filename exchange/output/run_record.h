#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "analysis/table_observer.h"
#include "exchange/column_names.h"
#include "measures/fit_measures.h"

namespace morvit {

// The cases of positive weight of a block on either side of the diagonal of its z-score
// plot and on it, as the run compares them (block_evidence.h); -1 where not known.
struct DiagonalCounts {
  std::int64_t above = -1;
  std::int64_t below = -1;
  std::int64_t on = -1;
};

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
  // The numerator degrees of freedom that P was computed with: the partition weight for a
  // single factor, the rounded DF for a combination, the DF of NEC AND SUFF for a
  // comparison row; NaN on the baseline row.
  double dfn = std::numeric_limits<double>::quiet_NaN();
  // The SSD as the table summed it, which F at another measurement error is formed from
  // (TableRow::summed_ssd); NaN where no F was computed.
  double summed_ssd = std::numeric_limits<double>::quiet_NaN();

  // Filled after the run, for the outputs (see RunRecord::levels):
  // the smallest measurement error factor at which the hypothesis row is compatible at
  // each level of RunRecord::levels (0 when MSD is 0; NaN when no measurement error makes
  // it compatible); empty on baseline, comparison and omitted rows.
  std::vector<double> critical_mer;
  // The cases of positive weight on the row's wrong side: above the diagonal (outcome
  // z-score above the membership's) for NECESSARY, below it for SUFFICIENT, either side
  // for NEC AND SUFF; -1 on baseline and comparison rows.
  std::int64_t cases_against = -1;
  // There are cases against, and every one of them lies on the diagonal within rounding:
  // within 1e-9 of it (in z units), beyond the single-precision step of the rounded
  // membership of three factors or more. The row is decided by ties, not by the data.
  bool decided_by_ties = false;
  // The fit measures of the row's block (the same on every hypothesis row of a block);
  // NaN on baseline and comparison rows.
  FitMeasures fit = no_fit_measures();
  // The cases of the row's block above, below and on the diagonal (the same on every
  // hypothesis row of a block); not known on baseline and comparison rows.
  DiagonalCounts counts;
};

// What the outputs beside the report show of one run: its comments, the names behind its
// columns, the summary constants, the data and every row of the table.
struct RunRecord {
  std::string command_file;           // as named on the command line
  std::vector<std::string> comments;  // COM texts in capitals, trailing blanks dropped
  // The names behind the outcome, the letters, the weights and the case names: as the
  // report shows them (names.outcome, names.factors, in capitals) and as the user wrote them
  // (names.as_written, from the side file or --names; empty where not known).
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

  // The levels of P that the outputs show critical measurement errors for, ascending
  // (0.01, 0.05, 0.1 and the level asked for), and the level asked for (--level), whose
  // critical measurement error the table CSV gives.
  std::vector<double> levels;
  double level = 0.05;

  // The run's warnings as told on standard error, without the leading "morvit: "
  // ("run.cmd:5:9: warning: ..."), in the order they were told.
  std::vector<std::string> warnings;

 private:
  std::size_t index(int column, int case_index) const {
    return static_cast<std::size_t>(column) * static_cast<std::size_t>(case_count) +
           static_cast<std::size_t>(case_index);
  }
};

}  // namespace morvit
