#pragma once

// Reading the high-precision reference tables and summarising relative errors.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace morvit::testing {

// The rows of a tab-separated table of doubles; lines starting with '#' are
// comments. Every row must have `columns` numbers; an empty result means the
// file is missing or malformed.
inline std::vector<std::vector<double>> read_reference_table(const std::string& name, std::size_t columns) {
  std::vector<std::vector<double>> rows;
  std::ifstream in(std::string(MORVIT_TEST_DATA) + "/reference/" + name);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') {
      continue;
    }
    std::vector<double> row;
    std::istringstream fields(line);
    std::string field;
    while (std::getline(fields, field, '\t')) {
      char* end = nullptr;
      row.push_back(std::strtod(field.c_str(), &end));
      if (end == field.c_str()) {
        return {};
      }
    }
    if (row.size() != columns) {
      return {};
    }
    rows.push_back(row);
  }
  return rows;
}

// |computed - expected| / |expected|; the absolute difference where the
// expected value is 0. Any NaN counts as an infinite error.
inline double relative_error(double computed, double expected) {
  if (std::isnan(computed) || std::isnan(expected)) {
    return INFINITY;
  }
  const double difference = std::fabs(computed - expected);
  return expected == 0.0 ? difference : difference / std::fabs(expected);
}

// Maximum and 99th percentile (the value that 99% of the errors do not
// exceed) of a set of errors.
struct ErrorSummary {
  double max = 0.0;
  double p99 = 0.0;
  std::size_t count = 0;
};

inline ErrorSummary summarise(std::vector<double> errors) {
  ErrorSummary summary;
  summary.count = errors.size();
  if (errors.empty()) {
    return summary;
  }
  std::sort(errors.begin(), errors.end());
  summary.max = errors.back();
  const std::size_t rank = (errors.size() * 99 + 99) / 100;  // ceil(0.99 n)
  summary.p99 = errors[rank - 1];
  return summary;
}

inline void report(const std::string& table, const ErrorSummary& summary) {
  std::cout << "[ accuracy ] " << table << ": " << summary.count << " values, max relative error " << summary.max
            << ", 99th percentile " << summary.p99 << '\n';
}

}  // namespace morvit::testing
