#include "exchange/input/calibration_thresholds.h"

#include <vector>

#include "driver/diagnostics.h"
#include "exchange/cell_text.h"
#include "exchange/column_names.h"
#include "recordio/number_text.h"

namespace morvit {

ThresholdsRead read_thresholds(std::string_view text) {
  std::vector<std::string_view> parts;
  for (;;) {
    const std::size_t comma = text.find(',');
    parts.push_back(trimmed(text.substr(0, comma)));
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  if (parts.size() != 3) {
    return {std::nullopt,
            std::to_string(parts.size()) + (parts.size() == 1 ? " threshold" : " thresholds") +
                "; a calibration takes three: exclusion, crossover, inclusion (E,C,I)"};
  }
  double values[3] = {};
  for (std::size_t i = 0; i < 3; ++i) {
    const CellValue cell = read_cell(parts[i], false);
    if (cell.kind != CellKind::number) {
      return {std::nullopt,
              "the threshold " + quoted_text(parts[i]) +
                  (cell.kind == CellKind::too_large ? " is too large for a number" : " is not a number")};
    }
    values[i] = cell.value;
  }
  const CalibrationThresholds thresholds{values[0], values[1], values[2]};
  if (!strictly_monotone(thresholds)) {
    return {std::nullopt,
            "the thresholds are not strictly monotone: the crossover must lie strictly between the exclusion and the "
            "inclusion threshold (E < C < I for an increasing set, E > C > I for a decreasing one)"};
  }
  return {thresholds, {}};
}

std::string decreasing_set_words(std::string_view column, const CalibrationThresholds& thresholds) {
  const std::string name(column);
  return "the thresholds decrease, so the members of this set are the cases with low values of " + name +
         ", yet the set bears the name " + name + "; name it for what it holds with --set NAME=" + name +
         " (or calibrate the increasing set and take its negation: --calibrate " + name + "=" +
         number_text(thresholds.inclusion) + "," + number_text(thresholds.crossover) + "," +
         number_text(thresholds.exclusion) + " --set NAME=~" + name + ")";
}

std::string thresholds_beyond_values_words(std::string_view column, const CalibrationThresholds& thresholds,
                                           double lowest, double highest) {
  const bool increasing = thresholds.inclusion > thresholds.exclusion;
  const double upper = increasing ? thresholds.inclusion : thresholds.exclusion;
  const double lower = increasing ? thresholds.exclusion : thresholds.inclusion;
  const bool above = lowest >= upper;
  if (!above && highest > lower) return {};
  // Above the inclusion threshold of an increasing set, or below that of a decreasing one:
  // every case is in the set.
  const bool inclusion = above == increasing;
  const std::string name(column);
  return "every value of " + name + " lies at or " + (above ? "above" : "below") + " the " +
         (inclusion ? "inclusion" : "exclusion") + " threshold " + number_text(above ? upper : lower) +
         " (the values from " + number_text(lowest) + " to " + number_text(highest) + ", the thresholds " +
         number_text(thresholds.exclusion) + ", " + number_text(thresholds.crossover) + ", " +
         number_text(thresholds.inclusion) + "), so every case is " +
         (inclusion ? "in the set (membership 0.95 or more)" : "out of the set (membership 0.05 or less)") +
         "; are the thresholds in the units of " + name + "?";
}

std::string calibration_words(const CalibrationThresholds& thresholds) {
  return calibration_suffix(
      number_text(thresholds.exclusion), number_text(thresholds.crossover), number_text(thresholds.inclusion));
}

std::vector<std::string> calibration_lines(std::string_view key, const CalibrationThresholds& thresholds) {
  const std::string start = std::string(key) + " CALIBRATED: ";
  return {start + "EXCLUSION " + number_text(thresholds.exclusion),
          start + "CROSSOVER " + number_text(thresholds.crossover),
          start + "INCLUSION " + number_text(thresholds.inclusion)};
}

}  // namespace morvit
