#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "binomial_beta.h"
#include "distributions/distributions.h"
#include "distributions/incomplete_beta_trace.h"
#include "reference_table.h"

namespace morvit {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

TEST(IncompleteBeta, MatchesReferenceTableAndReachesEveryMethod) {
  const auto rows = testing::read_reference_table("incomplete_beta.tsv", 6);
  ASSERT_EQ(rows.size(), 2000u);

  std::vector<double> errors;
  MethodTrace reached;  // rows that used each method
  for (const auto& row : rows) {
    const double a = row[0], b = row[1], x = row[2], y = row[3];
    double w = -1.0, w1 = -1.0;
    int ierr = -1;
    MethodTrace trace;
    bratio_traced(a, b, x, y, w, w1, ierr, &trace);
    EXPECT_EQ(ierr, 0) << "a = " << a << " b = " << b << " x = " << x;
    errors.push_back(testing::relative_error(w, row[4]));
    errors.push_back(testing::relative_error(w1, row[5]));
    EXPECT_LE(errors.end()[-2], 2e-13) << "w, a = " << a << " b = " << b << " x = " << x;
    EXPECT_LE(errors.end()[-1], 2e-13) << "w1, a = " << a << " b = " << b << " x = " << x;

    reached.bpser += trace.bpser > 0;
    reached.bup += trace.bup > 0;
    reached.bfrac += trace.bfrac > 0;
    reached.bgrat += trace.bgrat > 0;
    reached.basym += trace.basym > 0;
    reached.apser += trace.apser > 0;
    reached.fpser += trace.fpser > 0;
  }

  const auto summary = testing::summarise(errors);
  testing::report("incomplete_beta.tsv (w and w1)", summary);
  EXPECT_LE(summary.max, 2e-13);
  EXPECT_LE(summary.p99, 1e-13);
  ::testing::Test::RecordProperty("incomplete_beta_max_relative_error", std::to_string(summary.max));
  ::testing::Test::RecordProperty("incomplete_beta_p99_relative_error", std::to_string(summary.p99));

  std::cout << "[ methods  ] rows reaching bpser " << reached.bpser << ", bup " << reached.bup << ", bfrac "
            << reached.bfrac << ", bgrat " << reached.bgrat << ", basym " << reached.basym << ", apser "
            << reached.apser << ", fpser " << reached.fpser << '\n';
  EXPECT_GT(reached.bpser, 0);
  EXPECT_GT(reached.bup, 0);
  EXPECT_GT(reached.bfrac, 0);
  EXPECT_GT(reached.bgrat, 0);
  EXPECT_GT(reached.basym, 0);
  EXPECT_GT(reached.apser, 0);
  EXPECT_GT(reached.fpser, 0);
}

struct StatusCase {
  const char* what;
  double a, b, x, y;
  int ierr;
  double w, w1;
};

// Status codes, their order, the degenerate cases and the not-a-number
// arguments: each row gives the arguments and the exact outputs.
TEST(IncompleteBeta, StatusCodesAndDegenerateCases) {
  const StatusCase cases[] = {
      {"a < 0", -1.0, 2.0, 0.5, 0.5, 1, 0.0, 0.0},
      {"b < 0", 2.0, -1.0, 0.5, 0.5, 1, 0.0, 0.0},
      {"a < 0 is tested before x", -1.0, 2.0, 1.5, -0.5, 1, 0.0, 0.0},
      {"a = b = 0", 0.0, 0.0, 0.5, 0.5, 2, 0.0, 0.0},
      {"a = b = 0 is tested before x", 0.0, 0.0, 2.0, -1.0, 2, 0.0, 0.0},
      {"x < 0", 2.0, 3.0, -0.1, 1.1, 3, 0.0, 0.0},
      {"x > 1", 2.0, 3.0, 1.5, 0.5, 3, 0.0, 0.0},
      {"y < 0", 2.0, 3.0, 0.5, -0.5, 4, 0.0, 0.0},
      {"y > 1", 2.0, 3.0, 0.5, 1.5, 4, 0.0, 0.0},
      {"x + y != 1", 2.0, 3.0, 0.3, 0.6, 5, 0.0, 0.0},
      {"x = 0 and a = 0", 0.0, 3.0, 0.0, 1.0, 6, 0.0, 0.0},
      {"y = 0 and b = 0", 3.0, 0.0, 1.0, 0.0, 7, 0.0, 0.0},
      {"x = 0", 3.0, 2.0, 0.0, 1.0, 0, 0.0, 1.0},
      {"y = 0", 3.0, 2.0, 1.0, 0.0, 0, 1.0, 0.0},
      {"a = 0", 0.0, 2.0, 0.5, 0.5, 0, 1.0, 0.0},
      {"b = 0", 2.0, 0.0, 0.5, 0.5, 0, 0.0, 1.0},
      {"a NaN", nan, 2.0, 0.5, 0.5, 1, nan, nan},
      {"b NaN", 2.0, nan, 0.5, 0.5, 1, nan, nan},
      {"x NaN", 2.0, 3.0, nan, 0.5, 3, nan, nan},
      {"y NaN", 2.0, 3.0, 0.5, nan, 4, nan, nan},
      {"a NaN is tested before x NaN", nan, 2.0, nan, nan, 1, nan, nan},
      {"x NaN is tested before y NaN", 2.0, 3.0, nan, nan, 3, nan, nan},
      {"a < 0 fails first; x NaN does not matter", -1.0, 2.0, nan, 0.5, 1, 0.0, 0.0},
      {"a = b = 0 fails first; x NaN does not matter", 0.0, 0.0, nan, 0.5, 2, 0.0, 0.0},
      {"b = 0 settles the value before x NaN matters", 2.0, 0.0, nan, nan, 0, 0.0, 1.0},
      {"a = 0 settles the value before y NaN matters", 0.0, 2.0, 0.5, nan, 0, 1.0, 0.0},
  };
  for (const auto& c : cases) {
    double w = -1.0, w1 = -1.0;
    int ierr = -1;
    bratio(c.a, c.b, c.x, c.y, w, w1, ierr);
    EXPECT_EQ(ierr, c.ierr) << c.what;
    if (std::isnan(c.w)) {
      EXPECT_TRUE(std::isnan(w) && std::isnan(w1)) << c.what;
    } else {
      EXPECT_EQ(w, c.w) << c.what;
      EXPECT_EQ(w1, c.w1) << c.what;
    }
  }
}

TEST(IncompleteBeta, AcceptsComplementFormedBySubtraction) {
  double w = 0.0, w1 = 0.0;
  int ierr = -1;
  bratio(2.0, 3.0, 0.3, 1.0 - 0.3, w, w1, ierr);
  EXPECT_EQ(ierr, 0);
}

TEST(IncompleteBeta, BothParametersNegligible) {
  double w = 0.0, w1 = 0.0;
  int ierr = -1;
  bratio(1e-20, 2e-20, 0.5, 0.5, w, w1, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_DOUBLE_EQ(w, 2.0 / 3.0);
  EXPECT_DOUBLE_EQ(w1, 1.0 / 3.0);
}

TEST(IncompleteBeta, UniformAndArcsineClosedForms) {
  // a = b = 1: I_x = x.
  for (const double x : {0.01, 0.2, 0.5, 0.75, 0.999}) {
    double w = 0.0, w1 = 0.0;
    int ierr = -1;
    bratio(1.0, 1.0, x, 1.0 - x, w, w1, ierr);
    EXPECT_NEAR(w, x, 1e-15 * x) << "x = " << x;
  }
  // a = b = 1/2: I_x = (2 / pi) asin(sqrt x), 1/2 at x = 1/2.
  for (const double x : {0.5, 0.1, 0.9}) {
    double w = 0.0, w1 = 0.0;
    int ierr = -1;
    bratio(0.5, 0.5, x, 1.0 - x, w, w1, ierr);
    const double expected = 2.0 / std::numbers::pi * std::asin(std::sqrt(x));
    EXPECT_NEAR(w, expected, 1e-15) << "x = " << x;
    EXPECT_NEAR(w1, 1.0 - expected, 1e-15) << "x = " << x;
  }
}

struct RouteCase {
  const char* what;
  double a, b, x;
  MethodTrace methods;  // expected number of calls of each method
};

// Expected call counts, in the order of the fields of MethodTrace.
MethodTrace calls(int bpser, int bup, int bfrac, int bgrat, int basym, int apser, int fpser) {
  MethodTrace t;
  t.bpser = bpser;
  t.bup = bup;
  t.bfrac = bfrac;
  t.bgrat = bgrat;
  t.basym = basym;
  t.apser = apser;
  t.fpser = fpser;
  return t;
}

// One set of arguments for each branch of the dispatch, with the methods it
// must call, and the value checked against w1 = 1 - w and, for whole-number
// parameters, an independent binomial sum.
TEST(IncompleteBeta, EachBranchCallsItsMethods) {
  const RouteCase cases[] = {
      {"tiny b: fpser", 1.0, 1e-16, 0.3, calls(0, 0, 0, 0, 0, 0, 1)},
      {"tiny a: apser", 1e-16, 2.0, 0.3, calls(0, 0, 0, 0, 0, 1, 0)},
      {"a, b <= 1: power series", 0.5, 0.5, 0.3, calls(1, 0, 0, 0, 0, 0, 0)},
      {"a, b <= 1, x^a > 0.9, x >= 0.3: reversed series", 0.01, 0.5, 0.4, calls(1, 0, 0, 0, 0, 0, 0)},
      {"a, b <= 1, x < 0.3: shift and large-b expansion", 0.01, 0.5, 0.1, calls(0, 1, 0, 1, 0, 0, 0)},
      {"a < 1 < b <= 15, x < 0.3: shift and expansion", 0.5, 5.0, 0.2, calls(0, 1, 0, 1, 0, 0, 0)},
      {"a < 1, b > 15, x < 0.3: expansion alone", 0.5, 20.0, 0.2, calls(0, 0, 0, 1, 0, 0, 0)},
      {"a, b > 1, b x <= 0.7: power series", 3.0, 5.0, 0.1, calls(1, 0, 0, 0, 0, 0, 0)},
      {"a, b > 1, b < 40, x <= 0.7: shift and series", 2.0, 3.0, 0.4, calls(1, 1, 0, 0, 0, 0, 0)},
      {"b < 40, x > 0.7, a > 15: shift and expansion", 100.0, 10.0, 0.8, calls(0, 1, 0, 1, 0, 0, 0)},
      {"b < 40, x > 0.7, a <= 15: two shifts and expansion", 10.0, 2.0, 0.8, calls(0, 2, 0, 1, 0, 0, 0)},
      {"b >= 40, min <= 100: continued fraction", 50.0, 60.0, 50.0 / 110.0, calls(0, 0, 1, 0, 0, 0, 0)},
      {"min > 100, near the mean: asymptotic", 500.0, 600.0, 500.0 / 1100.0, calls(0, 0, 0, 0, 1, 0, 0)},
      {"min > 100, far from the mean: continued fraction", 500.0, 600.0, 0.3, calls(0, 0, 1, 0, 0, 0, 0)},
  };
  for (const auto& c : cases) {
    const double y = 0.5 + (0.5 - c.x);
    double w = -1.0, w1 = -1.0;
    int ierr = -1;
    MethodTrace trace;
    bratio_traced(c.a, c.b, c.x, y, w, w1, ierr, &trace);
    EXPECT_EQ(ierr, 0) << c.what;
    EXPECT_EQ(trace.bpser, c.methods.bpser) << c.what;
    EXPECT_EQ(trace.bup, c.methods.bup) << c.what;
    EXPECT_EQ(trace.bfrac, c.methods.bfrac) << c.what;
    EXPECT_EQ(trace.bgrat, c.methods.bgrat) << c.what;
    EXPECT_EQ(trace.basym, c.methods.basym) << c.what;
    EXPECT_EQ(trace.apser, c.methods.apser) << c.what;
    EXPECT_EQ(trace.fpser, c.methods.fpser) << c.what;
    EXPECT_GT(w, 0.0) << c.what;
    EXPECT_GT(w1, 0.0) << c.what;
    EXPECT_NEAR(w + w1, 1.0, 4e-16) << c.what;

    if (c.a == std::floor(c.a) && c.b == std::floor(c.b)) {
      const long double exact = testing::binomial_beta(static_cast<int>(c.a), static_cast<int>(c.b), c.x);
      EXPECT_NEAR(w, static_cast<double>(exact), 1e-14 * static_cast<double>(exact)) << c.what;
      EXPECT_NEAR(w1, static_cast<double>(1.0L - exact), 1e-14 * static_cast<double>(1.0L - exact)) << c.what;
    }
  }
}

TEST(IncompleteBeta, WorkedValueTwoThree) {
  double w = 0.0, w1 = 0.0;
  int ierr = -1;
  bratio(2.0, 3.0, 0.4, 0.6, w, w1, ierr);
  EXPECT_NEAR(w, 0.5248, 1e-15);
  EXPECT_NEAR(w1, 0.4752, 1e-15);
}

TEST(IncompleteBeta, ExchangingTheParametersExchangesTheOutputs) {
  // I_x(a, b) = 1 - I_y(b, a), through whichever branches each side takes.
  const double args[][3] = {
      {0.3, 7.0, 0.2}, {2.5, 0.7, 0.9}, {45.0, 80.0, 0.35}, {1e-16, 3.0, 0.25}, {200.0, 300.0, 0.41}, {0.01, 0.5, 0.1}};
  for (const auto& arg : args) {
    const double a = arg[0], b = arg[1], x = arg[2], y = 1.0 - x;
    double w = 0.0, w1 = 0.0, v = 0.0, v1 = 0.0;
    int ierr = -1;
    bratio(a, b, x, y, w, w1, ierr);
    bratio(b, a, y, x, v, v1, ierr);
    EXPECT_NEAR(w, v1, 1e-14 * w) << "a = " << a << " b = " << b << " x = " << x;
    EXPECT_NEAR(w1, v, 1e-14 * w1) << "a = " << a << " b = " << b << " x = " << x;
  }
}

}  // namespace
}  // namespace morvit
