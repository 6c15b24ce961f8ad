#pragma once

#include <limits>
#include <span>

namespace morvit {

// The fit measures of set-theoretic methods for one block against the outcome, from the
// memberships as read: X the block's membership (the smallest of its factors'), Y the
// outcome's, both taken at the nearest bound when outside 0 to 1; every sum runs over the
// cases, each term times the case's weight, in double precision. A ratio whose
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

// How every sum is formed: in fit_sum_lanes interleaved partial sums, each over its cases
// in case order (cases 1, 5, 9, ...; 2, 6, 10, ...; and so on), added at the end as
// (s1 + s2) + (s3 + s4). A pass that takes four cases at a time in vector lanes forms the
// very same bits, on every system.
inline constexpr int fit_sum_lanes = 4;

// The weighted sums that the measures are ratios of (memberships already within 0 to 1),
// of one lane or of all.
struct FitSums {
  double x = 0.0;           // sum X
  double y = 0.0;           // sum Y
  double both = 0.0;        // sum min(X, Y)
  double both_not_y = 0.0;  // sum min(X, Y, 1 - Y)
  double not_x = 0.0;       // sum (1 - X)
  double not_both = 0.0;    // sum (1 - min(X, Y))
  double either = 0.0;      // sum max(X, Y)
};

// The sums of all lanes from those of each, field by field as (s1 + s2) + (s3 + s4).
FitSums combine_lanes(const FitSums (&lanes)[fit_sum_lanes]);

// The measures as ratios of the sums, for callers that form the sums themselves.
FitMeasures fit_measures(const FitSums& sums);

// A membership as the measures take it: outside 0 to 1, the nearest bound.
inline double within_unit(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }

// Every measure NaN: what rows without a block of their own carry.
inline FitMeasures no_fit_measures() {
  constexpr double none = std::numeric_limits<double>::quiet_NaN();
  return {none, none, none, none, none, none, none};
}

}  // namespace morvit
