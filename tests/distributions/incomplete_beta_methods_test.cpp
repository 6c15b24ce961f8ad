#include "distributions/incomplete_beta_methods.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "binomial_beta.h"

namespace morvit {
namespace {

constexpr double eps = 1e-15;

TEST(IncompleteBetaMethods, PowerSeriesClosedForms) {
  // I_x(a, 1) = x^a; I_x(1/2, 1/2) = 1/2 at x = 1/2.
  EXPECT_NEAR(bpser(2.0, 1.0, 0.4, eps), 0.16, 1e-16);
  EXPECT_NEAR(bpser(0.5, 0.5, 0.5, eps), 0.5, 1e-15);
  EXPECT_NEAR(bpser(0.3, 1.0, 0.2, eps), std::pow(0.2, 0.3), 1e-15);
  EXPECT_EQ(bpser(2.0, 3.0, 0.0, eps), 0.0);
}

TEST(IncompleteBetaMethods, PowerSeriesOverItsFactorBranches) {
  // The leading factor has four forms by min(a, b) and max(a, b); each
  // against the binomial sum where the parameters are whole, else against
  // I_x(a, 1) = x^a and I_x(1, b) = 1 - (1 - x)^b.
  EXPECT_NEAR(bpser(3.0, 5.0, 0.1, eps), static_cast<double>(testing::binomial_beta(3, 5, 0.1L)), 1e-15);
  EXPECT_NEAR(bpser(0.5, 1.0, 0.3, eps), std::sqrt(0.3), 1e-15);
  const double b_mid = 4.5;  // a < 1 < b < 8: the unit-step reduction of b
  EXPECT_NEAR(bpser(1.0, b_mid, 0.05, eps), -std::expm1(b_mid * std::log1p(-0.05)), 1e-15);
  EXPECT_NEAR(bpser(0.999, 1.0, 0.05, eps), std::pow(0.05, 0.999), 1e-15);
  const double b_big = 12.5;  // a < 1, b >= 8
  EXPECT_NEAR(bpser(1.0, b_big, 0.01, eps), -std::expm1(b_big * std::log1p(-0.01)), 1e-15);
}

TEST(IncompleteBetaMethods, ShiftIsTheDifferenceOfTwoRatios) {
  // I_0.6(1, 2) - I_0.6(3, 2) = 0.84 - 0.4752.
  EXPECT_NEAR(bup(1.0, 2.0, 0.6, 0.4, 2, eps), 0.3648, 1e-15);
  // A long shift with the scaling against underflow (n > 1, a >= 1).
  const double expected =
      static_cast<double>(testing::binomial_beta(5, 30, 0.3L) - testing::binomial_beta(25, 30, 0.3L));
  EXPECT_NEAR(bup(5.0, 30.0, 0.3, 0.7, 20, eps), expected, 1e-14 * expected);
}

TEST(IncompleteBetaMethods, ContinuedFractionAndLargeParameterExpansion) {
  const double x = 0.45;
  const double y = 0.55;
  const double lambda = (50.0 + 60.0) * y - 60.0;
  const double expected = static_cast<double>(testing::binomial_beta(50, 60, x));
  EXPECT_NEAR(bfrac(50.0, 60.0, x, y, lambda, 15 * eps), expected, 1e-14 * expected);

  const double xb = 0.45;
  const double lambda_b = (500.0 + 600.0) * (1.0 - xb) - 600.0;
  const double expected_b = static_cast<double>(testing::binomial_beta(500, 600, xb));
  EXPECT_NEAR(basym(500.0, 600.0, lambda_b, 100 * eps), expected_b, 1e-13 * expected_b);
}

TEST(IncompleteBetaMethods, LargeAExpansionAddsToItsAccumulator) {
  // I_x(a, 1) = x^a for large a.
  double w = 0.125;
  int ierr = -1;
  bgrat(40.0, 1.0, 0.95, 0.05, w, 15 * eps, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_NEAR(w - 0.125, std::pow(0.95, 40.0), 1e-14);
}

TEST(IncompleteBetaMethods, LargeAExpansionLeavesAccumulatorWhenItCannotBeFormed) {
  // x = 1, y = 0: z = 0.
  double w = 0.25;
  int ierr = -1;
  bgrat(20.0, 0.5, 1.0, 0.0, w, 15 * eps, ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(w, 0.25);
}

TEST(IncompleteBetaMethods, SeriesForATinyParameter) {
  // For tiny a: 1 - I_x(a, 1) = 1 - x^a = -a ln x to first order in a.
  // apser returns I_(1-x)(b, a), here with b = 1.
  const double a = 1e-20;
  EXPECT_NEAR(apser(a, 1.0, 0.3, eps), -a * std::log(0.3), 1e-15 * a);
  // b eps > 0.02 takes ln(b x) in place of psi(b). For tiny a and large b,
  // 1 - I_x(a, b) = a E1(b x) to first order, E1 the exponential integral.
  const double big_b = 3e13;
  const double x = 1e-14;
  const long double z = static_cast<long double>(big_b) * x;
  long double e1 = -std::numbers::egamma_v<long double> - std::log(z);
  long double term = -1.0L;
  for (int k = 1; k <= 30; ++k) {
    term *= -z / k;  // (-1)^(k+1) z^k / k!
    e1 += term / k;
  }
  EXPECT_NEAR(apser(a, big_b, x, eps), a * static_cast<double>(e1), 1e-12 * a);

  // For tiny b: I_x(1, b) = 1 - (1 - x)^b = -b ln(1 - x) to first order.
  const double b = 1e-20;
  EXPECT_NEAR(fpser(1.0, b, 0.3, eps), -b * std::log(0.7), 1e-15 * b);
  // x^a below the smallest normal double gives exactly 0.
  EXPECT_EQ(fpser(1000.0, b, 0.4, eps), 0.0);
}

}  // namespace
}  // namespace morvit
