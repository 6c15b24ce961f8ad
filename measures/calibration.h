#pragma once

namespace morvit {

// The three thresholds of a calibration by the direct method, in the raw measure's units:
// full exclusion, the crossover point and full inclusion. exclusion < crossover <
// inclusion gives an increasing set; exclusion > crossover > inclusion a decreasing one
// (more of the measure, less of the set).
struct CalibrationThresholds {
  double exclusion;
  double crossover;
  double inclusion;
};

// True when the thresholds are finite and strictly monotone, either way: the crossover
// lies strictly between the other two.
bool strictly_monotone(const CalibrationThresholds& thresholds);

// The membership of a raw value calibrated by the direct method: the log odds of membership
// are 3 (x - C) / (I - C) on the inclusion side of the crossover C, 3 (x - C) / (C - E) on
// the exclusion side, and the membership is 1 / (1 + exp(-log odds)): 0.0474 at the
// exclusion threshold, 0.5 at the crossover and 0.9526 at the inclusion threshold, for
// increasing and decreasing sets alike. Neither rounded nor cut at the thresholds; only a
// log odds beyond the reach of a double gives exactly 0 or 1. The thresholds must be
// strictly monotone.
double calibrated_membership(double raw, const CalibrationThresholds& thresholds);

}  // namespace morvit
