#include "measures/block_evidence.h"

#include <algorithm>
#include <limits>

#include "analysis/block_membership.h"
#include "analysis/vector_lanes.h"
#include "limits/program_limits.h"

// How the evidence of all blocks is gathered in one pass.
//
// The cases are taken in chunks. A chunk's values are first prepared for all blocks at
// once (memberships within 0 to 1, the outcome's z-score NaN for cases of weight 0 or
// below), and then every block walks through them while they stay in the cache. A block
// takes four consecutive cases at a time, one in each lane of a vector, and keeps four
// partial sums, one per lane: the interleaved sums of fit_measures.h, whose bits do not
// depend on how wide the processor's vectors are. Which side of the diagonal a case lies
// on is a mask, not a branch: it depends on the data and would be guessed wrong half the
// time. A chunk is padded to whole vectors with cases of weight 0, membership 0 and an
// outcome z-score NaN, which add +0 to every sum and count on no side.

namespace morvit {
namespace {

constexpr int lanes = fit_sum_lanes;
constexpr int chunk_cases = 256;
static_assert(chunk_cases % lanes == 0);

// One chunk's values, each column `chunk_cases` long; the factor columns one after the
// other (factor j from (j - 1) * chunk_cases).
struct ChunkValues {
  explicit ChunkValues(int factors)
      : x(static_cast<std::size_t>(factors) * chunk_cases),
        z(x.size()),
        y(chunk_cases),
        y_low(chunk_cases),
        w(chunk_cases),
        y_z(chunk_cases) {}

