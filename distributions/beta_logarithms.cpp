#include <cmath>

#include "distributions/beta_support.h"
#include "distributions/elementary_functions.h"
#include "distributions/gamma_support.h"
#include "distributions/stirling_constants.h"

namespace morvit {

namespace {

using stirling::c0;
using stirling::c1;
using stirling::c2;
using stirling::c3;
using stirling::c4;
using stirling::c5;

// del(b) - del(a + b) up to the factor c / b, in t = (1 / b)^2, with
// x = b / (a + b): the sums sn = (1 - x^n) / (1 - x).
double stirling_difference(double x, double t) {
  const double x2 = x * x;
  const double s3 = 1.0 + (x + x2);
  const double s5 = 1.0 + (x + x2 * s3);
  const double s7 = 1.0 + (x + x2 * s5);
  const double s9 = 1.0 + (x + x2 * s7);
  const double s11 = 1.0 + (x + x2 * s9);
  return ((((c5 * s11 * t + c4 * s9) * t + c3 * s7) * t + c2 * s5) * t + c1 * s3) * t + c0;
}

}  // namespace

double algdiv(double a, double b) {
  double h = 0.0;
  double c = 0.0;
  double x = 0.0;
  double d = 0.0;
  if (a > b) {
    h = b / a;
    c = 1.0 / (1.0 + h);
    x = h / (1.0 + h);
    d = a + (b - 0.5);
  } else {
    h = a / b;
    c = h / (1.0 + h);
    x = 1.0 / (1.0 + h);
    d = b + (a - 0.5);
  }
  const double t = std::pow(1.0 / b, 2.0);
  const double w = stirling_difference(x, t) * (c / b);

  // Subtract the larger of u and v last.
  const double u = d * alnrel(a / b);
  const double v = a * (std::log(b) - 1.0);
  if (u > v) {
    return (w - v) - u;
  }
  return (w - u) - v;
}

double bcorr(double a0, double b0) {
  const double a = std::fmin(a0, b0);
  const double b = std::fmax(a0, b0);
  const double h = a / b;
  const double c = h / (1.0 + h);
  const double x = 1.0 / (1.0 + h);
  const double w = stirling_difference(x, std::pow(1.0 / b, 2.0)) * (c / b);
  const double t = std::pow(1.0 / a, 2.0);
  return (((((c5 * t + c4) * t + c3) * t + c2) * t + c1) * t + c0) / a + w;
}

double betaln(double a0, double b0) {
  constexpr double e = 0.918938533204673e+00;  // 0.5 ln(2 pi)

  double a = std::fmin(a0, b0);
  double b = std::fmax(a0, b0);

  if (a >= 8.0) {
    const double w = bcorr(a, b);
    const double h = a / b;
    const double c = h / (1.0 + h);
    const double u = -(a - 0.5) * std::log(c);
    const double v = b * alnrel(h);
    if (u > v) {
      return (((-0.5 * std::log(b) + e) + w) - v) - u;
    }
    return (((-0.5 * std::log(b) + e) + w) - u) - v;
  }

  if (a < 1.0) {
    if (b < 8.0) {
      return gamln(a) + (gamln(b) - gamln(a + b));
    }
    return gamln(a) + algdiv(a, b);
  }

  // 1 <= a < 8. w collects the log of the factors split off a.
  double w = 0.0;
  if (a <= 2.0) {
    if (b <= 2.0) {
      return gamln(a) + gamln(b) - gsumln(a, b);
    }
    if (b >= 8.0) {
      return gamln(a) + algdiv(a, b);
    }
  } else {
    // Lower a by whole steps into (1, 2].
    const int n = static_cast<int>(a - 1.0);
    if (b > 1000.0) {
      double product = 1.0;
      for (int i = 0; i < n; ++i) {
        a -= 1.0;
        product *= a / (1.0 + a / b);
      }
      return (std::log(product) - n * std::log(b)) + (gamln(a) + algdiv(a, b));
    }
    double product = 1.0;
    for (int i = 0; i < n; ++i) {
      a -= 1.0;
      const double h = a / b;
      product *= h / (1.0 + h);
    }
    w = std::log(product);
    if (b >= 8.0) {
      return w + gamln(a) + algdiv(a, b);
    }
  }

  // 1 <= a <= 2 (a possibly lowered) and 2 < b < 8: lower b into (1, 2].
  const int n = static_cast<int>(b - 1.0);
  double z = 1.0;
  for (int i = 0; i < n; ++i) {
    b -= 1.0;
    z *= b / (a + b);
  }
  return w + std::log(z) + (gamln(a) + (gamln(b) - gsumln(a, b)));
}

}  // namespace morvit
