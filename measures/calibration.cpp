#include "measures/calibration.h"

#include <cmath>

namespace morvit {

bool strictly_monotone(const CalibrationThresholds& t) {
  if (!std::isfinite(t.exclusion) || !std::isfinite(t.crossover) || !std::isfinite(t.inclusion)) return false;
  return (t.exclusion < t.crossover && t.crossover < t.inclusion) ||
         (t.exclusion > t.crossover && t.crossover > t.inclusion);
}

double calibrated_membership(double raw, const CalibrationThresholds& t) {
  const bool increasing = t.inclusion > t.crossover;
  const bool inclusion_side = increasing ? raw >= t.crossover : raw <= t.crossover;
  // Three log odds from the crossover to either threshold: each side has its own scale.
  const double span = inclusion_side ? t.inclusion - t.crossover : t.crossover - t.exclusion;
  const double log_odds = 3.0 * (raw - t.crossover) / span;
  return 1.0 / (1.0 + std::exp(-log_odds));
}

}  // namespace morvit
