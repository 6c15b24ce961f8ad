#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "distributions/distributions.h"
#include "reference_table.h"

namespace morvit {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

TEST(FDistribution, MatchesReferenceTable) {
  const auto rows = testing::read_reference_table("f_upper_tail.tsv", 5);
  ASSERT_EQ(rows.size(), 2000u);

  std::vector<double> errors;
  for (const auto& row : rows) {
    const double f = row[0], dfn = row[1], dfd = row[2];
    double cum = -1.0, ccum = -1.0;
    cumf(f, dfn, dfd, cum, ccum);
    errors.push_back(testing::relative_error(cum, row[3]));
    errors.push_back(testing::relative_error(ccum, row[4]));
    EXPECT_LE(errors.end()[-2], 1e-12) << "cum, f = " << f << " dfn = " << dfn << " dfd = " << dfd;
    EXPECT_LE(errors.end()[-1], 1e-12) << "ccum, f = " << f << " dfn = " << dfn << " dfd = " << dfd;
  }
  const auto summary = testing::summarise(errors);
  testing::report("f_upper_tail.tsv (cum and ccum)", summary);
  EXPECT_LE(summary.max, 1e-12);
  EXPECT_LE(summary.p99, 1e-13);
  ::testing::Test::RecordProperty("f_upper_tail_max_relative_error", std::to_string(summary.max));
  ::testing::Test::RecordProperty("f_upper_tail_p99_relative_error", std::to_string(summary.p99));
}

struct TailCase {
  const char* what;
  double f, dfn, dfd;
  double ccum;
};

// Closed forms of the upper tail: dfn = dfd = 2 gives 1 / (1 + f), dfn = 2
// gives (1 + 2 f / dfd)^(-dfd / 2), dfn = dfd = 1 gives 1/2 at f = 1.
TEST(FDistribution, ClosedFormsOfTheUpperTail) {
  const TailCase cases[] = {
      {"dfn = dfd = 1 at the median", 1.0, 1.0, 1.0, 0.5},
      {"dfn = dfd = 2", 3.0, 2.0, 2.0, 0.25},
      {"dfn = 2", 1.0, 2.0, 10.0, std::pow(1.2, -5.0)},
      {"dfn = 2, the 5% point", 4.10282101513, 2.0, 10.0, 0.05},
      {"dfn = 2, far tail", 1e6, 2.0, 10.0, std::pow(1.0 + 2e6 / 10.0, -5.0)},
      {"dfn = 2, extreme tail", 1e60, 2.0, 10.0, std::pow(1.0 + 2e60 / 10.0, -5.0)},
  };
  for (const auto& c : cases) {
    double cum = -1.0, ccum = -1.0;
    cumf(c.f, c.dfn, c.dfd, cum, ccum);
    // The 5% point is given to 12 digits. Elsewhere the tail is formed
    // through exp(a ln x), whose relative accuracy is about |ln ccum| ulp.
    const double tolerance = (c.f == 4.10282101513) ? 1e-11 : 1e-15 * (1.0 - std::log(c.ccum));
    EXPECT_NEAR(ccum, c.ccum, tolerance * c.ccum) << c.what;
    EXPECT_NEAR(cum, 1.0 - c.ccum, tolerance * c.ccum + 1e-16) << c.what;
  }
  double cum = 0.0, ccum = 0.0;
  cumf(1.0, 2.0, 10.0, cum, ccum);
  EXPECT_NEAR(ccum, 0.401877572016, 1e-12);
  cumf(1e6, 2.0, 10.0, cum, ccum);
  EXPECT_EQ(cum, 1.0);
}

struct EdgeCase {
  const char* what;
  double f, dfn, dfd;
  double cum, ccum;  // NaN: both outputs NaN
};

TEST(FDistribution, EdgesOfTheDomain) {
  const EdgeCase cases[] = {
      {"f = 0", 0.0, 3.0, 7.0, 0.0, 1.0},
      {"f < 0", -3.0, 3.0, 7.0, 0.0, 1.0},
      {"f < 0 ignores the degrees of freedom", -3.0, -1.0, 0.0, 0.0, 1.0},
      {"f = +infinity", inf, 3.0, 7.0, 1.0, 0.0},
      {"dfd = 0", 2.0, 3.0, 0.0, 0.0, 0.0},
      {"dfn = 0", 2.0, 0.0, 7.0, 0.0, 0.0},
      {"dfn < 0", 2.0, -3.0, 7.0, 0.0, 0.0},
      {"dfd < 0", 2.0, 3.0, -7.0, 0.0, 0.0},
      {"f NaN", nan, 3.0, 7.0, nan, nan},
      {"dfn NaN", 2.0, nan, 7.0, nan, nan},
      {"dfd NaN", 2.0, 3.0, nan, nan, nan},
      {"f = +infinity with dfn = 0", inf, 0.0, 7.0, 1.0, 0.0},
  };
  for (const auto& c : cases) {
    double cum = -1.0, ccum = -1.0;
    cumf(c.f, c.dfn, c.dfd, cum, ccum);
    if (std::isnan(c.cum)) {
      EXPECT_TRUE(std::isnan(cum) && std::isnan(ccum)) << c.what;
    } else {
      EXPECT_EQ(cum, c.cum) << c.what;
      EXPECT_EQ(ccum, c.ccum) << c.what;
    }
  }
}

TEST(FDistribution, TinyUpperTailKeepsItsRelativeAccuracy) {
  // The upper tail is formed directly, never as 1 - cum: for dfn = 2 it
  // follows (1 + 2 f / dfd)^(-dfd / 2) far below the precision of cum.
  for (const double f : {1e3, 1e8, 1e14}) {
    double cum = 0.0, ccum = 0.0;
    cumf(f, 2.0, 40.0, cum, ccum);
    const double expected = std::pow(1.0 + 2.0 * f / 40.0, -20.0);
    ASSERT_GT(expected, 1e-300);
    EXPECT_NEAR(ccum, expected, 1e-15 * (1.0 - std::log(expected)) * expected) << "f = " << f;
  }
}

}  // namespace
}  // namespace morvit
