#include "measures/f_upper_point.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "distributions/distributions.h"

namespace morvit {
namespace {

constexpr double none = std::numeric_limits<double>::quiet_NaN();
constexpr double epsilon = std::numeric_limits<double>::epsilon();
// The tail is close enough when it is within this part of alpha.
constexpr double tail_tolerance = 1e-14;
constexpr int most_steps = 200;

double upper_tail(double f, double dfn, double dfd) {
  double cum = 0.0;
  double ccum = 0.0;
  cumf(f, dfn, dfd, cum, ccum);
  return ccum;
}

// Where to begin: Paulson's normal approximation to the cube root of F, which is good to
// a few per cent for moderate degrees of freedom; 1 where it gives no positive number.
double first_guess(double alpha, double dfn, double dfd) {
  int fault = 0;
  const double z = -ppnd16(alpha, fault);  // the normal upper-alpha point
  const double a = 2.0 / (9.0 * dfn);
  const double b = 2.0 / (9.0 * dfd);
  // ((1 - b) u - (1 - a)) / sqrt(b u^2 + a) = z, squared, as a quadratic in u = F^(1/3).
  const double qa = (1.0 - b) * (1.0 - b) - z * z * b;
  const double qb = -2.0 * (1.0 - a) * (1.0 - b);
  const double qc = (1.0 - a) * (1.0 - a) - z * z * a;
  const double discriminant = qb * qb - 4.0 * qa * qc;
  if (fault != 0 || !(qa > 0.0) || !(discriminant >= 0.0)) return 1.0;
  const double u = (-qb + (z >= 0.0 ? 1.0 : -1.0) * std::sqrt(discriminant)) / (2.0 * qa);
  const double f = u * u * u;
  return std::isfinite(f) && f > 0.0 ? f : 1.0;
}

}  // namespace

double f_upper_point(double alpha, double dfn, double dfd) {
  if (!(alpha > 0.0 && alpha < 1.0) || std::isnan(dfn) || std::isnan(dfd)) return none;
  // How far the tail at f stands from alpha, relative to alpha: positive below the point,
  // 0 or negative at and above it.
  const auto excess = [&](double f) { return upper_tail(f, dfn, dfd) / alpha - 1.0; };

  // A bracket [low, high] with the tail above alpha at low and not above it at high,
  // widened from the first guess by a factor that grows (squared at each step, up to
  // 1e10) to the ends of the doubles. Then halved in the logarithm of F while high is more
  // than twice low, so that the last stage works on a bracket of one binary order.
  double low = first_guess(alpha, dfn, dfd);
  double high = low;
  double at_low = excess(low);
  double at_high = at_low;
  if (std::isnan(at_low)) return none;
  double factor = 1.05;
  if (at_low > 0.0) {
    do {
      low = high;
      at_low = at_high;
      high = low * factor;
      if (!std::isfinite(high)) high = std::numeric_limits<double>::max();
      at_high = excess(high);
      if (high == std::numeric_limits<double>::max() && at_high > 0.0) return none;
      factor = std::min(factor * factor, 1e10);
    } while (at_high > 0.0);
  } else {
    do {
      high = low;
      at_high = at_low;
      low = high / factor;
      // No point above 0: the tail is at or below alpha for every F a double can hold
      // (with no degrees of freedom, for every F above 0).
      if (!(low >= std::numeric_limits<double>::min())) return none;
      at_low = excess(low);
      factor = std::min(factor * factor, 1e10);
    } while (!(at_low > 0.0));
  }
  if (std::isnan(at_high) || std::isnan(at_low)) return none;
  while (high > 2.0 * low) {
    const double middle = std::sqrt(low) * std::sqrt(high);
    const double at_middle = excess(middle);
    if (std::isnan(at_middle)) return none;
    if (at_middle > 0.0) {
      low = middle;
      at_low = at_middle;
    } else {
      high = middle;
      at_high = at_middle;
    }
  }

  // Brent's method on the bracket: inverse quadratic interpolation or the secant step
  // where they promise progress, bisection where they do not. `best` is the newest
  // estimate, `other` the end of the bracket across the point from it, `previous` the
  // estimate before `best`.
  double best = high, at_best = at_high;
  double other = low, at_other = at_low;
  double previous = other, at_previous = at_other;
  double step = best - other;
  double step_before = step;
  for (int i = 0; i < most_steps; ++i) {
    if ((at_best > 0.0) == (at_other > 0.0)) {
      other = previous;
      at_other = at_previous;
      step = step_before = best - other;
    }
    if (std::fabs(at_other) < std::fabs(at_best)) {
      previous = best;
      at_previous = at_best;
      best = other;
      at_best = at_other;
      other = previous;
      at_other = at_previous;
    }
    const double resolution = 2.0 * epsilon * std::fabs(best);
    const double half_width = 0.5 * (other - best);
    if (std::fabs(at_best) <= tail_tolerance || std::fabs(half_width) <= resolution) break;

    bool bisect = true;
    if (std::fabs(step_before) >= resolution && std::fabs(at_previous) > std::fabs(at_best)) {
      const double s = at_best / at_previous;
      double p = 0.0;
      double q = 0.0;
      if (previous == other) {
        p = 2.0 * half_width * s;
        q = 1.0 - s;
      } else {
        const double t = at_previous / at_other;
        const double r = at_best / at_other;
        p = s * (2.0 * half_width * t * (t - r) - (best - previous) * (r - 1.0));
        q = (t - 1.0) * (r - 1.0) * (s - 1.0);
      }
      if (p > 0.0) {
        q = -q;
      } else {
        p = -p;
      }
      if (2.0 * p < std::fmin(3.0 * half_width * q - std::fabs(resolution * q), std::fabs(step_before * q))) {
        step_before = step;
        step = p / q;
        bisect = false;
      }
    }
    if (bisect) step = step_before = half_width;

    previous = best;
    at_previous = at_best;
    best += std::fabs(step) > resolution ? step : (half_width > 0.0 ? resolution : -resolution);
    at_best = excess(best);
    if (std::isnan(at_best)) return none;
  }
  // The end of the bracket whose tail is nearer alpha.
  return std::fabs(at_other) < std::fabs(at_best) ? other : best;
}

double FUpperPoints::at(double alpha, double dfn, double dfd) {
  if (std::isnan(alpha) || std::isnan(dfn) || std::isnan(dfd)) return none;
  const auto key = std::make_tuple(alpha, dfn, dfd);
  const auto found = known_.find(key);
  if (found != known_.end()) return found->second;
  const double point = f_upper_point(alpha, dfn, dfd);
  known_.emplace(key, point);
  return point;
}

}  // namespace morvit
