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

// The comment texts that record a calibration on lines of its own, below a name that leaves
// no room for it on its line: one threshold a line, whole ("A CALIBRATED: EXCLUSION 400",
// "OUTCOME CALIBRATED: CROSSOVER -0.12345678901234567"), `key` the column's key in its
// comment line ("A", "OUTCOME").
std::vector<std::string> calibration_lines(std::string_view key, const CalibrationThresholds& thresholds);

}  // namespace morvit
