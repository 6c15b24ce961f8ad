#include <cmath>

#include "distributions/gamma_support.h"
#include "distributions/incomplete_beta_methods.h"
#include "distributions/machine_constants.h"

namespace morvit {

// For a tiny a, 1 - I_x(a, b) = I_(1-x)(b, a) is a times a series in x.
double apser(double a, double b, double x, double eps) {
  constexpr double g = 0.577215664901533e+00;  // Euler's constant

  const double bx = b * x;
  double t = x - bx;
  double c = 0.0;
  if (b * eps <= 0.02) {
    c = std::log(x) + psi(b) + g + t;
  } else {
    c = std::log(bx) + g + t;
  }

  const double tol = 5.0 * eps * std::fabs(c);
  double j = 1.0;
  double s = 0.0;
  double aj = 0.0;
  do {
    j += 1.0;
    t *= x - bx / j;
    aj = t / j;
    s += aj;
  } while (std::fabs(aj) > tol);
  return -a * (c + s);
}

// For a tiny b, 1 / B(a, b) is b to within the precision of doubles, and
// I_x(a, b) = b x^a / a (1 + a sum_n x^n / (a + n)).
double fpser(double a, double b, double x, double eps) {
  double result = 1.0;
  if (a > 1e-3 * eps) {
    const double t = a * std::log(x);
    if (t < exparg(1)) {
      return 0.0;
    }
    result = std::exp(t);
  }
  result = (b / a) * result;

  const double tol = eps / a;
  double an = a + 1.0;
  double t = x;
  double s = t / an;
  double c = 0.0;
  do {
    an += 1.0;
    t = x * t;
    c = t / an;
    s += c;
  } while (std::fabs(c) > tol);
  return result * (1.0 + a * s);
}

}  // namespace morvit
