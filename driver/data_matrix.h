#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>

#include "limits/program_limits.h"

namespace morvit {

// The data of a run: raw scores `x`, their z-scores `z` (both column by column: column 0
// is the outcome, column j factor j) and the case weights `wght`. Fixed size, allocated
// once, every element 0.0 at the start.
class DataMatrix {
 public:
  DataMatrix();

  double& x(int case_index, int column) { return x_.get()[offset(case_index, column)]; }
  double& z(int case_index, int column) { return z_.get()[offset(case_index, column)]; }
  double& wght(int case_index) { return wght_.get()[case_index]; }
  double x(int case_index, int column) const { return x_.get()[offset(case_index, column)]; }
  double z(int case_index, int column) const { return z_.get()[offset(case_index, column)]; }
  double wght(int case_index) const { return wght_.get()[case_index]; }

  // Column `column` of the scores and of the z-scores: max_cases contiguous values each.
  const double* x_column(int column) const { return x_.get() + static_cast<std::size_t>(column) * max_cases; }
  const double* z_column(int column) const { return z_.get() + static_cast<std::size_t>(column) * max_cases; }
  const double* weights() const { return wght_.get(); }

 private:
  struct Free {
    void operator()(double* p) const { std::free(p); }
  };
  using Array = std::unique_ptr<double[], Free>;

  static std::size_t offset(int case_index, int column) {
    return static_cast<std::size_t>(column) * max_cases + static_cast<std::size_t>(case_index);
  }

  Array x_;
  Array z_;
  Array wght_;
};

}  // namespace morvit
