#include "driver/data_matrix.h"

#include <new>

namespace morvit {
namespace {

// calloc gives zeroed memory without touching every page up front.
double* zeroed(std::size_t count) {
  void* memory = std::calloc(count, sizeof(double));
  if (memory == nullptr) throw std::bad_alloc();
  return static_cast<double*>(memory);
}

}  // namespace

DataMatrix::DataMatrix()
    : x_(zeroed(static_cast<std::size_t>(max_cases) * max_columns)),
      z_(zeroed(static_cast<std::size_t>(max_cases) * max_columns)),
      wght_(zeroed(max_cases)) {}

}  // namespace morvit
