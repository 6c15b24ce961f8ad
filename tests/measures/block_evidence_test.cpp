#include "measures/block_evidence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "analysis/block_membership.h"
#include "measures/fit_measures.h"

namespace morvit {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void expect_same(const FitMeasures& got, const FitMeasures& want, const std::string& where) {
  const double g[] = {got.cons_suf, got.cov_suf, got.pri, got.cons_nec, got.cov_nec, got.ron, got.coincidence};
  const double w[] = {want.cons_suf, want.cov_suf, want.pri, want.cons_nec, want.cov_nec, want.ron, want.coincidence};
  for (int k = 0; k < 7; ++k) {
    if (std::isnan(w[k])) {
      EXPECT_TRUE(std::isnan(g[k])) << where << ", measure " << k << ": " << g[k];
    } else {
      EXPECT_NEAR(g[k], w[k], 1e-15) << where << ", measure " << k;
    }
  }
}

// Sums worked out by hand. Memberships outside 0 to 1 count as the nearest bound: X 1.3 is
// 1, Y -0.1 is 0. With weights 1, 2, 1, 0.5: S(X) 2.9, S(Y) 2.5, S(min) 2.1, S(min(X,Y,1-Y))
// 0.7, S(1-X) 1.6, S(1-min) 2.4, S(max) 3.3. A zero denominator leaves its ratio NaN.
TEST(FitMeasures, RatiosOfTheWeightedSums) {
  struct Case {
    const char* what;
    std::vector<double> x, y, w;
    FitMeasures want;
  };
  const Case cases[] = {
      {"worked by hand",
       {0.2, 0.8, 0.6, 1.3},
       {0.4, 0.9, 0.3, -0.1},
       {1, 2, 1, 0.5},
       {2.1 / 2.9, 0.84, 1.4 / 2.2, 0.84, 2.1 / 2.9, 2.0 / 3.0, 2.1 / 3.3}},
      {"X 0 everywhere", {0.0, -0.5}, {0.5, 1.0}, {1, 1}, {nan, 0.0, nan, 0.0, nan, 1.0, 0.0}},
      {"X and Y 1 everywhere", {1.0, 1.0}, {1.0, 1.0}, {1, 1}, {1.0, 1.0, 1.0, 1.0, 1.0, nan, 1.0}},
      {"no cases", {}, {}, {}, no_fit_measures()},
  };
  for (const Case& c : cases) expect_same(fit_measures(c.x, c.y, c.w), c.want, c.what);
}

// Data that try every corner of the pass: more cases than a chunk and not a whole number
// of vectors; memberships outside 0 to 1; weights of 0, below 0 and fractional; factors
// equal to the outcome (ties of a pair, split by single precision from three factors on,
// at distances of about 1e-8), and z-scores a hair from the outcome's.
struct Data {
  int cases = 0;
  int factors = 0;
  std::vector<double> x, z, w;
};

Data awkward_data(int cases, int factors) {
  Data d{cases, factors, {}, {}, {}};
  const auto size = static_cast<std::size_t>(cases) * static_cast<std::size_t>(factors + 1);
  d.x.resize(size);
  d.z.resize(size);
  std::uint64_t state = 12345;
  auto next = [&state]() {  // a fixed linear congruential sequence, 0 to 1
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state >> 11) / 9007199254740992.0;
  };
  for (int i = 0; i < cases; ++i) {
    const double u = next();
    d.w.push_back(u < 0.1 ? 0.0 : u < 0.15 ? -1.5 : u < 0.4 ? 0.25 + u : 1.0);
    for (int j = 0; j <= factors; ++j) {
      const std::size_t at =
          static_cast<std::size_t>(j) * static_cast<std::size_t>(cases) + static_cast<std::size_t>(i);
      const double v = next();
      d.x[at] = v < 0.05 ? -0.2 : v > 0.95 ? 1.2 : v;
      d.z[at] = 4.0 * v - 2.0;
      if (j > 0 && v < 0.2) {  // a copy of the outcome, or a hair from it
        const std::size_t outcome = static_cast<std::size_t>(i);
        d.x[at] = d.x[outcome];
        d.z[at] = v < 0.15 ? d.z[outcome] : d.z[outcome] * (1.0 + 1e-13);
      }
    }
  }
  return d;
}

