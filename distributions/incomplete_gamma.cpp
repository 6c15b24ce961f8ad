#include <cmath>

#include "distributions/elementary_functions.h"
#include "distributions/error_functions.h"
#include "distributions/gamma_support.h"

namespace morvit {

// Incomplete gamma ratios for a <= 1 (Didonato and Morris): a Taylor series
// for x < 1.1, a continued fraction for Q(a, x) beyond.
void grat1(double a, double x, double r, double& p, double& q, double eps) {
  if (a * x == 0.0) {
    if (x <= a) {
      p = 0.0;
      q = 1.0;
    } else {
      p = 1.0;
      q = 0.0;
    }
    return;
  }

  if (a == 0.5) {
    const double rx = std::sqrt(x);
    if (x < 0.25) {
      p = erf(rx);
      q = 0.5 + (0.5 - p);
    } else {
      q = erfc1(0, rx);
      p = 0.5 + (0.5 - q);
    }
    return;
  }

  if (x < 1.1) {
    // P(a, x) = x^a / Gamma(a + 1) (1 - j), with j from the series of
    // x^n / ((a + n) n!) taken past its first terms.
    double an = 3.0;
    double c = x;
    double sum = x / (a + 3.0);
    const double tol = 0.1 * eps / (a + 1.0);
    double t = 0.0;
    do {
      an += 1.0;
      c = -(c * (x / an));
      t = c / (a + an);
      sum += t;
    } while (std::fabs(t) > tol);
    const double j = a * x * ((sum / 6.0 - 0.5 / (a + 2.0)) * x + 1.0 / (a + 1.0));

    const double z = a * std::log(x);
    const double h = gam1(a);
    const double g = 1.0 + h;
    // Where x^a is near 1, Q is a small difference: form it from
    // x^a - 1 directly.
    if ((x < 0.25 && z > -0.13394) || (x >= 0.25 && a < x / 2.59)) {
      const double l = rexp(z);
      const double w = 0.5 + (0.5 + l);
      q = (w * j - l) * g - h;
      if (q < 0.0) {
        p = 1.0;
        q = 0.0;
      } else {
        p = 0.5 + (0.5 - q);
      }
    } else {
      const double w = std::exp(z);
      p = w * g * (0.5 + (0.5 - j));
      q = 0.5 + (0.5 - p);
    }
    return;
  }

  // Continued fraction for Q(a, x) / r, evaluated two terms per step.
  double a2nm1 = 1.0;
  double a2n = 1.0;
  double b2nm1 = x;
  double b2n = x + (1.0 - a);
  double c = 1.0;
  double am0 = 0.0;
  double an0 = 0.0;
  do {
    a2nm1 = x * a2n + c * a2nm1;
    b2nm1 = x * b2n + c * b2nm1;
    am0 = a2nm1 / b2nm1;
    c += 1.0;
    const double cma = c - a;
    a2n = a2nm1 + cma * a2n;
    b2n = b2nm1 + cma * b2n;
    an0 = a2n / b2n;
  } while (std::fabs(an0 - am0) >= eps * an0);
  q = r * an0;
  p = 0.5 + (0.5 - q);
}

}  // namespace morvit
