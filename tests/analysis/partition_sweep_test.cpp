#include "analysis/partition_sweep.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/fit_table.h"
#include "analysis/partition_sums.h"
#include "recordio/record_sink.h"

namespace morvit {
namespace {

// The one-pass sweep against the plain accumulation: for each combination in table order,
// for each case in order, the running minimum over its factors, rounded to single
// precision from three factors on, added with add_case. Every sum must agree to the bit,
// and so must the whole table written from the sums.

struct Data {
  std::vector<std::vector<double>> z;  // outcome first
  std::vector<double> weights;
};

FitInputs inputs_of(const Data& data) {
  FitInputs inputs;
  inputs.case_count = static_cast<int>(data.weights.size());
  inputs.factor_count = static_cast<int>(data.z.size()) - 1;
  for (std::size_t c = 0; c < data.z.size(); ++c) inputs.z[c] = data.z[c].data();
  inputs.wght = data.weights.data();
  inputs.expected_msd = (static_cast<double>(0.05f) * 4) * static_cast<double>(0.05f);
  inputs.denominator_df = inputs.case_count;
  return inputs;
}

void plain_sums(const FitInputs& inputs, CombinationSums& sums) {
  const int k_max = std::min(inputs.factor_count, max_combination_size);
  for (int size = 1; size <= k_max; ++size) {
    int rank = 0;
    std::array<int, max_combination_size> factors{};
    auto combination = [&](auto& self, int position, int first) -> void {
      if (position == size) {
        PartitionSums s;
        for (int i = 0; i < inputs.case_count; ++i) {
          double m = inputs.z[static_cast<std::size_t>(factors[0])][i];
          for (int p = 1; p < size; ++p) {
            const double z = inputs.z[static_cast<std::size_t>(factors[static_cast<std::size_t>(p)])][i];
            if (z < m) m = z;
          }
          if (size >= 3) m = static_cast<double>(static_cast<float>(m));
          add_case(s, inputs.z[0][i], m, inputs.wght[i]);
        }
        sums[static_cast<std::size_t>(size)][static_cast<std::size_t>(rank++)] = s;
        return;
      }
      for (int f = first; f <= inputs.factor_count; ++f) {
        factors[static_cast<std::size_t>(position)] = f;
        self(self, position + 1, f + 1);
      }
    };
    combination(combination, 0, 1);
  }
}

std::string table_text(const FitInputs& inputs, const TableSums& sums) {
  StringSink sink;
  write_fit_table(sink, inputs, sums);
  return sink.text();
}

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// z-scores as the data loader makes them, mixed with the values that test the rules:
// repeats of the outcome (ties), values that single precision rounds up (0.3) or down
// (0.7) or keeps (0.5, 0), signed zeros, and a coarse grid on which factors tie with
// each other.
Data random_data(int factors, int cases, unsigned seed, bool unit_weights) {
  std::mt19937_64 random(seed);
  std::normal_distribution<double> normal;
  std::uniform_int_distribution<int> kind(0, 9);
  const double edge_values[] = {0.3, 0.7, 0.5, 0.0, -0.0, -0.3, 1.0 / 3.0, -0.7};
  Data data;
  data.z.assign(static_cast<std::size_t>(factors) + 1, std::vector<double>(static_cast<std::size_t>(cases)));
  for (std::size_t c = 0; c < data.z.size(); ++c) {
    for (int i = 0; i < cases; ++i) {
      double& v = data.z[c][static_cast<std::size_t>(i)];
      switch (kind(random)) {
        case 0: v = c > 0 ? data.z[0][static_cast<std::size_t>(i)] : normal(random); break;
        case 1: v = edge_values[random() % 8]; break;
        case 2: v = static_cast<double>(static_cast<int>(random() % 9) - 4) / 4; break;
        case 3: v = static_cast<double>(static_cast<float>(normal(random))); break;
        default: v = normal(random); break;
      }
    }
  }
  data.weights.resize(static_cast<std::size_t>(cases));
  for (double& w : data.weights) {
    const int k = kind(random);
    w = unit_weights ? 1.0 : k == 0 ? 0.0 : k == 1 ? -0.25 : static_cast<double>(random() % 3000) / 997.0;
  }
  return data;
}

TEST(PartitionSweep, EverySumAndTheTableMatchThePlainAccumulation) {
  struct Case {
    int factors;
    int cases;
    bool unit_weights;
  };
  // Case counts around the sweep's block of cases: less than one, exactly some, and a
  // last block that is partly filled.
  const Case cases[] = {
      {1, 50, false},
      {2, 64, false},
      {3, 1, false},
      {3, 200, true},
      {4, 129, false},
      {5, 777, false},
      {6, 1000, false},
      {7, 63, false},
      {8, 2048, true},
      {9, 1500, false},
      {10, 5000, false},
      {10, 321, true},
      {10, 0, false},
  };
  unsigned seed = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE("factors " + std::to_string(c.factors) + ", cases " + std::to_string(c.cases));
    const Data data = random_data(c.factors, c.cases, seed++, c.unit_weights);
    const FitInputs inputs = inputs_of(data);

    auto plain = std::make_unique<TableSums>();
    plain->baseline = compute_baseline({inputs.z[0], data.weights.size()}, data.weights);
    plain_sums(inputs, plain->partitions);
    const std::string expected = table_text(inputs, *plain);

    for (const VectorCode code : {VectorCode::best_supported, VectorCode::two_lanes}) {
      SCOPED_TRACE(code == VectorCode::two_lanes ? "two-lane code" : "best supported code");
      auto swept = std::make_unique<TableSums>();
      swept->baseline = plain->baseline;
      accumulate_all_partitions(inputs, swept->partitions, code);

      int mismatches = 0;
      for (int size = 1; size <= std::min(c.factors, max_combination_size); ++size) {
        for (std::size_t r = 0; r < plain->partitions[static_cast<std::size_t>(size)].size(); ++r) {
          const PartitionSums& a = plain->partitions[static_cast<std::size_t>(size)][r];
          const PartitionSums& b = swept->partitions[static_cast<std::size_t>(size)][r];
          if (!same_bits(a.ssd_above, b.ssd_above) || !same_bits(a.weight_above, b.weight_above) ||
              !same_bits(a.ssd_below, b.ssd_below) || !same_bits(a.weight_below, b.weight_below)) {
            if (++mismatches <= 3) ADD_FAILURE() << "size " << size << ", rank " << r + 1;
          }
        }
      }
      EXPECT_EQ(mismatches, 0);
      EXPECT_EQ(table_text(inputs, *swept), expected);
    }

    // The program's path: sums and table in one call.
    StringSink sink;
    write_fit_table(sink, inputs);
    EXPECT_EQ(sink.text(), expected);
  }
}

TEST(PartitionSweep, RepeatedRunsStartFromZero) {
  // The sweep keeps its working storage from run to run; a second, smaller run must not
  // see the first one's sums or memberships.
  const Data big = random_data(10, 700, 99, false);
  const Data small = random_data(4, 30, 100, false);
  auto first = std::make_unique<CombinationSums>();
  auto again = std::make_unique<CombinationSums>();
  auto plain = std::make_unique<CombinationSums>();
  accumulate_all_partitions(inputs_of(small), *first);
  accumulate_all_partitions(inputs_of(big), *again);
  accumulate_all_partitions(inputs_of(small), *again);
  plain_sums(inputs_of(small), *plain);
  const int combinations_of_four[] = {0, 4, 6, 4, 1};
  for (int size = 1; size <= 4; ++size) {
    for (int r = 0; r < combinations_of_four[size]; ++r) {
      const PartitionSums& a = (*plain)[static_cast<std::size_t>(size)][static_cast<std::size_t>(r)];
      const PartitionSums& b = (*again)[static_cast<std::size_t>(size)][static_cast<std::size_t>(r)];
      EXPECT_TRUE(same_bits(a.ssd_above, b.ssd_above) && same_bits(a.weight_below, b.weight_below))
          << "size " << size << ", rank " << r + 1;
    }
  }
}

}  // namespace
}  // namespace morvit
