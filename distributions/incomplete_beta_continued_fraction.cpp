#include <cmath>

#include "distributions/beta_support.h"
#include "distributions/incomplete_beta_methods.h"

namespace morvit {

// I_x(a, b) = x^a y^b / B(a, b) times a continued fraction, evaluated by the
// forward recurrence with the convergents rescaled every step.
double bfrac(double a, double b, double x, double y, double lambda, double eps) {
  const double factor = brcomp(a, b, x, y);
  if (factor == 0.0) {
    return 0.0;
  }

  const double c = 1.0 + lambda;
  const double c0 = b / a;
  const double c1 = 1.0 + 1.0 / a;
  const double yp1 = y + 1.0;

  double n = 0.0;
  double p = 1.0;
  double s = a + 1.0;
  double an = 0.0;
  double bn = 1.0;
  double anp1 = 1.0;
  double bnp1 = c / c1;
  double r = c1 / c;

  for (;;) {
    n += 1.0;
    double t = n / a;
    const double w = n * (b - n) * x;
    double e = a / s;
    const double alpha = p * (p + c0) * e * e * (w * x);
    e = (1.0 + t) / (c1 + t + t);
    const double beta = n + w / s + e * (c + n * yp1);
    p = 1.0 + t;
    s += 2.0;

    t = alpha * an + beta * anp1;
    an = anp1;
    anp1 = t;
    t = alpha * bn + beta * bnp1;
    bn = bnp1;
    bnp1 = t;

    const double r0 = r;
    r = anp1 / bnp1;
    if (std::fabs(r - r0) <= eps * r) {
      break;
    }
    an /= bnp1;
    bn /= bnp1;
    anp1 = r;
    bnp1 = 1.0;
  }
  return factor * r;
}

}  // namespace morvit
