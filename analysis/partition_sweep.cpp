#include "analysis/partition_sweep.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "analysis/block_membership.h"

// How the sums of all 847 factors and combinations of ten factors are formed in one pass.
//
// Each sum must be formed in case order, one case at a time, so the cases of one sum
// cannot be spread over vector lanes. The lanes hold four different combinations of one
// case instead. The combinations of one size are numbered in colexicographic order: by
// their largest factor f, then by the colex number of the rest (their prefix). All
// combinations whose largest factor is f then form one contiguous run, and their
// prefixes are the first C(f, size - 1) combinations of the size below, also contiguous.
// So for every case the memberships of a run take one vector operation per four
// combinations,
//
//     membership[size][C(f, size) + q] = min(membership[size - 1][q], z_f),
//
// and the memberships of one size are the prefix memberships of the next. Nearly every
// lane is busy: 847 sums in 226 groups of four per case.
//
// From three factors on, a membership is the minimum rounded to single precision. The
// rounding is monotonic, so the rounded minimum is the minimum of the rounded values: the
// pairs store their memberships rounded, the factor columns are rounded once per tile,
// and the larger combinations never convert. (Where rounding makes two values equal, the
// minimum may pick the other one, which rounded to the same value; only a +0 picked for
// a -0 differs, and the sign of a zero membership changes neither a comparison nor a
// squared difference.)
//
// The cases are taken in tiles whose memberships of every size stay in the caches. A
// group keeps its four combinations' sums in registers while it runs over the cases of
// a tile, and in `group_sums` from one tile to the next, so every sum still takes the
// cases one at a time in case order. The above/below split is branch-free: a masked-out
// lane adds +0.0, which leaves a sum unchanged (these sums start at +0.0 and can never
// become -0.0). `min` keeps the prefix's value unless z_f is strictly smaller, as the
// running minimum over the factors in increasing order does.

namespace morvit {
namespace {

constexpr int tile_cases = 64;
constexpr int group_lanes = 4;

constexpr int groups_of(int count) { return (count + group_lanes - 1) / group_lanes; }

// Row length of the memberships of one size for one case: one entry per combination,
// plus room for the lanes that the last group of a run writes beyond it, rounded up to
// an odd number of four-double vectors. The rows then start on vector boundaries (the
// prefix loads are aligned), and consecutive rows fall into different cache sets (a
// stride of a power of two would crowd a whole tile's rows into two of them).
constexpr int row_length(int size) {
  const int vectors = (binomial(max_factors, size) + group_lanes + group_lanes - 1) / group_lanes;
  return group_lanes * (vectors % 2 == 1 ? vectors : vectors + 1);
}

// Groups of all sizes for ten factors: the single factors, then for every size and
// every largest factor f the run's groups.
constexpr int total_groups() {
  int groups = groups_of(max_factors);
  for (int size = 2; size <= max_combination_size; ++size) {
    for (int f = size - 1; f < max_factors; ++f) groups += groups_of(binomial(f, size - 1));
  }
  return groups;
}
static_assert(total_groups() == 226);

// The running sums of one group, lane by lane.
struct GroupSums {
  alignas(32) double ssd_above[group_lanes];
  alignas(32) double weight_above[group_lanes];
  alignas(32) double ssd_below[group_lanes];
  alignas(32) double weight_below[group_lanes];
};

// Memberships of one tile of cases, size by size; each case's row is followed by the next case's.
// Sizes 2 to 5 are held rounded to single precision (as doubles); size 6 is not stored.
struct alignas(64) TileRows {
  std::array<double, tile_cases * row_length(1)> size1;
  std::array<double, tile_cases * row_length(2)> size2;
  std::array<double, tile_cases * row_length(3)> size3;
  std::array<double, tile_cases * row_length(4)> size4;
  std::array<double, tile_cases * row_length(5)> size5;
  // The values that every group reads for a case, each repeated across four lanes so
  // that a vector of it is a plain load: the outcome, the weight, and each factor's
  // z-score as it is (for the pairs) and rounded (for the larger combinations).
  using Spread = std::array<double, tile_cases * group_lanes>;
  Spread outcome;
  Spread weight;
  std::array<Spread, max_factors> z;
  std::array<Spread, max_factors> rounded_z;

