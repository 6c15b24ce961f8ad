#include "analysis/combinations.h"

#include "analysis/rounding.h"
#include "limits/program_limits.h"

namespace morvit {
namespace {

class CombinationBlocks {
 public:
  CombinationBlocks(HypothesisRows& rows, const FitInputs& inputs, float total_weight, const CombinationSums& sums)
      : rows_(rows),
        factor_count_(inputs.factor_count),
        weight_total_(static_cast<double>(total_weight)),
        comparison_df_(static_cast<double>(nearest_int(static_cast<double>(total_weight)))),
        sums_(sums) {}

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
    for (int factor = first_factor; factor <= factor_count_; ++factor) {
      factors_[static_cast<std::size_t>(position)] = factor;
      enumerate(position + 1, factor + 1);
    }
  }

  double ssd_total(int size, int rank) const {
    return sums_[static_cast<std::size_t>(size)][static_cast<std::size_t>(rank - 1)].ssd_total();
  }

  void write_block() {
    ++rank_;
    const std::span<const int> factors(factors_.data(), static_cast<std::size_t>(size_));
    const PartitionSums& sums = sums_[static_cast<std::size_t>(size_)][static_cast<std::size_t>(rank_ - 1)];
    const double combination_ssd = sums.ssd_total();

    const std::string label = combination_label(factors);
    rows_.write_combination_rows(label, sums, weight_total_);
    // Constituents in label order: first the one without the last factor, last the one
    // without the first. Their rows are written only when the combination has a distance.
    for (int left_out = size_ - 1; left_out >= 0; --left_out) {
      std::array<int, max_combination_size> constituent{};
      int count = 0;
      for (int i = 0; i < size_; ++i) {
        if (i != left_out) constituent[static_cast<std::size_t>(count++)] = factors_[static_cast<std::size_t>(i)];
      }
      const std::span<const int> part(constituent.data(), static_cast<std::size_t>(count));
      if (combination_ssd > 0) {
        rows_.write_comparison_row(label,
                                   combination_label(part) + " v " + label,
                                   ssd_total(count, combination_rank(part, factor_count_)),
                                   combination_ssd,
                                   comparison_df_);
      } else {
        rows_.omit_comparison_row(label, combination_label(part) + " v " + label);
      }
    }
    rows_.write_blank_line();
  }

  HypothesisRows& rows_;
  int factor_count_;
  double weight_total_;
  double comparison_df_;
  const CombinationSums& sums_;
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
  for (int factor : factors) label.push_back(factor_letter(factor));
  return label;
}

void write_combination_blocks(HypothesisRows& rows, const FitInputs& inputs, float total_weight,
                              const CombinationSums& sums) {
  CombinationBlocks blocks(rows, inputs, total_weight, sums);
  for (int size = 2; size <= max_combination_size && size <= inputs.factor_count; ++size) blocks.write_size(size);
}

}  // namespace morvit
