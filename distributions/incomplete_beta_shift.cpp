#include <cmath>

#include "distributions/beta_support.h"
#include "distributions/incomplete_beta_methods.h"
#include "distributions/machine_constants.h"

namespace morvit {

// I_x(a, b) - I_x(a + n, b) = x^a y^b / (a B(a, b)) times the sum of the
// n terms d_i, d_0 = 1, d_i = d_(i-1) x (a + b + i - 1) / (a + i).
double bup(double a, double b, double x, double y, int n, double eps) {
  const double apb = a + b;
  const double ap1 = a + 1.0;

  // The terms can grow by many orders of magnitude: scale the leading
  // factor up by e^mu and the first term down by e^-mu.
  int mu = 0;
  double d = 1.0;
  if (n != 1 && a >= 1.0 && apb >= 1.1 * ap1) {
    mu = static_cast<int>(std::fabs(exparg(1)));
    const int k = static_cast<int>(exparg(0));
    if (k < mu) {
      mu = k;
    }
    d = std::exp(-static_cast<double>(mu));
  }

  const double result = brcmp1(mu, a, b, x, y) / a;
  if (n == 1 || result == 0.0) {
    return result;
  }

  const int nm1 = n - 1;
  double w = d;

  // k: the index of the largest term, up to which every term is added.
  int k = 0;
  if (b > 1.0) {
    if (y <= 1e-4) {
      k = nm1;
    } else {
      const double r = (b - 1.0) * x / y - a;
      if (r >= 1.0) {
        k = (r < nm1) ? static_cast<int>(r) : nm1;
      }
    }
  }

  for (int i = 1; i <= k; ++i) {
    const double l = i - 1;
    d = (apb + l) / (ap1 + l) * x * d;
    w += d;
  }
  // Falling terms: stop once they no longer matter.
  for (int i = k + 1; i <= nm1; ++i) {
    const double l = i - 1;
    d = (apb + l) / (ap1 + l) * x * d;
    w += d;
    if (d <= eps * w) {
      break;
    }
  }
  return result * w;
}

}  // namespace morvit
