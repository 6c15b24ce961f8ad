#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "distributions/beta_support.h"
#include "distributions/elementary_functions.h"
#include "distributions/error_functions.h"
#include "distributions/gamma_support.h"
#include "distributions/machine_constants.h"

// The support routines against the standard library's functions over their
// argument ranges (a wrong or transposed coefficient shows up as a large
// error somewhere in the range), and the published worked values.

namespace morvit {
namespace {

constexpr long double pi_l = std::numbers::pi_v<long double>;
constexpr double euler = std::numbers::egamma;

// ln B(a, b) in long double.
long double log_beta(long double a, long double b) { return std::lgamma(a) + std::lgamma(b) - std::lgamma(a + b); }

// The largest arguments of exp that give a finite, and a normal, result: derived from the
// machine's constants, and the bounds of the expansions' asymptotic branches.
TEST(SupportFunctions, LargestArgumentsOfExp) {
  EXPECT_EQ(exparg(0), 709.7756150662599);
  EXPECT_EQ(exparg(1), -708.3893345680835);
}

TEST(SupportFunctions, LogGammaAcrossItsBranches) {
  EXPECT_NEAR(gamln(0.5), 0.57236494292470, 1e-14);
  EXPECT_NEAR(gamln(10.0), 12.8018274800815, 1e-13);
  for (double a = 0.01; a < 200.0; a *= 1.37) {
    const double expected = static_cast<double>(std::lgamma(static_cast<long double>(a)));
    EXPECT_NEAR(gamln(a), expected, 2e-15 + 1e-14 * std::fabs(expected)) << "a = " << a;
  }
  for (double a = -0.2; a <= 1.25; a += 0.0625) {
    const double expected = static_cast<double>(std::lgamma(1.0L + a));
    EXPECT_NEAR(gamln1(a), expected, 1e-15) << "a = " << a;
  }
  for (double a = -0.5; a <= 1.5; a += 0.0625) {
    const double expected = static_cast<double>(1.0L / std::tgamma(1.0L + a) - 1.0L);
    EXPECT_NEAR(gam1(a), expected, 1e-15) << "a = " << a;
  }
  for (double a = 1.0; a <= 2.0; a += 0.25) {
    for (double b = 1.0; b <= 2.0; b += 0.3) {
      const double expected = static_cast<double>(std::lgamma(static_cast<long double>(a) + b));
      EXPECT_NEAR(gsumln(a, b), expected, 2e-15) << "a = " << a << " b = " << b;
    }
  }
}

TEST(SupportFunctions, LogBetaAndItsStirlingParts) {
  EXPECT_NEAR(betaln(2.0, 3.0), -2.48490664978800, 1e-14);
  // Pairs across the branches: a < 1; 1 <= a <= 2; 2 < a < 8 with b below
  // 8, up to 1000 and beyond; a >= 8.
  const double pairs[][2] = {{0.5, 0.5},
                             {0.5, 5.0},
                             {0.5, 20.0},
                             {1.5, 1.7},
                             {1.5, 5.0},
                             {1.5, 20.0},
                             {3.5, 5.5},
                             {3.5, 20.0},
                             {3.5, 2e3},
                             {7.9, 7.95},
                             {10.0, 20.0},
                             {100.0, 1e4},
                             {2e4, 3e4},
                             {1e-10, 3.0}};
  for (const auto& p : pairs) {
    const double expected = static_cast<double>(log_beta(p[0], p[1]));
    EXPECT_NEAR(betaln(p[0], p[1]), expected, 1e-14 * std::fabs(expected)) << p[0] << ", " << p[1];
    EXPECT_NEAR(betaln(p[1], p[0]), expected, 1e-14 * std::fabs(expected)) << p[1] << ", " << p[0];
  }
  const double algdiv_pairs[][2] = {{0.5, 8.0}, {3.0, 10.0}, {20.0, 8.5}, {1e3, 50.0}, {0.01, 60.0}, {0.5, 300.0}};
  for (const auto& p : algdiv_pairs) {
    const long double a = p[0], b = p[1];
    const double expected = static_cast<double>(std::lgamma(b) - std::lgamma(a + b));
    EXPECT_NEAR(algdiv(p[0], p[1]), expected, 1e-14 * std::fabs(expected)) << p[0] << ", " << p[1];
  }
  // del(x) = ln Gamma(x) - ((x - 0.5) ln x - x + 0.5 ln(2 pi)).
  auto del = [](long double x) {
    return std::lgamma(x) - ((x - 0.5L) * std::log(x) - x + 0.5L * std::log(2.0L * pi_l));
  };
  const double bcorr_pairs[][2] = {{8.0, 8.0}, {8.0, 30.0}, {25.0, 9.0}, {60.0, 90.0}};
  for (const auto& p : bcorr_pairs) {
    const double expected = static_cast<double>(del(p[0]) + del(p[1]) - del(static_cast<long double>(p[0]) + p[1]));
    EXPECT_NEAR(bcorr(p[0], p[1]), expected, 1e-13 * std::fabs(expected)) << p[0] << ", " << p[1];
  }
}

TEST(SupportFunctions, BinomialFactorAcrossItsBranches) {
  // x^a y^b / B(a, b): min(a, b) >= 8; 1 <= min < 8; min < 1 with max
  // >= 8, between 1 and 8, and <= 1; x and y on either side of 0.375.
  const double cases[][3] = {{20.0, 30.0, 0.4},
                             {9.0, 300.0, 0.02},
                             {2.5, 4.0, 0.3},
                             {3.0, 1.5, 0.8},
                             {0.5, 12.0, 0.1},
                             {0.3, 4.5, 0.5},
                             {0.7, 0.2, 0.9},
                             {0.4, 0.9, 0.2}};
  for (const auto& c : cases) {
    const double a = c[0], b = c[1], x = c[2], y = 1.0 - x;
    const long double log_value =
        a * std::log(static_cast<long double>(x)) + b * std::log(static_cast<long double>(y)) - log_beta(a, b);
    const double expected = static_cast<double>(std::exp(log_value));
    EXPECT_NEAR(brcomp(a, b, x, y), expected, 1e-14 * expected) << a << ", " << b << ", " << x;
    // brcmp1 lifts by e^mu what would otherwise be tiny.
    const double lifted = static_cast<double>(std::exp(log_value + 20.0L));
    EXPECT_NEAR(brcmp1(20, a, b, x, y), lifted, 1e-14 * lifted) << a << ", " << b << ", " << x;
  }
  EXPECT_EQ(brcomp(2.0, 3.0, 0.0, 1.0), 0.0);
  EXPECT_EQ(brcomp(2.0, 3.0, 1.0, 0.0), 0.0);
}

TEST(SupportFunctions, AccurateFormsNearCancellation) {
  EXPECT_NEAR(alnrel(1e-10), std::log1p(1e-10), 2e-16 * 1e-10);
  EXPECT_NEAR(rexp(1e-10), std::expm1(1e-10), 2e-16 * 1e-10);
  EXPECT_NEAR(rlog1(1e-5), 4.99996666692e-11, 1e-22);
  for (const double a : {-0.9, -0.375, -0.2, -1e-8, 1e-8, 0.1, 0.375, 0.5, 3.0, 1e6}) {
    EXPECT_NEAR(alnrel(a), std::log1p(a), 1e-15 * std::fabs(std::log1p(a))) << "a = " << a;
  }
  for (const double x : {-30.0, -0.5, -0.15, -1e-9, 1e-9, 0.1, 0.15, 0.2, 5.0, 300.0}) {
    EXPECT_NEAR(rexp(x), std::expm1(x), 1e-15 * std::fabs(std::expm1(x))) << "x = " << x;
  }
  for (const double x : {-0.9, -0.39, -0.3, -0.2, -0.18, -0.05, 0.05, 0.18, 0.3, 0.5, 0.57, 0.6, 4.0}) {
    const long double xl = x;
    const double expected = static_cast<double>(xl - std::log1p(xl));
    EXPECT_NEAR(rlog1(x), expected, 1e-14 * expected) << "x = " << x;
  }
}

TEST(SupportFunctions, ErrorFunctions) {
  EXPECT_NEAR(morvit::erf(0.5), 0.520499877813047, 1e-15);
  EXPECT_NEAR(erfc1(0, 5.0), 1.53745979442803e-12, 1e-25);
  EXPECT_EQ(erfc1(0, -6.0), 2.0);
  EXPECT_EQ(morvit::erf(6.0), 1.0);
  EXPECT_EQ(morvit::erf(-6.0), -1.0);
  for (double x = -5.9; x < 6.0; x += 0.37) {
    EXPECT_NEAR(morvit::erf(x), std::erf(x), 1e-15 * std::fabs(std::erf(x))) << "x = " << x;
  }
  for (double x = -5.5; x < 26.0; x += 0.41) {
    const long double xl = x;
    const double expected = static_cast<double>(std::erfc(xl));
    // e^(-x^2) of a rounded x^2 limits the relative accuracy to about x^2 ulp.
    const double tolerance = 1e-14 + 4e-16 * x * x;
    EXPECT_NEAR(erfc1(0, x), expected, tolerance * expected) << "x = " << x;
    const double scaled = static_cast<double>(std::exp(xl * xl) * std::erfc(xl));
    EXPECT_NEAR(erfc1(1, x), scaled, 1e-14 * scaled) << "x = " << x;
  }
  // Beyond the range of exp: erfc is 0, the scaled form still defined.
  EXPECT_EQ(erfc1(0, 30.0), 0.0);
  // e^(x^2) erfc(x) = (1 - 1 / (2 u) + 3 / (4 u^2) - 15 / (8 u^3) + ...) / (x sqrt(pi)), u = x^2.
  const double x = 200.0;
  const double u = x * x;
  const double asymptotic =
      (1.0 - 1.0 / (2.0 * u) + 3.0 / (4.0 * u * u) - 15.0 / (8.0 * u * u * u)) / (x * std::sqrt(std::numbers::pi));
  EXPECT_NEAR(erfc1(1, x), asymptotic, 1e-14 * asymptotic);
}

TEST(SupportFunctions, Digamma) {
  // The rational approximations are good to a few parts in 10^15.
  EXPECT_NEAR(psi(1.0), -0.577215664901533, 1e-15);
  EXPECT_NEAR(psi(0.5), -euler - 2.0 * std::numbers::ln2, 4e-15 * 1.97);
  EXPECT_EQ(psi(0.0), 0.0);
  EXPECT_EQ(psi(-2.0), 0.0);
  EXPECT_EQ(psi(-3e9), 0.0);
  // The positive zero, where only an absolute error is meaningful.
  EXPECT_NEAR(psi(1.4616321449683623), 0.0, 1e-16);
  EXPECT_NEAR(psi(1e-10), -1e10 - euler, 1e-5);
  // psi(x + 1) = psi(x) + 1 / x across both rational forms and the reflection.
  for (const double x : {-7.3, -2.5, -0.75, -0.3, 0.2, 0.7, 1.9, 2.5, 3.5, 12.0, 1e3, 1e7}) {
    EXPECT_NEAR(psi(x + 1.0), psi(x) + 1.0 / x, 1e-14 * (std::fabs(psi(x)) + std::fabs(1.0 / x))) << x;
  }
  // psi(1 - x) - psi(x) = pi cot(pi x).
  for (const double x : {-6.2, -1.125, -0.6, 0.1, 0.3, 0.45}) {
    const double expected = static_cast<double>(pi_l / std::tan(pi_l * x));
    EXPECT_NEAR(psi(1.0 - x) - psi(x), expected, 1e-13 * std::fabs(expected)) << x;
  }
  EXPECT_NEAR(psi(5e9), std::log(5e9), 1e-15 * std::log(5e9));
}

TEST(SupportFunctions, SumOfExponentials) {
  EXPECT_NEAR(esum(708, -710.0), 0.135335283236613, 1e-15);
  EXPECT_NEAR(esum(-3, 1.5), std::exp(-1.5), 1e-16);
  EXPECT_NEAR(esum(2, 0.5), std::exp(2.5), 1e-14);
  EXPECT_NEAR(esum(-2, -0.5), std::exp(-2.5), 1e-16);
  // e^-750 underflows alone; the sum with x does not.
  EXPECT_NEAR(esum(-750, 760.0), std::exp(10.0), 1e-11);
}

TEST(SupportFunctions, IncompleteGammaForSmallShape) {
  // a = 1: P(1, x) = 1 - e^-x, over the series and the continued fraction.
  for (const double x : {0.05, 0.3, 1.0, 1.5, 4.0, 30.0}) {
    double p = 0.0, q = 0.0;
    grat1(1.0, x, x * std::exp(-x), p, q, 1e-15);
    EXPECT_NEAR(p, -std::expm1(-x), 1e-15 * -std::expm1(-x)) << "x = " << x;
    EXPECT_NEAR(q, std::exp(-x), 1e-14 * std::exp(-x)) << "x = " << x;
  }
  // a = 1/2: P = erf(sqrt x).
  for (const double x : {0.1, 0.9, 9.0}) {
    double p = 0.0, q = 0.0;
    grat1(0.5, x, 0.0, p, q, 1e-15);
    EXPECT_NEAR(p, std::erf(std::sqrt(x)), 1e-15) << "x = " << x;
    EXPECT_NEAR(q, std::erfc(std::sqrt(x)), 1e-14 * std::erfc(std::sqrt(x))) << "x = " << x;
  }
  // a = 0.3: the series P(a, x) = x^a e^-x sum x^n / Gamma(a + n + 1).
  for (const double x : {0.02, 0.2, 0.8, 2.0, 6.0}) {
    const long double a = 0.3L;
    long double sum = 0.0L;
    long double term = 1.0L / std::tgamma(a + 1.0L);
    for (int n = 0; n < 200; ++n) {
      sum += term;
      term *= x / (a + n + 1.0L);
    }
    const long double p_exact = std::pow(static_cast<long double>(x), a) * std::exp(-static_cast<long double>(x)) * sum;
    const double r = static_cast<double>(std::exp(-static_cast<long double>(x)) *
                                         std::pow(static_cast<long double>(x), a) / std::tgamma(a));
    double p = 0.0, q = 0.0;
    grat1(0.3, x, r, p, q, 1e-15);
    EXPECT_NEAR(p, static_cast<double>(p_exact), 1e-14 * static_cast<double>(p_exact)) << "x = " << x;
    EXPECT_NEAR(q, static_cast<double>(1.0L - p_exact), 1e-14 * static_cast<double>(1.0L - p_exact)) << "x = " << x;
  }
  double p = -1.0, q = -1.0;
  grat1(0.0, 2.0, 0.0, p, q, 1e-15);
  EXPECT_EQ(p, 1.0);
  EXPECT_EQ(q, 0.0);
  grat1(0.5, 0.0, 0.0, p, q, 1e-15);
  EXPECT_EQ(p, 0.0);
  EXPECT_EQ(q, 1.0);
}

}  // namespace
}  // namespace morvit
