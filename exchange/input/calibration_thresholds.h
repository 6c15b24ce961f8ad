#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "measures/calibration.h"

namespace morvit {

// The thresholds of --calibrate NAME=E,C,I, read from the text after the '='.
struct ThresholdsRead {
  std::optional<CalibrationThresholds> thresholds;
  std::string problem;  // when there are none: what is wrong, in words
};

// Three numbers separated by commas (decimal points only: the commas separate), strictly
// monotone either way: exclusion < crossover < inclusion or exclusion > crossover > inclusion.
ThresholdsRead read_thresholds(std::string_view text);

// What the comment line naming a calibrated column adds to the name: ", CALIBRATED 400/550/900".
std::string calibration_words(const CalibrationThresholds& thresholds);

// The warning about a decreasing calibration of the column `column` (E > C > I) that stands
// as the outcome or a factor under its own name: the set's members are the cases with low
// values of the column, although the set bears its name; and how to name the set for what it
// holds.
std::string decreasing_set_words(std::string_view column, const CalibrationThresholds& thresholds);

// The warning about thresholds that every value of the column lies beyond, from `lowest` to
// `highest`: all at or above the larger outer threshold, or all at or below the smaller one,
// so that every case is in the set or every case out of it (thresholds in other units than
// the column's, such as 0.25 for 25 percent). Empty when the values reach between them.
std::string thresholds_beyond_values_words(std::string_view column, const CalibrationThresholds& thresholds,
                                           double lowest, double highest);

// The comment texts that record a calibration on lines of its own, below a name that leaves
// no room for it on its line: one threshold a line, whole ("A CALIBRATED: EXCLUSION 400",
// "OUTCOME CALIBRATED: CROSSOVER -0.12345678901234567"), `key` the column's key in its
// comment line ("A", "OUTCOME").
std::vector<std::string> calibration_lines(std::string_view key, const CalibrationThresholds& thresholds);

}  // namespace morvit