  double* of_size(int size) {
    switch (size) {
      case 1: return size1.data();
      case 2: return size2.data();
      case 3: return size3.data();
      case 4: return size4.data();
      case 5: return size5.data();
      default: return nullptr;
    }
  }
};

struct Workspace {
  TileRows rows;
  std::array<GroupSums, total_groups()> group_sums;
};

enum class Membership {
  single,   // the prefix row itself: the z-scores of four factors
  pair,     // min(prefix, z_f), stored rounded for the triples
  rounded,  // min(prefix, z_f) of values already rounded
};

// One group of four combinations over the cases of a tile. `prefix` points at the
// group's first prefix membership of case 0, `last` at the spread z_f; `out`, if not
// null, receives the group's memberships for the next size. A vector holds two or four
// of the group's lanes; with two, the cases are run through once for each half.
template <class Lanes, Membership kind>
[[gnu::always_inline]] inline void sweep_group(GroupSums& group, const double* prefix, std::size_t prefix_stride,
                                               const double* last, double* out, std::size_t out_stride,
                                               const double* outcome, const double* weight, int cases) {
  using Vec = typename Lanes::Vec;
  using Mask = typename Lanes::Mask;
  constexpr int width = Lanes::width;
  // Neither the rows nor the lanes of a half are aligned: vectors move through load and store.
  for (int lane = 0; lane < group_lanes; lane += width) {
    Vec ssd_above, weight_above, ssd_below, weight_below;
    load(ssd_above, group.ssd_above + lane);
    load(weight_above, group.weight_above + lane);
    load(ssd_below, group.ssd_below + lane);
    load(weight_below, group.weight_below + lane);

    for (int i = 0; i < cases; ++i) {
      Vec y, w, m;
      load(y, outcome + i * group_lanes);
      load(w, weight + i * group_lanes);
      load(m, prefix + static_cast<std::size_t>(i) * prefix_stride + lane);
      if constexpr (kind != Membership::single) {
        Vec z;
        load(z, last + i * group_lanes);
        keep_smaller(m, z);
        if (out != nullptr) {
          Vec stored = m;
          if constexpr (kind == Membership::pair) round_to_single<Lanes>(stored);
          store(out + static_cast<std::size_t>(i) * out_stride + lane, stored);
        }
      }
      Mask above, below;
      diagonal_sides(y, m, above, below);
      const Vec d = y - m;
      const Mask contribution = reinterpret_cast<Mask>(d * d * w);
      const Mask w_bits = reinterpret_cast<Mask>(w);
      ssd_above += reinterpret_cast<Vec>(contribution & above);
      weight_above += reinterpret_cast<Vec>(w_bits & above);
      ssd_below += reinterpret_cast<Vec>(contribution & below);
      weight_below += reinterpret_cast<Vec>(w_bits & below);
    }

    store(group.ssd_above + lane, ssd_above);
    store(group.weight_above + lane, weight_above);
    store(group.ssd_below + lane, ssd_below);
    store(group.weight_below + lane, weight_below);
  }
}

// All groups over the cases [first, first + cases).
template <class Lanes>
[[gnu::always_inline]] inline void sweep_tile(Workspace& work, const FitInputs& inputs, int first, int cases) {
  const int factor_count = inputs.factor_count;
  const int largest_size = std::min(factor_count, max_combination_size);
  TileRows& rows = work.rows;
  auto spread = [cases](double* out, const double* values, bool rounded) {
    for (int i = 0; i < cases; ++i) {
      const double v = rounded ? to_single(values[i]) : values[i];
      for (int lane = 0; lane < group_lanes; ++lane) out[i * group_lanes + lane] = v;
    }
  };
  spread(rows.outcome.data(), inputs.z[0] + first, false);
  spread(rows.weight.data(), inputs.wght + first, false);
  const double* const outcome = rows.outcome.data();
  const double* const weight = rows.weight.data();

  // Size 1: the factors' z-scores, one row per case.
  double* const singles = rows.size1.data();
  for (int f = 0; f < factor_count; ++f) {
    const double* const column = inputs.z[static_cast<std::size_t>(f) + 1] + first;
    for (int i = 0; i < cases; ++i) singles[i * row_length(1) + f] = column[i];
    spread(rows.z[static_cast<std::size_t>(f)].data(), column, false);
    if (rounded_to_single(largest_size)) spread(rows.rounded_z[static_cast<std::size_t>(f)].data(), column, true);
  }
  GroupSums* group = work.group_sums.data();
  for (int q = 0; q < factor_count; q += group_lanes) {
    sweep_group<Lanes, Membership::single>(
        *group++, singles + q, row_length(1), nullptr, nullptr, 0, outcome, weight, cases);
  }

  for (int size = 2; size <= largest_size; ++size) {
    const double* const prefix_rows = rows.of_size(size - 1);
    const auto prefix_stride = static_cast<std::size_t>(row_length(size - 1));
    double* const size_rows = size < largest_size ? rows.of_size(size) : nullptr;
    const auto stride = static_cast<std::size_t>(row_length(size));
    for (int f = size - 1; f < factor_count; ++f) {
      const int run_start = binomial(f, size);
      for (int q = 0; q < binomial(f, size - 1); q += group_lanes) {
        double* const out = size_rows != nullptr ? size_rows + run_start + q : nullptr;
        if (size == 2) {
          const double* const last = rows.z[static_cast<std::size_t>(f)].data();
          sweep_group<Lanes, Membership::pair>(
              *group++, prefix_rows + q, prefix_stride, last, out, stride, outcome, weight, cases);
        } else {
          const double* const last = rows.rounded_z[static_cast<std::size_t>(f)].data();
          sweep_group<Lanes, Membership::rounded>(
              *group++, prefix_rows + q, prefix_stride, last, out, stride, outcome, weight, cases);
        }
      }
    }
  }
}

}  // namespace

void accumulate_all_partitions(const FitInputs& inputs, CombinationSums& sums, VectorCode code) {
  // Fixed storage, about 420 KB: the tile's memberships and the running sums. Values
  // left in the rows by an earlier call reach only lanes whose sums are never read.
  static Workspace work;
  work.group_sums.fill(GroupSums{});

  // The sweep over all tiles of cases, in the vector lanes chosen (vector_lanes.h).
  with_lanes(
      code, [&]<class Lanes>() __attribute__((always_inline)) {
        for (int first = 0; first < inputs.case_count; first += tile_cases) {
          sweep_tile<Lanes>(work, inputs, first, std::min(tile_cases, inputs.case_count - first));
        }
      });

  // From the groups (colex order) to the table's order (lexicographic ranks).
  auto copy_out = [&](int group, int lane, PartitionSums& out) {
    const GroupSums& g = work.group_sums[static_cast<std::size_t>(group)];
    out.ssd_above = g.ssd_above[lane];
    out.weight_above = g.weight_above[lane];
    out.ssd_below = g.ssd_below[lane];
    out.weight_below = g.weight_below[lane];
  };
  const int factor_count = inputs.factor_count;
  for (int f = 0; f < factor_count; ++f) {
    copy_out(f / group_lanes, f % group_lanes, sums[1][static_cast<std::size_t>(f)]);
  }

  int group_base = groups_of(factor_count);
  for (int size = 2; size <= std::min(factor_count, max_combination_size); ++size) {
    // First group of each largest factor's run.
    std::array<int, max_factors> run_group{};
    for (int f = size - 1; f < factor_count; ++f) {
      run_group[static_cast<std::size_t>(f)] = group_base;
      group_base += groups_of(binomial(f, size - 1));
    }
    // The combinations of this size in lexicographic order: each prefix (all factors but
    // the largest), with its colex number, followed by each possible largest factor.
    std::array<int, max_combination_size> factors{};
    int rank = 0;
    auto visit = [&](auto& self, int position, int first_factor) -> void {
      if (position == size - 1) {
        int prefix_number = 0;
        for (int i = 0; i < size - 1; ++i) prefix_number += binomial(factors[static_cast<std::size_t>(i)], i + 1);
        for (int f = first_factor; f < factor_count; ++f) {
          copy_out(run_group[static_cast<std::size_t>(f)] + prefix_number / group_lanes,
                   prefix_number % group_lanes,
                   sums[static_cast<std::size_t>(size)][static_cast<std::size_t>(rank++)]);
        }
        return;
      }
      for (int factor = first_factor; factor < factor_count; ++factor) {
        factors[static_cast<std::size_t>(position)] = factor;
        self(self, position + 1, factor + 1);
      }
    };
    visit(visit, 0, 0);
  }
}

const char* sweep_variant_name() {
  return four_lanes_run(VectorCode::best_supported) ? "AVX2, four combinations a vector"
                                                    : "two-lane vectors, two combinations a vector";
}

}  // namespace morvit
