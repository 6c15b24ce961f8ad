#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "distributions/distributions.h"
#include "reference_table.h"

namespace morvit {
namespace {

TEST(NormalQuantile, MatchesReferenceTable) {
  const auto rows = testing::read_reference_table("normal_quantile.tsv", 2);
  ASSERT_EQ(rows.size(), 2000u);

  std::vector<double> errors;
  for (const auto& row : rows) {
    int fault = -1;
    const double z = ppnd16(row[0], fault);
    EXPECT_EQ(fault, 0) << "p = " << row[0];
    const double error = testing::relative_error(z, row[1]);
    EXPECT_LE(error, 1e-15) << "p = " << row[0] << " z = " << row[1] << " computed " << z;
    errors.push_back(error);
  }
  const auto summary = testing::summarise(errors);
  testing::report("normal_quantile.tsv", summary);
  ::testing::Test::RecordProperty("normal_quantile_max_relative_error", std::to_string(summary.max));
  ::testing::Test::RecordProperty("normal_quantile_p99_relative_error", std::to_string(summary.p99));
}

struct QuantileCase {
  double p;
  double z;
};

// Published values to 12 significant digits, one or two per region.
TEST(NormalQuantile, WorkedValuesInEachRegion) {
  const QuantileCase cases[] = {
      {0.975, 1.95996398454},
      {0.025, -1.95996398454},  // central
      {0.9, 1.28155156554},     // central
      {0.075, -1.43953147094},
      {0.925, 1.43953147094},     // at the central bound
      {0.999999, 4.75342430882},  // near tail
      {1e-10, -6.36134090240},    // far tail
  };
  for (const auto& c : cases) {
    int fault = -1;
    EXPECT_NEAR(ppnd16(c.p, fault), c.z, 1e-11 * std::fabs(c.z)) << "p = " << c.p;
    EXPECT_EQ(fault, 0) << "p = " << c.p;
  }
}

TEST(NormalQuantile, CentreIsExactlyZero) {
  int fault = -1;
  EXPECT_EQ(ppnd16(0.5, fault), 0.0);
  EXPECT_EQ(fault, 0);
}

TEST(NormalQuantile, JoinsWithoutStepAtRegionBounds) {
  // Either side of |p - 0.5| = 0.425 and of r = 5 (p = exp(-25)).
  const double bounds[] = {0.075, 0.925, std::exp(-25.0)};
  for (const double p : bounds) {
    int fault = 0;
    const double below = ppnd16(std::nextafter(p, 0.0), fault);
    const double at = ppnd16(p, fault);
    const double above = ppnd16(std::nextafter(p, 1.0), fault);
    // The two approximations meet to within rounding, not exactly.
    EXPECT_NEAR(below, at, 1e-15 * std::fabs(at)) << "p = " << p;
    EXPECT_NEAR(at, above, 1e-15 * std::fabs(at)) << "p = " << p;
  }
}

TEST(NormalQuantile, ProbabilitiesOutsideTheOpenIntervalFault) {
  const double outside[] = {
      0.0, 1.0, -0.2, 1.7, -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()};
  for (const double p : outside) {
    int fault = 0;
    EXPECT_EQ(ppnd16(p, fault), 0.0) << "p = " << p;
    EXPECT_EQ(fault, 1) << "p = " << p;
    // The flag is cleared again by the next valid call.
    EXPECT_NEAR(ppnd16(0.9, fault), 1.28155156554, 1e-11);
    EXPECT_EQ(fault, 0);
  }
}

TEST(NormalQuantile, IsAntisymmetricWhereTheComplementIsExact) {
  // Dyadic p, so that 1 - p and 1 - (1 - p) are exact: central region,
  // near tail, far tail.
  const double ps[] = {0.3125, 0.0625, 0x1p-10, 0x1p-20, 0x1p-40};
  for (const double p : ps) {
    int fault = 0;
    EXPECT_EQ(ppnd16(p, fault), -ppnd16(1.0 - p, fault)) << "p = " << p;
  }
}

}  // namespace
}  // namespace morvit
