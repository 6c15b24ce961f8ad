#pragma once

#include <limits>
#include <span>

namespace morvit {

// The fit measures of set-theoretic methods for one block against the outcome, from the
// memberships as read: X the block's membership (the smallest of its factors'), Y the
// outcome's, both taken at the nearest bound when outside 0 to 1; every sum runs over the
// cases in order, each term times the case's weight, in double precision. A ratio whose
// denominator is 0 is NaN.
//   cons_suf    = sum min(X,Y) / sum X
//   cov_suf     = sum min(X,Y) / sum Y
//   pri         = (sum min(X,Y) - sum min(X,Y,1-Y)) / (sum X - sum min(X,Y,1-Y))
//   cons_nec    = sum min(X,Y) / sum Y
//   cov_nec     = sum min(X,Y) / sum X
//   ron         = sum (1-X) / sum (1-min(X,Y))
//   coincidence = sum min(X,Y) / sum max(X,Y)
struct FitMeasures {
  double cons_suf;
  double cov_suf;
  double pri;
  double cons_nec;
  double cov_nec;
  double ron;
  double coincidence;
};

// The measures of a block whose memberships are `x`, for the outcome memberships `y` and
// the case weights `w` (all three of one length).
FitMeasures fit_measures(std::span<const double> x, std::span<const double> y, std::span<const double> w);

// Every measure NaN: what rows without a block of their own carry.
inline FitMeasures no_fit_measures() {
  constexpr double none = std::numeric_limits<double>::quiet_NaN();
  return {none, none, none, none, none, none, none};
}

}  // namespace morvit
