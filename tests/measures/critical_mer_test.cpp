#include "measures/critical_mer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "distributions/distributions.h"
#include "measures/f_upper_point.h"

namespace morvit {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

double upper_tail(double f, double dfn, double dfd) {
  double cum = 0.0;
  double ccum = 0.0;
  cumf(f, dfn, dfd, cum, ccum);
  return ccum;
}

struct PointCase {
  double dfn, dfd, alpha;
};

// Degrees of freedom as the table gives them: whole DFs from 1 to 100,000 cases, the
// fractional weights of single factors (0.3 and 2.5), denominators from 1 up; levels from
// the usual ones to far tails and beyond the median.
const PointCase kPoints[] = {
    {1, 1, 0.05},      {1, 12, 0.05},     {3, 12, 0.01},         {9, 18, 0.1},          {18, 18, 0.05},
    {2, 10, 0.05},     {0.3, 18, 0.05},   {0.3, 18, 0.01},       {2.5, 43, 0.1},        {46.5, 43, 0.05},
    {1, 100000, 0.05}, {100000, 1, 0.05}, {79914, 178015, 0.01}, {178016, 178015, 0.1}, {5, 3, 1e-6},
    {12, 7, 0.5},      {4, 40, 0.9},      {0.01, 2, 0.05},       {1500, 2, 0.001},      {2, 2, 0.999},
};

// The point puts the program's own tail at alpha, and the critical measurement error puts
// it there again through F = MSD / (4 MER^2) as the table forms F: (MER * 4) * MER.
TEST(CriticalMer, PutsTheProgramsTailAtTheLevel) {
  FUpperPoints points;
  for (const PointCase& c : kPoints) {
    const double f = f_upper_point(c.alpha, c.dfn, c.dfd);
    ASSERT_TRUE(f > 0.0 && std::isfinite(f)) << c.dfn << ", " << c.dfd << ", " << c.alpha;
    EXPECT_NEAR(upper_tail(f, c.dfn, c.dfd) / c.alpha, 1.0, 1e-12) << c.dfn << ", " << c.dfd << ", " << c.alpha;
    EXPECT_EQ(points.at(c.alpha, c.dfn, c.dfd), f);
    EXPECT_EQ(points.at(c.alpha, c.dfn, c.dfd), f);  // from memory the second time

    for (const double msd : {1e-6, 0.2431313500813208, 2.1408122248813695, 350.0}) {
      const double mer = critical_mer(msd, f);
      const double f_at_mer = msd / ((mer * 4.0) * mer);
      EXPECT_NEAR(upper_tail(f_at_mer, c.dfn, c.dfd) / c.alpha, 1.0, 1e-11)
          << c.dfn << ", " << c.dfd << ", " << c.alpha << ", MSD " << msd;
    }
  }
}

// For dfn = 2 the tail has a closed form, (1 + 2 F / dfd)^(-dfd / 2), whose inverse gives
// the point without the program's tail.
TEST(CriticalMer, AgreesWithTheClosedFormForTwoNumeratorDegrees) {
  for (const double dfd : {1.0, 4.0, 10.0, 43.0, 1000.0}) {
    for (const double alpha : {0.01, 0.05, 0.1}) {
      const double closed = dfd / 2.0 * (std::pow(alpha, -2.0 / dfd) - 1.0);
      EXPECT_NEAR(f_upper_point(alpha, 2.0, dfd) / closed, 1.0, 1e-12) << dfd << ", " << alpha;
    }
  }
  EXPECT_NEAR(f_upper_point(0.05, 2.0, 10.0), 4.10282101513, 1e-10);
}

struct EdgeCase {
  const char* what;
  double msd, dfn, dfd, alpha;
  double mer;  // NaN: none
};

TEST(CriticalMer, EdgesWhereNoErrorOrEveryErrorWill) {
  const EdgeCase cases[] = {
      {"MSD 0: compatible at any error", 0.0, 3, 12, 0.05, 0.0},
      {"MSD 0 with no denominator degrees", 0.0, 3, 0, 0.05, 0.0},
      {"negative MSD (negative weights): F below 0, P 1", -0.25, 3, 4, 0.05, 0.0},
      {"denominator degrees 0: P 0 for every F above 0", 0.5, 3, 0, 0.05, nan},
      {"denominator degrees below 0", 0.5, 3, -2, 0.05, nan},
      {"numerator degrees 0 (a combination's weight below 0.5)", 0.5, 0, 12, 0.05, nan},
      {"infinite MSD", inf, 3, 12, 0.05, nan},
      {"no MSD", nan, 3, 12, 0.05, nan},
      {"no numerator degrees", 0.5, nan, 12, 0.05, nan},
      {"level 0", 0.5, 3, 12, 0.0, nan},
      {"level 1", 0.5, 3, 12, 1.0, nan},
  };
  for (const EdgeCase& c : cases) {
    const double mer = critical_mer(c.msd, f_upper_point(c.alpha, c.dfn, c.dfd));
    if (std::isnan(c.mer)) {
      EXPECT_TRUE(std::isnan(mer)) << c.what << ": " << mer;
    } else {
      EXPECT_EQ(mer, c.mer) << c.what;
    }
  }
}

}  // namespace
}  // namespace morvit
