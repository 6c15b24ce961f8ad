#include "distributions/error_functions.h"

#include <cmath>

#include "distributions/machine_constants.h"

namespace morvit {

namespace {

// Coefficient tables shared by erf and erfc1. Element [0] multiplies the
// highest power.
constexpr double erf_c = 0.564189583547756e+00;  // 1 / sqrt(pi)
constexpr double erf_a[5] = {
    0.771058495001320e-04, -0.133733772997339e-02, 0.323076579225834e-01, 0.479137145607681e-01, 0.128379167095513e+00};
constexpr double erf_b[3] = {0.301048631703895e-02, 0.538971687740286e-01, 0.375795757275549e+00};
constexpr double erf_p[8] = {-1.36864857382717e-07,
                             5.64195517478974e-01,
                             7.21175825088309e+00,
                             4.31622272220567e+01,
                             1.52989285046940e+02,
                             3.39320816734344e+02,
                             4.51918953711873e+02,
                             3.00459261020162e+02};
constexpr double erf_q[8] = {1.00000000000000e+00,
                             1.27827273196294e+01,
                             7.70001529352295e+01,
                             2.77585444743988e+02,
                             6.38980264465631e+02,
                             9.31354094850610e+02,
                             7.90950925327898e+02,
                             3.00459260956983e+02};
constexpr double erf_r[5] = {
    2.10144126479064e+00, 2.62370141675169e+01, 2.13688200555087e+01, 4.65807828718470e+00, 2.82094791773523e-01};
constexpr double erf_s[4] = {9.41537750555460e+01, 1.87114811799590e+02, 9.90191814623914e+01, 1.80124575948747e+01};

// erf(x) / x for |x| <= 0.5, as a ratio in t = x^2.
double erf_small_ratio(double t) {
  const double top = (((erf_a[0] * t + erf_a[1]) * t + erf_a[2]) * t + erf_a[3]) * t + erf_a[4] + 1.0;
  const double bot = ((erf_b[0] * t + erf_b[1]) * t + erf_b[2]) * t + 1.0;
  return top / bot;
}

// e^(x^2) erfc(ax) for 0.5 < ax <= 4.
double erfc_scaled_middle(double ax) {
  const double top =
      ((((((erf_p[0] * ax + erf_p[1]) * ax + erf_p[2]) * ax + erf_p[3]) * ax + erf_p[4]) * ax + erf_p[5]) * ax +
       erf_p[6]) *
          ax +
      erf_p[7];
  const double bot =
      ((((((erf_q[0] * ax + erf_q[1]) * ax + erf_q[2]) * ax + erf_q[3]) * ax + erf_q[4]) * ax + erf_q[5]) * ax +
       erf_q[6]) *
          ax +
      erf_q[7];
  return top / bot;
}

// The numerator and denominator of the large-argument ratio in t = 1 / x^2.
double erfc_large_top(double t) { return (((erf_r[0] * t + erf_r[1]) * t + erf_r[2]) * t + erf_r[3]) * t + erf_r[4]; }
double erfc_large_bot(double t) { return (((erf_s[0] * t + erf_s[1]) * t + erf_s[2]) * t + erf_s[3]) * t + 1.0; }

}  // namespace

double erf(double x) {
  const double ax = std::fabs(x);
  if (ax <= 0.5) {
    const double t = x * x;
    return x * erf_small_ratio(t);
  }
  if (ax <= 4.0) {
    const double result = 0.5 + (0.5 - std::exp(-std::pow(x, 2.0)) * erfc_scaled_middle(ax));
    return x < 0.0 ? -result : result;
  }
  if (ax < 5.8) {
    const double x2 = std::pow(x, 2.0);
    const double t = 1.0 / x2;
    double result = (erf_c - erfc_large_top(t) / (x2 * erfc_large_bot(t))) / ax;
    result = 0.5 + (0.5 - std::exp(-x2) * result);
    return x < 0.0 ? -result : result;
  }
  return x < 0.0 ? -1.0 : 1.0;
}

double erfc1(int ind, double x) {
  const double ax = std::fabs(x);
  if (ax <= 0.5) {
    const double t = x * x;
    double result = 0.5 + (0.5 - x * erf_small_ratio(t));
    if (ind != 0) {
      result = std::exp(t) * result;
    }
    return result;
  }

  double result = 0.0;
  if (ax <= 4.0) {
    result = erfc_scaled_middle(ax);
  } else {
    if (x <= -5.6) {
      return ind == 0 ? 2.0 : 2.0 * std::exp(std::pow(x, 2.0));
    }
    // erfc(x) is below the smallest normal double here.
    if (ind == 0 && (x > 100.0 || std::pow(x, 2.0) > -exparg(1))) {
      return 0.0;
    }
    const double t = std::pow(1.0 / x, 2.0);
    result = (erf_c - t * erfc_large_top(t) / erfc_large_bot(t)) / ax;
  }

  // result holds e^(x^2) erfc(|x|); reflect for negative x.
  if (ind != 0) {
    if (x < 0.0) {
      result = 2.0 * std::exp(std::pow(x, 2.0)) - result;
    }
    return result;
  }
  result = std::exp(-std::pow(x, 2.0)) * result;
  if (x < 0.0) {
    result = 2.0 - result;
  }
  return result;
}

}  // namespace morvit
