#include "measures/fit_measures.h"

namespace morvit {
namespace {

// A ratio of two sums; NaN when the denominator is 0 (no membership to measure against).
double ratio(double numerator, double denominator) {
  return denominator == 0.0 ? std::numeric_limits<double>::quiet_NaN() : numerator / denominator;
}

}  // namespace

FitSums combine_lanes(const FitSums (&lanes)[fit_sum_lanes]) {
  static_assert(fit_sum_lanes == 4);
  const auto combined = [&](double FitSums::*sum) {
    return (lanes[0].*sum + lanes[1].*sum) + (lanes[2].*sum + lanes[3].*sum);
  };
  FitSums s;
  for (double FitSums::*sum : {&FitSums::x,
                               &FitSums::y,
                               &FitSums::both,
                               &FitSums::both_not_y,
                               &FitSums::not_x,
                               &FitSums::not_both,
                               &FitSums::either}) {
    s.*sum = combined(sum);
  }
  return s;
}

FitMeasures fit_measures(const FitSums& s) {
  FitMeasures m;
  m.cons_suf = ratio(s.both, s.x);
  m.cov_suf = ratio(s.both, s.y);
  m.pri = ratio(s.both - s.both_not_y, s.x - s.both_not_y);
  m.cons_nec = ratio(s.both, s.y);
  m.cov_nec = ratio(s.both, s.x);
  m.ron = ratio(s.not_x, s.not_both);
  m.coincidence = ratio(s.both, s.either);
  return m;
}

FitMeasures fit_measures(std::span<const double> x, std::span<const double> y, std::span<const double> w) {
  FitSums lanes[fit_sum_lanes];
  for (std::size_t i = 0; i < x.size(); ++i) {
    FitSums& s = lanes[i % fit_sum_lanes];
    const double xi = within_unit(x[i]);
    const double yi = within_unit(y[i]);
    const double both = xi < yi ? xi : yi;
    const double not_y = 1.0 - yi;
    s.x += w[i] * xi;
    s.y += w[i] * yi;
    s.both += w[i] * both;
    s.both_not_y += w[i] * (both < not_y ? both : not_y);
    s.not_x += w[i] * (1.0 - xi);
    s.not_both += w[i] * (1.0 - both);
    s.either += w[i] * (xi < yi ? yi : xi);
  }
  return fit_measures(combine_lanes(lanes));
}

}  // namespace morvit
