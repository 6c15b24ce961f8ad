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
  double log_odds = 3.0 * (raw - t.crossover) / span;
  if (!std::isfinite(log_odds)) {
    // A difference or the product with 3 passed the largest double (thresholds near
    // +-1.8e308): the same ratio from halves, which cannot pass it, and the 3 applied last.
    // An infinite log odds stays infinite, and gives exactly 0 or 1.
    const double half_span = inclusion_side ? t.inclusion / 2 - t.crossover / 2 : t.crossover / 2 - t.exclusion / 2;
    log_odds = 3.0 * ((raw / 2 - t.crossover / 2) / half_span);
  }
  return 1.0 / (1.0 + std::exp(-log_odds));
}

}  // namespace morvit
