#pragma once

// An independent value of I_x(a, b) for whole-number a and b, from
// I_x(a, b) = P(at least a successes in a + b - 1 trials of probability x),
// summed in long double. Every term is positive, so the sum keeps nearly the
// precision of long double for the moderate n of the tests.

namespace morvit::testing {

inline long double binomial_beta(int a, int b, long double x) {
  const int n = a + b - 1;
  const long double y = 1.0L - x;
  // Terms C(n, j) x^j y^(n - j) by the ratio of consecutive terms.
  long double term = 1.0L;
  for (int i = 0; i < n; ++i) {
    term *= y;
  }
  long double above = 0.0L;
  long double total = 0.0L;
  for (int j = 0; j <= n; ++j) {
    if (j >= a) {
      above += term;
    }
    total += term;
    term *= static_cast<long double>(n - j) / static_cast<long double>(j + 1) * (x / y);
  }
  // total is 1 up to the rounding of the terms.
  return above / total;
}

}  // namespace morvit::testing
