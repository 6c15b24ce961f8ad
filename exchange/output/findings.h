#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "exchange/output/run_record.h"

namespace morvit {

// The conventional reading of consistency: a condition reads as necessary from a necessity
// consistency of 0.9, as sufficient from a sufficiency consistency of 0.8, as both when it
// reaches both. The page lets its reader move both thresholds.
struct ConventionalReading {
  double necessity = 0.9;
  double sufficiency = 0.8;
};

// The findings show at most this many hypotheses that hold and this many closest ones.
inline constexpr int findings_holding_shown = 10;
inline constexpr int findings_closest_shown = 5;

// A hypothesis row among the findings.
struct Finding {
  std::size_t row = 0;   // its index in RunRecord::rows
  bool holds = false;    // compatible at the run's MER and level, or no case against it
  bool perfect = false;  // no case against it: left out of the report, holds at any MER
  // The smallest MER at which it is compatible at the run's level: 0 for a perfect row,
  // NaN where none is known.
  double critical_mer = 0.0;
  // The conventional reading of its consistency: 1 reads as holding, 0 not, -1 unknown
  // (a consistency without a value).
  int conventional = -1;
  // MORVIT's verdict and the conventional reading part.
  bool disagrees() const { return conventional >= 0 && holds != (conventional == 1); }
};

// What a run found, as the page's findings show it at the run's MER and level.
struct Findings {
  std::vector<Finding> holding;   // the first findings_holding_shown of those that hold
  std::size_t holding_count = 0;  // how many hold in all
  std::vector<Finding> closest;   // the first findings_closest_shown of those that do not
};

// The findings of a run: its NECESSARY, SUFFICIENT and NEC AND SUFF rows, each compatible
// when its P (the run's) is at or above the run's level, or perfect; rows decided by ties
// and the rows of contradictory blocks stand out of them. Both lists are ranked by the
// critical MER at the run's level (perfect rows first), rows with the same one in the
// table's order; the closest are those that do not hold and that some MER makes compatible.
Findings find_findings(const RunRecord& run, const ConventionalReading& reading = {});

// A critical MER as the findings and the page show it: four decimals, rounded up so that
// the row is compatible at the MER shown.
std::string critical_mer_text(double critical_mer);

// The findings of a run that reached its table, briefly, for standard output: the MER and
// the level, the hypotheses that hold and the closest ones, each with its critical MER,
// consistency and coverage, cases against and conventional reading, and one sentence on
// each way MORVIT's verdict and that reading part where they do. Nothing for a run
// without a table.
void write_findings(std::ostream& out, const RunRecord& run);

}  // namespace morvit