// Every block of seven factors (the seven together too) against the plain computation:
// block_membership case by case, fit_measures over the memberships, the sides counted one
// case at a time (a case whose membership equals its outcome's before the table's rounding
// on the diagonal). Both compiled variants give exactly these numbers.
TEST(BlockEvidence, EveryVariantAgreesWithThePlainComputationBitForBit) {
  const Data d = awkward_data(523, 7);
  const CaseColumns data{d.cases, d.factors, d.x, d.z, d.w};
  std::vector<std::string> labels;
  for (int set = 1; set < (1 << d.factors); ++set) {
    std::string label;
    for (int f = 0; f < d.factors; ++f) {
      if ((set >> f) & 1) label += static_cast<char>('A' + f);
    }
    labels.push_back(label);
  }
  const std::vector<std::string_view> blocks(labels.begin(), labels.end());
  const std::vector<BlockEvidence> best = evidence_of_blocks(data, blocks, VectorCode::best_supported);
  const std::vector<BlockEvidence> baseline = evidence_of_blocks(data, blocks, VectorCode::two_lanes);

  std::int64_t split_ties = 0;
  std::int64_t exact_ties_of_three = 0;
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    std::vector<double> membership, outcome;
    BlockEvidence want;
    for (int i = 0; i < d.cases; ++i) {
      double x_row[8], z_row[8];
      for (int j = 0; j <= d.factors; ++j) {
        x_row[j] = d.x[static_cast<std::size_t>(j * d.cases + i)];
        z_row[j] = d.z[static_cast<std::size_t>(j * d.cases + i)];
      }
      membership.push_back(block_membership(blocks[b], x_row, false));
      outcome.push_back(x_row[0]);
      const double m = block_membership(blocks[b], z_row, true);
      const double unrounded = block_membership(blocks[b], z_row, false);
      if (!(d.w[static_cast<std::size_t>(i)] > 0)) continue;
      if (z_row[0] == m || z_row[0] == unrounded) {
        ++want.on;
        if (z_row[0] != m) ++exact_ties_of_three;
        continue;
      }
      DiagonalSide& side = z_row[0] > m ? want.above : want.below;
      ++side.cases;
      const double slack = blocks[b].size() >= 3 ? std::fabs(m) * single_precision_step : 0.0;
      side.farthest = std::max(side.farthest, std::fabs(z_row[0] - m) - slack);
      if (std::fabs(z_row[0] - m) < 1e-6) ++split_ties;
    }
    want.fit = fit_measures(membership, outcome, d.w);
    for (const auto* got : {&best[b], &baseline[b]}) {
      const std::string where = std::string(blocks[b]) + (got == &best[b] ? " (best)" : " (baseline)");
      EXPECT_EQ(got->above.cases, want.above.cases) << where;
      EXPECT_EQ(got->below.cases, want.below.cases) << where;
      EXPECT_EQ(got->on, want.on) << where;
      EXPECT_EQ(got->above.farthest, want.above.farthest) << where;
      EXPECT_EQ(got->below.farthest, want.below.farthest) << where;
      const FitMeasures& g = got->fit;
      const FitMeasures& f = want.fit;
      EXPECT_TRUE(same_bits(g.cons_suf, f.cons_suf) && same_bits(g.cov_suf, f.cov_suf) && same_bits(g.pri, f.pri) &&
                  same_bits(g.cons_nec, f.cons_nec) && same_bits(g.cov_nec, f.cov_nec) && same_bits(g.ron, f.ron) &&
                  same_bits(g.coincidence, f.coincidence))
          << where;
    }
  }
  EXPECT_GT(split_ties, 100);           // the data do reach the cases split by rounding
  EXPECT_GT(exact_ties_of_three, 100);  // and the ties that the rounding would split
  const auto ace = static_cast<std::size_t>(std::find(labels.begin(), labels.end(), "ACE") - labels.begin());
  EXPECT_EQ(block_evidence(data, "ACE").below.farthest, best[ace].below.farthest);
}

// A row is decided by ties when it has cases against and all of them lie within 1e-9 of
// the diagonal; a block that names no factor of the data has no evidence.
TEST(BlockEvidence, TiesAndBlocksOutsideTheData) {
  // Outcome z 0.5 in case 1 and 0.25 in case 2; A matches it in case 1 up to 1e-12, in
  // case 2 it lies 0.5 below.
  const std::vector<double> x = {0.6, 0.5, 0.6, 0.3};
  const std::vector<double> z = {0.5, 0.25, 0.5 - 1e-12, -0.25};
  const std::vector<double> w = {1.0, 1.0};
  const CaseColumns data{2, 1, x, z, w};
  const BlockEvidence a = block_evidence(data, "A");
  EXPECT_EQ(a.above.cases, 2);
  EXPECT_FALSE(decided_by_ties(a.above));
  EXPECT_FALSE(decided_by_ties(a.below));  // no case against: a perfect row, not a tie
  const std::vector<double> first_x = {x[0], x[2]};
  const std::vector<double> first_z = {z[0], z[2]};
  const BlockEvidence first_only = block_evidence({1, 1, first_x, first_z, std::span(w).first(1)}, "A");
  EXPECT_TRUE(decided_by_ties(first_only.above));
  EXPECT_TRUE(decided_by_ties(first_only.either()));

  // From three factors on, the table rounds the membership to single precision, which
  // moves a case whose membership equals its outcome's off the diagonal: it stays on it,
  // as it does for one or two factors. A case within the single-precision step of the
  // rounded membership, but not equal to it, is a tie.
  const double m = static_cast<double>(static_cast<float>(0.7));
  const std::vector<double> three_x = {0.7, 0.7, 0.7, 0.7};
  const std::vector<double> three_z = {0.7, 0.7, 0.7, 0.7};
  const BlockEvidence three = block_evidence({1, 3, three_x, three_z, std::span(w).first(1)}, "ABC");
  ASSERT_NE(m, 0.7);
  EXPECT_EQ(three.above.cases + three.below.cases, 0);
  EXPECT_EQ(three.on, 1);
  const std::vector<double> hair_z = {0.7 + 1e-9, 0.7, 0.7, 0.7};
  const BlockEvidence hair = block_evidence({1, 3, three_x, hair_z, std::span(w).first(1)}, "ABC");
  EXPECT_EQ(hair.above.cases + hair.below.cases, 1);
  EXPECT_TRUE(decided_by_ties(hair.either()));
  const std::vector<double> far_z = {0.7 + 1e-6, 0.7, 0.7, 0.7};
  EXPECT_FALSE(decided_by_ties(block_evidence({1, 3, three_x, far_z, std::span(w).first(1)}, "ABC").either()));

  const BlockEvidence outside = block_evidence(data, "AB");
  EXPECT_EQ(outside.above.cases + outside.below.cases, 0);
  EXPECT_TRUE(std::isnan(outside.fit.cons_suf));
}

}  // namespace
}  // namespace morvit
