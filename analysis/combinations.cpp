#include "analysis/combinations.h"

#include "analysis/partition_sums.h"
#include "analysis/rounding.h"

namespace morvit {
namespace {

int binomial(int n, int k) {
  if (k < 0 || k > n) return 0;
  int result = 1;
  for (int i = 1; i <= k; ++i) result = result * (n - k + i) / i;
  return result;
}

class CombinationBlocks {
 public:
  CombinationBlocks(HypothesisRows& rows, const FitInputs& inputs, float total_weight, SsdTotals& ssd_totals)
      : rows_(rows),
        inputs_(inputs),
        cases_(static_cast<std::size_t>(inputs.case_count)),
        weight_total_(static_cast<double>(total_weight)),
        comparison_df_(static_cast<double>(nearest_int(static_cast<double>(total_weight)))),
        ssd_totals_(ssd_totals) {}

  void write_size(int size) {
    size_ = size;
    rank_ = 0;
    enumerate(0, 1);
  }

 private:
  // Nested loops over the factors of each position, the last position running fastest.
  void enumerate(int position, int first_factor) {
    if (position == size_) {
      write_block();
      return;
    }
    for (int factor = first_factor; factor <= inputs_.factor_count; ++factor) {
      factors_[static_cast<std::size_t>(position)] = factor;
      enumerate(position + 1, factor + 1);
    }
  }

  void write_block() {
    ++rank_;
    const std::span<const int> factors(factors_.data(), static_cast<std::size_t>(size_));
    std::array<const double*, max_combination_size> columns{};
    for (int i = 0; i < size_; ++i) columns[static_cast<std::size_t>(i)] = inputs_.z[static_cast<std::size_t>(factors_[static_cast<std::size_t>(i)])];

    const PartitionSums sums =
        accumulate_combination({inputs_.z[0], cases_}, {columns.data(), static_cast<std::size_t>(size_)},
                               {inputs_.wght, cases_});
    const double ssd_total = sums.ssd_total();
    ssd_totals_[static_cast<std::size_t>(size_)][static_cast<std::size_t>(rank_ - 1)] = ssd_total;

    const std::string label = combination_label(factors);
    rows_.write_combination_rows(label, sums, weight_total_);
    if (ssd_total > 0) {
      // Constituents in label order: first the one without the last factor, last the one
      // without the first.
      for (int left_out = size_ - 1; left_out >= 0; --left_out) {
        std::array<int, max_combination_size> constituent{};
        int count = 0;
        for (int i = 0; i < size_; ++i) {
          if (i != left_out) constituent[static_cast<std::size_t>(count++)] = factors_[static_cast<std::size_t>(i)];
        }
        const std::span<const int> part(constituent.data(), static_cast<std::size_t>(count));
        const double constituent_ssd = ssd_totals_[static_cast<std::size_t>(count)][static_cast<std::size_t>(
            combination_rank(part, inputs_.factor_count) - 1)];
        rows_.write_comparison_row(combination_label(part) + " v " + label, constituent_ssd, ssd_total,
                                   comparison_df_);
      }
    }
    rows_.write_blank_line();
  }

  HypothesisRows& rows_;
  const FitInputs& inputs_;
  std::size_t cases_;
  double weight_total_;
  double comparison_df_;
  SsdTotals& ssd_totals_;
  int size_ = 0;
  int rank_ = 0;
  std::array<int, max_combination_size> factors_{};
};

}  // namespace

int combination_rank(std::span<const int> factors, int factor_count) {
  const int size = static_cast<int>(factors.size());
  int rank = 1;
  int previous = 0;
  for (int i = 1; i <= size; ++i) {
    const int current = factors[static_cast<std::size_t>(i - 1)];
    for (int v = previous + 1; v <= current - 1; ++v) rank += binomial(factor_count - v, size - i);
    previous = current;
  }
  return rank;
}

std::string combination_label(std::span<const int> factors) {
  std::string label;
  for (int factor : factors) label.push_back(static_cast<char>('A' + factor - 1));
  return label;
}

void write_combination_blocks(HypothesisRows& rows, const FitInputs& inputs, float total_weight,
                              SsdTotals& ssd_totals) {
  CombinationBlocks blocks(rows, inputs, total_weight, ssd_totals);
  for (int size = 2; size <= max_combination_size && size <= inputs.factor_count; ++size) blocks.write_size(size);
}

}  // namespace morvit
