#include <cmath>

#include "distributions/beta_support.h"
#include "distributions/elementary_functions.h"
#include "distributions/error_functions.h"
#include "distributions/incomplete_beta_methods.h"

namespace morvit {

// Asymptotic expansion of I_x(a, b) for large a and b around the mean,
// in powers of the ratio of the parameters, with erfc of the scaled
// distance from the mean as its leading term.
double basym(double a, double b, double lambda, double eps) {
  constexpr int num = 20;                       // largest order of the expansion
  constexpr double e0 = 1.12837916709551e+00;   // 2 / sqrt(pi)
  constexpr double e1 = 0.353553390593274e+00;  // 2^(-3/2)

  double h = 0.0;
  double r0 = 0.0;
  double r1 = 0.0;
  double w0 = 0.0;
  if (a < b) {
    h = a / b;
    r0 = 1.0 / (1.0 + h);
    r1 = (b - a) / b;
    w0 = 1.0 / std::sqrt(a * (1.0 + h));
  } else {
    h = b / a;
    r0 = 1.0 / (1.0 + h);
    r1 = (b - a) / a;
    w0 = 1.0 / std::sqrt(b * (1.0 + h));
  }

  const double f = a * rlog1(-lambda / a) + b * rlog1(lambda / b);
  const double t = std::exp(-f);
  if (t == 0.0) {
    return 0.0;
  }
  const double z0 = std::sqrt(f);
  const double z = 0.5 * (z0 / e1);
  const double z2 = f + f;

  // Coefficient arrays, 1-based: element 0 is unused.
  double a0[num + 2] = {};
  double b0[num + 2] = {};
  double c[num + 2] = {};
  double d[num + 2] = {};

  a0[1] = (2.0 / 3.0) * r1;
  c[1] = -0.5 * a0[1];
  d[1] = -c[1];
  double j0 = (0.5 / e0) * erfc1(1, z0);
  double j1 = e1;
  double sum = j0 + d[1] * w0 * j1;

  double s = 1.0;
  const double h2 = h * h;
  double hn = 1.0;
  double w = w0;
  double znm1 = z;
  double zn = z2;
  for (int n = 2; n <= num; n += 2) {
    hn = h2 * hn;
    a0[n] = 2.0 * r0 * (1.0 + h * hn) / (n + 2.0);
    const int np1 = n + 1;
    s += hn;
    a0[np1] = 2.0 * r1 * s / (n + 3.0);

    for (int i = n; i <= np1; ++i) {
      const double r = -0.5 * (i + 1.0);
      b0[1] = r * a0[1];
      for (int m = 2; m <= i; ++m) {
        double bsum = 0.0;
        for (int jj = 1; jj <= m - 1; ++jj) {
          bsum += (jj * r - (m - jj)) * a0[jj] * b0[m - jj];
        }
        b0[m] = r * a0[m] + bsum / m;
      }
      c[i] = b0[i] / (i + 1.0);
      double dsum = 0.0;
      for (int jj = 1; jj <= i - 1; ++jj) {
        dsum += d[i - jj] * c[jj];
      }
      d[i] = -(dsum + c[i]);
    }

    j0 = e1 * znm1 + (n - 1.0) * j0;
    j1 = e1 * zn + n * j1;
    znm1 = z2 * znm1;
    zn = z2 * zn;
    w = w0 * w;
    const double t0 = d[n] * w * j0;
    w = w0 * w;
    const double t1 = d[np1] * w * j1;
    sum += t0 + t1;
    if (std::fabs(t0) + std::fabs(t1) <= eps * sum) {
      break;
    }
  }

  return e0 * t * std::exp(-bcorr(a, b)) * sum;
}

}  // namespace morvit
