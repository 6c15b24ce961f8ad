#include <cmath>

#include "distributions/beta_support.h"
#include "distributions/elementary_functions.h"
#include "distributions/gamma_support.h"

namespace morvit {

double lower_b_by_unit_steps(double a0, double& b) {
  double u = gamln1(a0);
  const int n = static_cast<int>(b - 1.0);
  if (n >= 1) {
    double c = 1.0;
    for (int i = 0; i < n; ++i) {
      b -= 1.0;
      c *= b / (a0 + b);
    }
    u = std::log(c) + u;
  }
  return u;
}

// brcomp is brcmp1 with mu = 0: esum(0, z) is exactly exp(z).
double brcomp(double a, double b, double x, double y) { return brcmp1(0, a, b, x, y); }

double brcmp1(int mu, double a, double b, double x, double y) {
  constexpr double rsqrt_2pi = 0.398942280401433e+00;  // 1 / sqrt(2 pi)

  if (x == 0.0 || y == 0.0) {
    return 0.0;
  }

  const double a0 = std::fmin(a, b);
  if (a0 >= 8.0) {
    // Large parameters: x^a y^b / B(a, b) around the mode, with the
    // exponent in rlog1 form so that it keeps its accuracy near x0.
    double h = 0.0;
    double x0 = 0.0;
    double y0 = 0.0;
    double lambda = 0.0;
    if (a > b) {
      h = b / a;
      x0 = 1.0 / (1.0 + h);
      y0 = h / (1.0 + h);
      lambda = (a + b) * y - b;
    } else {
      h = a / b;
      x0 = h / (1.0 + h);
      y0 = 1.0 / (1.0 + h);
      lambda = a - (a + b) * x;
    }
    double e = -lambda / a;
    const double u = (std::fabs(e) > 0.6) ? e - std::log(x / x0) : rlog1(e);
    e = lambda / b;
    const double v = (std::fabs(e) > 0.6) ? e - std::log(y / y0) : rlog1(e);
    const double z = esum(mu, -(a * u + b * v));
    return rsqrt_2pi * std::sqrt(b * x0) * z * std::exp(-bcorr(a, b));
  }

  // Take ln(1 - t) through alnrel where t is the smaller of x and y.
  double lnx = 0.0;
  double lny = 0.0;
  if (x <= 0.375) {
    lnx = std::log(x);
    lny = alnrel(-x);
  } else if (y > 0.375) {
    lnx = std::log(x);
    lny = std::log(y);
  } else {
    lnx = alnrel(-y);
    lny = std::log(y);
  }
  double z = a * lnx + b * lny;

  if (a0 >= 1.0) {
    return esum(mu, z - betaln(a, b));
  }

  // a0 < 1: 1 / B(a, b) through gamma ratios that keep the small a0 exact.
  double b0 = std::fmax(a, b);
  if (b0 >= 8.0) {
    const double u = gamln1(a0) + algdiv(a0, b0);
    return a0 * esum(mu, z - u);
  }
  if (b0 > 1.0) {
    const double u = lower_b_by_unit_steps(a0, b0);
    z -= u;
    b0 -= 1.0;
    const double t = reciprocal_gamma_of_one_plus(a0 + b0);
    return a0 * esum(mu, z) * (1.0 + gam1(b0)) / t;
  }

  const double e = esum(mu, z);
  if (e == 0.0) {
    return 0.0;
  }
  const double c = (1.0 + gam1(a)) * (1.0 + gam1(b)) / reciprocal_gamma_of_one_plus(a + b);
  return e * (a0 * c) / (1.0 + a0 / b0);
}

}  // namespace morvit
