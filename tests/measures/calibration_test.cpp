#include "measures/calibration.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace morvit {
namespace {

// The memberships were computed apart from the program, at 50 significant digits from the
// doubles of the raw values and thresholds (Python's decimal module); the last digits are
// those of the correctly rounded double.
TEST(Calibration, DirectMethodAgreesWithTheFormulaOnBothSidesOfEveryThreshold) {
  struct Case {
    const char* what;
    double raw;
    CalibrationThresholds thresholds;
    double membership;
  };
  const std::vector<Case> cases = {
      {"increasing, at the exclusion threshold", 400, {400, 550, 900}, 0.04742587317756678},
      {"increasing, at the crossover", 550, {400, 550, 900}, 0.5},
      {"increasing, at the inclusion threshold", 900, {400, 550, 900}, 0.9525741268224333},
      {"increasing, between exclusion and crossover", 475.5, {400, 550, 900}, 0.18392172741950424},
      {"increasing, between crossover and inclusion", 720, {400, 550, 900}, 0.8110952932231796},
      {"increasing, below the exclusion threshold", 320, {400, 550, 900}, 0.009951801866904322},
      {"increasing, above the inclusion threshold", 1098, {400, 550, 900}, 0.9909611453452306},
      {"increasing, far below", -1e6, {400, 550, 900}, 0.0},
      {"increasing, far above", 1e6, {400, 550, 900}, 1.0},
      {"increasing, negative thresholds", -1, {-9, 0, 10}, 0.41742979353768533},
      {"increasing, fractional thresholds", 0.2, {0.1, 0.3, 0.7}, 0.18242552380635638},
      {"increasing, fractional, above", 0.95, {0.1, 0.3, 0.7}, 0.9924227587321391},
      {"decreasing, at the exclusion threshold", 15, {15, 9.5, 5}, 0.04742587317756678},
      {"decreasing, at the crossover", 9.5, {15, 9.5, 5}, 0.5},
      {"decreasing, at the inclusion threshold", 5, {15, 9.5, 5}, 0.9525741268224333},
      {"decreasing, between exclusion and crossover", 11, {15, 9.5, 5}, 0.3061497456693731},
      {"decreasing, between crossover and inclusion", 7, {15, 9.5, 5}, 0.8411308951190849},
      {"decreasing, beyond the exclusion threshold", 19, {15, 9.5, 5}, 0.005586399790702614},
      {"decreasing, beyond the inclusion threshold", 0, {15, 9.5, 5}, 0.9982270454052079},
      {"decreasing, far beyond exclusion", 400, {15, 9.5, 5}, 3.1280620156019908e-93},
      {"decreasing, fractional thresholds", 0.45, {0.9, 0.5, 0.2}, 0.6224593312018546},
      {"decreasing, fractional, beyond inclusion", -0.3, {0.9, 0.5, 0.2}, 0.9996646498695335},
      // Thresholds near the largest double, whose differences (or 3 times them) pass it.
      {"a span beyond the largest double", 0, {-1.5e308, -1e308, 1e308}, 0.8175744761936437},
      {"three times the distance beyond it, inclusion side", 1e308, {-1.797e308, 0, 1.797e308}, 0.8415023556355206},
      {"three times the distance beyond it, exclusion side", -1e308, {-1.797e308, 0, 1.797e308}, 0.15849764436447938},
      {"decreasing, near the largest double", 1.79e308, {1.797e308, 0, -1.797e308}, 0.04795661508153567},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(strictly_monotone(c.thresholds)) << c.what;
    // Relative: memberships such as 3.1e-93 must be right in their own digits.
    EXPECT_NEAR(calibrated_membership(c.raw, c.thresholds), c.membership, 1e-12 * c.membership) << c.what;
  }
}

// Whatever the thresholds and the raw value, as far as doubles reach, the membership is a
// number from 0 to 1: never NaN, whatever overflows on the way.
TEST(Calibration, EveryMembershipIsANumberFrom0To1) {
  constexpr double most = std::numeric_limits<double>::max();
  const std::vector<double> values = {-most, -1e308, -1.5e307, -1, -5e-324, 0, 5e-324, 1e-300, 0.5, 1, 1e308, most};
  for (const double e : values) {
    for (const double c : values) {
      for (const double i : values) {
        const CalibrationThresholds thresholds{e, c, i};
        if (!strictly_monotone(thresholds)) continue;
        for (const double raw : values) {
          const double membership = calibrated_membership(raw, thresholds);
          EXPECT_TRUE(membership >= 0.0 && membership <= 1.0) << raw << " at " << e << "/" << c << "/" << i;
        }
      }
    }
  }
}

TEST(Calibration, ThresholdsMustBeStrictlyMonotoneAndFinite) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  struct Case {
    CalibrationThresholds thresholds;
    bool monotone;
  };
  const std::vector<Case> cases = {
      {{400, 550, 900}, true},
      {{15, 9.5, 5}, true},
      {{400, 400, 900}, false},
      {{400, 900, 900}, false},
      {{5, 5, 5}, false},
      {{400, 300, 900}, false},
      {{400, 950, 900}, false},
      {{900, 550, 400.5}, true},
      {{-inf, 0, 1}, false},
      {{0, 1, inf}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(strictly_monotone(c.thresholds), c.monotone)
        << c.thresholds.exclusion << "/" << c.thresholds.crossover << "/" << c.thresholds.inclusion;
  }
}

}  // namespace
}  // namespace morvit
