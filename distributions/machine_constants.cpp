#include "distributions/machine_constants.h"

#include <cmath>

namespace morvit {

namespace {

// base^exponent for an integer exponent, by repeated squaring. Exact for the
// powers of two that it is used for.
double integer_power(double base, int exponent) {
  if (exponent < 0) {
    return 1.0 / integer_power(base, -exponent);
  }
  double result = 1.0;
  double square = base;
  while (exponent > 0) {
    if (exponent % 2 == 1) {
      result *= square;
    }
    exponent /= 2;
    if (exponent > 0) {
      square *= square;
    }
  }
  return result;
}

}  // namespace

int ipmpar(int i) {
  switch (i) {
    case 1: return 2;
    case 2: return 31;
    case 3: return 2147483647;
    case 4: return 2;
    case 5: return 24;
    case 6: return -125;
    case 7: return 128;
    case 8: return 53;
    case 9: return -1021;
    case 10: return 1024;
    default: return 0;
  }
}

double spmpar(int i) {
  const double base = ipmpar(4);
  if (i <= 1) {
    const int digits = ipmpar(8);
    return integer_power(base, 1 - digits);
  }
  if (i == 2) {
    const int emin = ipmpar(9);
    return integer_power(base, emin - 1);
  }
  // (1 - base^-digits) base^emax would overflow on the way: form the
  // fraction exactly, scale by base^(emax - 2) and then by base twice.
  const int digits = ipmpar(8);
  const int emax = ipmpar(10);
  const double top = integer_power(base, digits - 1);
  const double fraction = ((top - 1.0) * base + (base - 1.0)) / (base * top);
  return fraction * integer_power(base, emax - 2) * base * base;
}

double exparg(int l) {
  double lnb = 0.0;
  switch (ipmpar(4)) {
    case 2: lnb = 0.69314718055995; break;
    case 8: lnb = 2.0794415416798; break;
    case 16: lnb = 2.7725887222398; break;
    default: lnb = std::log(static_cast<double>(ipmpar(4))); break;
  }
  const int exponent = (l == 0) ? ipmpar(10) : ipmpar(9) - 1;
  return 0.99999 * (static_cast<double>(exponent) * lnb);
}

}  // namespace morvit
