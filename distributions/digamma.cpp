#include <cmath>

#include "distributions/gamma_support.h"
#include "distributions/machine_constants.h"

namespace morvit {

// Digamma function by rational approximations (Cody, Strecok and Thacher,
// 1973, as carried by TOMS 708 and DCDFLIB), with the reflection
// psi(1 - x) = psi(x) + pi cot(pi x) for x < 0.5.
double psi(double x) {
  constexpr double piov4 = 0.785398163397448e+00;
  // The positive zero of psi, published to 37 digits; the nearest double.
  constexpr double dx0 = 1.461632144968362341262659542325721325e+00;
  // 0.5 <= x <= 3; element [0] multiplies the highest power, the
  // denominator has an implicit leading 1.
  constexpr double p1[7] = {0.895385022981970e-02,
                            0.477762828042627e+01,
                            0.142441585084029e+03,
                            0.118645200713425e+04,
                            0.363351846806499e+04,
                            0.413810161269013e+04,
                            0.130560269827897e+04};
  constexpr double q1[6] = {0.448452573429826e+02,
                            0.520752771467162e+03,
                            0.221000799247830e+04,
                            0.364127349079381e+04,
                            0.190831076596300e+04,
                            0.691091682714533e-05};
  // x > 3, in w = 1 / x^2.
  constexpr double p2[4] = {
      -0.212940445131011e+01, -0.701677227766759e+01, -0.448616543918019e+01, -0.648157123766197e+00};
  constexpr double q2[4] = {0.322703493791143e+02, 0.892920700481861e+02, 0.546117738103215e+02, 0.777788548522962e+01};

  const double xmax1 = std::fmin(static_cast<double>(ipmpar(3)), 1.0 / spmpar(1));
  constexpr double xsmall = 1e-9;
  double aug = 0.0;

  if (x < 0.5) {
    if (std::fabs(x) <= xsmall) {
      if (x == 0.0) {
        return 0.0;
      }
      // pi cot(pi x) is 1 / x to within the precision of doubles.
      aug = -1.0 / x;
    } else {
      // aug = -pi cot(pi x), reduced in units of pi / 4. w = |x| and
      // sgn carries the sign that cot(-w pi) = -cot(w pi) gives.
      double w = -x;
      double sgn = piov4;
      if (w <= 0.0) {
        w = x;
        sgn = -piov4;
      }
      if (w >= xmax1) {
        return 0.0;
      }
      w -= std::trunc(w);
      const int nq = static_cast<int>(w * 4.0);
      w = 4.0 * (w - nq * 0.25);
      // w is now the fractional part of 4|x|; reflect it within the
      // octant and pick the sign of the quadrant.
      int n = nq / 2;
      if (n + n != nq) {
        w = 1.0 - w;
      }
      const double z = piov4 * w;
      int m = n / 2;
      if (m + m != n) {
        sgn = -sgn;
      }
      n = (nq + 1) / 2;
      m = n / 2;
      m += m;
      if (m == n) {
        // cot(pi x) is needed; at an integer x it is infinite.
        if (z == 0.0) {
          return 0.0;
        }
        aug = sgn * (std::cos(z) / std::sin(z)) * 4.0;
      } else {
        aug = sgn * (std::sin(z) / std::cos(z)) * 4.0;
      }
    }
    x = 1.0 - x;
  }

  if (x <= 3.0) {
    double den = x;
    double upper = p1[0] * x;
    for (int i = 0; i < 5; ++i) {
      den = (den + q1[i]) * x;
      upper = (upper + p1[i + 1]) * x;
    }
    const double den_full = den + q1[5];
    return (upper + p1[6]) / den_full * (x - dx0) + aug;
  }

  if (x < xmax1) {
    const double w = 1.0 / std::pow(x, 2.0);
    double den = w;
    double upper = p2[0] * w;
    for (int i = 0; i < 3; ++i) {
      den = (den + q2[i]) * w;
      upper = (upper + p2[i + 1]) * w;
    }
    aug = upper / (den + q2[3]) - 0.5 / x + aug;
  }
  return aug + std::log(x);
}

}  // namespace morvit
