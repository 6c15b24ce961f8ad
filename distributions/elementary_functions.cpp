#include "distributions/elementary_functions.h"

#include <cmath>

namespace morvit {

double alnrel(double a) {
  constexpr double p1 = -0.129418923021993e+01;
  constexpr double p2 = 0.405303492862024e+00;
  constexpr double p3 = -0.178874546012214e-01;
  constexpr double q1 = -0.162752256355323e+01;
  constexpr double q2 = 0.747811014037616e+00;
  constexpr double q3 = -0.845104217945565e-01;

  if (std::fabs(a) > 0.375) {
    return std::log(1.0 + a);
  }
  const double t = a / (a + 2.0);
  const double t2 = t * t;
  const double w = (((p3 * t2 + p2) * t2 + p1) * t2 + 1.0) / (((q3 * t2 + q2) * t2 + q1) * t2 + 1.0);
  return 2.0 * t * w;
}

double rlog1(double x) {
  constexpr double a = 0.566749439387324e-01;  // rlog1(-0.3)
  constexpr double b = 0.456512608815524e-01;  // rlog1(1/3)
  constexpr double p0 = 0.333333333333333e+00;
  constexpr double p1 = -0.224696413112536e+00;
  constexpr double p2 = 0.620886815375787e-02;
  constexpr double q1 = -0.127408923933623e+01;
  constexpr double q2 = 0.354508718369557e+00;

  if (x < -0.39 || x > 0.57) {
    const double w = (x + 0.5) + 0.5;
    return x - std::log(w);
  }
  // Move x into [-0.18, 0.18] by the shifts h(-0.3) = 0 and h(1/3) = 0,
  // adding back the known value of the function at the shift point.
  double h = x;
  double w1 = 0.0;
  if (x < -0.18) {
    h = (x + 0.3) / 0.7;
    w1 = a - 0.3 * h;
  } else if (x > 0.18) {
    h = 0.75 * x - 0.25;
    w1 = b + h / 3.0;
  }
  const double r = h / (h + 2.0);
  const double t = r * r;
  const double w = ((p2 * t + p1) * t + p0) / ((q2 * t + q1) * t + 1.0);
  return 2.0 * t * (1.0 / (1.0 - r) - r * w) + w1;
}

double rexp(double x) {
  constexpr double p1 = 0.914041914819518e-09;
  constexpr double p2 = 0.238082361044469e-01;
  constexpr double q1 = -0.499999999085958e+00;
  constexpr double q2 = 0.107141568980644e+00;
  constexpr double q3 = -0.119041179760821e-01;
  constexpr double q4 = 0.595130811860248e-03;

  if (std::fabs(x) <= 0.15) {
    return x * (((p2 * x + p1) * x + 1.0) / ((((q4 * x + q3) * x + q2) * x + q1) * x + 1.0));
  }
  const double w = std::exp(x);
  if (x > 0.0) {
    return w * (0.5 + (0.5 - 1.0 / w));
  }
  return (w - 0.5) - 0.5;
}

double esum(int mu, double x) {
  const double m = static_cast<double>(mu);
  // When mu and x have opposite signs and the sum lies between 0 and x,
  // exp(mu + x) is no more extreme than exp(x) and one exponential does;
  // otherwise the two factors are formed apart.
  if (x > 0.0) {
    if (mu <= 0 && m + x >= 0.0) {
      return std::exp(m + x);
    }
  } else {
    if (mu >= 0 && m + x <= 0.0) {
      return std::exp(m + x);
    }
  }
  return std::exp(m) * std::exp(x);
}

}  // namespace morvit