  std::vector<double> x;      // the factors' memberships within 0 to 1
  std::vector<double> z;      // their z-scores
  std::vector<double> y;      // the outcome's membership within 0 to 1
  std::vector<double> y_low;  // min(Y, 1 - Y)
  std::vector<double> w;      // the weights
  std::vector<double> y_z;    // the outcome's z-score; NaN for a weight of 0 or below
};

// Where a block's factors stand in the chunk.
struct BlockColumns {
  int count = 0;
  const double* x[max_factors] = {};
  const double* z[max_factors] = {};
};

// A block's running sums, lane by lane.
struct BlockLanes {
  double x[lanes] = {};
  double both[lanes] = {};
  double both_not_y[lanes] = {};
  double not_x[lanes] = {};
  double not_both[lanes] = {};
  double either[lanes] = {};
  std::int64_t above[lanes] = {};
  std::int64_t below[lanes] = {};
  double farthest_above[lanes] = {};
  double farthest_below[lanes] = {};
};

// The walk is compiled for two lanes a vector, which take the four lanes of the sums in
// two halves, and for four (vector_lanes.h).

// One block over the cases [0, cases) of a chunk, `cases` a multiple of the lanes, in the
// lanes [lane, lane + width) of the sums: case i goes to lane i % 4. A count of factors
// known when compiled lets the compiler unroll the minimum over them (`Count` 0: any).
template <class Lanes, int Count>
[[gnu::always_inline]] inline void walk_lanes(const BlockColumns& b, const ChunkValues& c, int cases, int lane,
                                              BlockLanes& sums) {
  using Vec = typename Lanes::Vec;
  using Mask = typename Lanes::Mask;
  const int count = Count > 0 ? Count : b.count;
  Vec x_sum, both_sum, both_not_y_sum, not_x_sum, not_both_sum, either_sum, farthest_above, farthest_below;
  Mask above, below;
  load(x_sum, sums.x + lane);
  load(both_sum, sums.both + lane);
  load(both_not_y_sum, sums.both_not_y + lane);
  load(not_x_sum, sums.not_x + lane);
  load(not_both_sum, sums.not_both + lane);
  load(either_sum, sums.either + lane);
  load(above, sums.above + lane);
  load(below, sums.below + lane);
  load(farthest_above, sums.farthest_above + lane);
  load(farthest_below, sums.farthest_below + lane);
  const Vec one = Vec{} + 1.0;
  const bool rounded = rounded_to_single(count);
  for (int i = lane; i < cases; i += lanes) {
    // The block's membership as read and in z-scores (block_membership.h).
    Vec x, z, next_x, next_z, y, y_low, w, y_z;
    load(x, b.x[0] + i);
    load(z, b.z[0] + i);
    for (int k = 1; k < count; ++k) {
      load(next_x, b.x[k] + i);
      load(next_z, b.z[k] + i);
      keep_smaller(x, next_x);
      keep_smaller(z, next_z);
    }
    load(y, c.y.data() + i);
    load(y_low, c.y_low.data() + i);
    load(w, c.w.data() + i);
    const Vec both = x < y ? x : y;
    x_sum += w * x;
    both_sum += w * both;
    both_not_y_sum += w * (x < y_low ? x : y_low);  // min(X, Y, 1 - Y)
    not_x_sum += w * (one - x);
    not_both_sum += w * (one - both);
    either_sum += w * (x < y ? y : x);

    load(y_z, c.y_z.data() + i);
    // The side as the table sees it, on the membership rounded from three factors on; but a
    // case whose membership equals its outcome's before that rounding lies on the diagonal,
    // whatever the rounding made of it. (A y_z of NaN, weight 0 or below, is on no side.)
    Vec table_z = z;
    Mask up_side, down_side;
    if (rounded) {
      round_to_single<Lanes>(table_z);
      diagonal_sides(y_z, table_z, up_side, down_side);
      const Mask tie = y_z == z;
      up_side &= ~tie;
      down_side &= ~tie;
    } else {
      diagonal_sides(y_z, table_z, up_side, down_side);
    }
    above -= up_side;  // a true comparison is -1 in its lane
    below -= down_side;
    // Distances beyond the single-precision step of a rounded membership.
    Vec slack{};
    if (rounded) slack = (table_z < Vec{} ? -table_z : table_z) * single_precision_step;
    const Vec up = y_z - table_z - slack;
    const Vec down = table_z - y_z - slack;
    farthest_above = up > farthest_above ? up : farthest_above;
    farthest_below = down > farthest_below ? down : farthest_below;
  }
  store(sums.x + lane, x_sum);
  store(sums.both + lane, both_sum);
  store(sums.both_not_y + lane, both_not_y_sum);
  store(sums.not_x + lane, not_x_sum);
  store(sums.not_both + lane, not_both_sum);
  store(sums.either + lane, either_sum);
  store(sums.above + lane, above);
  store(sums.below + lane, below);
  store(sums.farthest_above + lane, farthest_above);
  store(sums.farthest_below + lane, farthest_below);
}

template <class Lanes, int Count>
[[gnu::always_inline]] inline void walk_count(const BlockColumns& b, const ChunkValues& c, int cases,
                                              BlockLanes& sums) {
  for (int lane = 0; lane < lanes; lane += Lanes::width) walk_lanes<Lanes, Count>(b, c, cases, lane, sums);
}

template <class Lanes>
[[gnu::always_inline]] inline void walk_blocks(const std::vector<BlockColumns>& blocks, const ChunkValues& c, int cases,
                                               std::vector<BlockLanes>& sums) {
  for (std::size_t k = 0; k < blocks.size(); ++k) {
    const BlockColumns& b = blocks[k];
    switch (b.count) {
      case 1: walk_count<Lanes, 1>(b, c, cases, sums[k]); break;
      case 2: walk_count<Lanes, 2>(b, c, cases, sums[k]); break;
      case 3: walk_count<Lanes, 3>(b, c, cases, sums[k]); break;
      case 4: walk_count<Lanes, 4>(b, c, cases, sums[k]); break;
      case 5: walk_count<Lanes, 5>(b, c, cases, sums[k]); break;
      case 6: walk_count<Lanes, 6>(b, c, cases, sums[k]); break;
      default: walk_count<Lanes, 0>(b, c, cases, sums[k]); break;
    }
  }
}

// Fills the chunk with the cases [first, first + size) and pads it to whole vectors;
// adds their weighted outcome memberships to the lanes of `sum_y`, and counts the cases of
// positive weight.
void prepare_chunk(const CaseColumns& data, int first, int size, ChunkValues& chunk, double (&sum_y)[lanes],
                   std::int64_t& positive) {
  constexpr double none = std::numeric_limits<double>::quiet_NaN();
  const auto cases = static_cast<std::size_t>(data.case_count);
  const auto from = static_cast<std::size_t>(first);
  const int padded = (size + lanes - 1) / lanes * lanes;
  for (int j = 1; j <= data.factor_count; ++j) {
    const double* x = data.x.data() + static_cast<std::size_t>(j) * cases + from;
    const double* z = data.z.data() + static_cast<std::size_t>(j) * cases + from;
    double* const chunk_x = chunk.x.data() + static_cast<std::size_t>(j - 1) * chunk_cases;
    double* const chunk_z = chunk.z.data() + static_cast<std::size_t>(j - 1) * chunk_cases;
    for (int i = 0; i < padded; ++i) {
      const bool real = i < size;
      chunk_x[i] = real ? within_unit(x[i]) : 0.0;
      chunk_z[i] = real ? z[i] : 0.0;
    }
  }
  const double* x = data.x.data() + from;
  const double* z = data.z.data() + from;
  const double* w = data.w.data() + from;
  for (int i = 0; i < padded; ++i) {
    const auto at = static_cast<std::size_t>(i);
    const bool real = i < size;
    const double y = real ? within_unit(x[i]) : 0.0;
    chunk.y[at] = y;
    chunk.y_low[at] = y < 1.0 - y ? y : 1.0 - y;
    chunk.w[at] = real ? w[i] : 0.0;
    chunk.y_z[at] = real && w[i] > 0.0 ? z[i] : none;
    sum_y[i % lanes] += chunk.w[at] * y;
    if (chunk.w[at] > 0.0) ++positive;
  }
}

}  // namespace

std::vector<BlockEvidence> evidence_of_blocks(const CaseColumns& data, std::span<const std::string_view> blocks,
                                              VectorCode code) {
  std::vector<BlockEvidence> evidence(blocks.size());
  const auto cases = static_cast<std::size_t>(data.case_count);
  const auto columns = static_cast<std::size_t>(data.factor_count) + 1;
  if (data.case_count < 0 || data.factor_count < 0 || data.x.size() < columns * cases ||
      data.z.size() < columns * cases || data.w.size() < cases) {
    return evidence;
  }

  ChunkValues chunk(data.factor_count);
  // The blocks that name factors of the data; the others keep no evidence.
  std::vector<BlockColumns> walked;
  std::vector<std::size_t> places;
  for (std::size_t at = 0; at < blocks.size(); ++at) {
    int factors[max_factors];
    BlockColumns b;
    b.count = block_factors(blocks[at], factors);
    bool known = b.count > 0;
    for (int k = 0; k < b.count; ++k) known = known && factors[k] <= data.factor_count;
    if (!known) continue;
    for (int k = 0; k < b.count; ++k) {
      const auto offset = static_cast<std::size_t>(factors[k] - 1) * chunk_cases;
      b.x[k] = chunk.x.data() + offset;
      b.z[k] = chunk.z.data() + offset;
    }
    walked.push_back(b);
    places.push_back(at);
  }

  double sum_y[lanes] = {};
  std::int64_t positive = 0;
  std::vector<BlockLanes> sums(walked.size());
  with_lanes(
      code, [&]<class Lanes>() __attribute__((always_inline)) {
        for (int first = 0; first < data.case_count; first += chunk_cases) {
          const int size = std::min(chunk_cases, data.case_count - first);
          prepare_chunk(data, first, size, chunk, sum_y, positive);
          walk_blocks<Lanes>(walked, chunk, (size + lanes - 1) / lanes * lanes, sums);
        }
      });

  for (std::size_t k = 0; k < walked.size(); ++k) {
    const BlockLanes& s = sums[k];
    FitSums fit[lanes];
    BlockEvidence& e = evidence[places[k]];
    for (int lane = 0; lane < lanes; ++lane) {
      fit[lane] = {
          s.x[lane], sum_y[lane], s.both[lane], s.both_not_y[lane], s.not_x[lane], s.not_both[lane], s.either[lane]};
      e.above.cases += s.above[lane];
      e.below.cases += s.below[lane];
      e.above.farthest = std::max(e.above.farthest, s.farthest_above[lane]);
      e.below.farthest = std::max(e.below.farthest, s.farthest_below[lane]);
    }
    e.fit = fit_measures(combine_lanes(fit));
    e.on = positive - e.above.cases - e.below.cases;
  }
  return evidence;
}

BlockEvidence block_evidence(const CaseColumns& data, std::string_view block) {
  return evidence_of_blocks(data, std::span<const std::string_view>(&block, 1)).front();
}

}  // namespace morvit
