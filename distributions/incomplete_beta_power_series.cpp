#include <cmath>

#include "distributions/beta_support.h"
#include "distributions/gamma_support.h"
#include "distributions/incomplete_beta_methods.h"

namespace morvit {

namespace {

// x^a / (a B(a, b)), the factor in front of the power series.
double power_series_factor(double a, double b, double x) {
  const double a0 = std::fmin(a, b);
  if (a0 >= 1.0) {
    const double z = a * std::log(x) - betaln(a, b);
    return std::exp(z) / a;
  }

  // a0 < 1: 1 / B(a, b) through gamma ratios that keep the small a0 exact.
  double b0 = std::fmax(a, b);
  if (b0 >= 8.0) {
    const double u = gamln1(a0) + algdiv(a0, b0);
    const double z = a * std::log(x) - u;
    return a0 / a * std::exp(z);
  }
  if (b0 > 1.0) {
    const double u = lower_b_by_unit_steps(a0, b0);
    const double z = a * std::log(x) - u;
    b0 -= 1.0;
    const double t = reciprocal_gamma_of_one_plus(a0 + b0);
    return std::exp(z) * (a0 / a) * (1.0 + gam1(b0)) / t;
  }

  const double factor = std::pow(x, a);
  if (factor == 0.0) {
    return 0.0;
  }
  const double apb = a + b;
  const double c = (1.0 + gam1(a)) * (1.0 + gam1(b)) / reciprocal_gamma_of_one_plus(apb);
  return factor * (c * (b / apb));
}

}  // namespace

double bpser(double a, double b, double x, double eps) {
  if (x == 0.0) {
    return 0.0;
  }
  const double factor = power_series_factor(a, b, x);
  if (factor == 0.0 || a <= 0.1 * eps) {
    return factor;
  }

  // I_x(a, b) = factor (1 + a sum_n (1 - b)...(n - b) x^n / (n! (a + n))).
  double sum = 0.0;
  double n = 0.0;
  double c = 1.0;
  const double tol = eps / a;
  double w = 0.0;
  do {
    n += 1.0;
    c *= (0.5 + (0.5 - b / n)) * x;
    w = c / (a + n);
    sum += w;
  } while (std::fabs(w) > tol);
  return factor * (1.0 + a * sum);
}

}  // namespace morvit
