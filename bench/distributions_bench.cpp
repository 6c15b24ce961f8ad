// Timing of the distribution functions over the reference tables: the mean
// time per call over every row of a table, and the slowest single row of
// bratio and cumf (found by timing each row, then benchmarked on its own).
// The Time column is the time of one call.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "distributions/distributions.h"

namespace {

using Row = std::vector<double>;

std::vector<Row> read_table(const std::string& name) {
  const auto path = std::filesystem::path(__FILE__).parent_path() / ".." / "tests" / "data" / "reference" / name;
  std::vector<Row> rows;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') {
      continue;
    }
    Row row;
    std::istringstream fields(line);
    std::string field;
    while (std::getline(fields, field, '\t')) {
      row.push_back(std::strtod(field.c_str(), nullptr));
    }
    rows.push_back(row);
  }
  if (rows.empty()) {
    std::cerr << "cannot read " << path << '\n';
    std::exit(1);
  }
  return rows;
}

double call_bratio(const Row& r) {
  double w = 0.0, w1 = 0.0;
  int ierr = 0;
  morvit::bratio(r[0], r[1], r[2], r[3], w, w1, ierr);
  return w + w1;
}

double call_cumf(const Row& r) {
  double cum = 0.0, ccum = 0.0;
  morvit::cumf(r[0], r[1], r[2], cum, ccum);
  return cum + ccum;
}

double call_ppnd16(const Row& r) {
  int fault = 0;
  return morvit::ppnd16(r[0], fault);
}

// One row per iteration, cycling through every row of the table: the time
// per iteration is the mean time per call over the table.
template <double (*Call)(const Row&)>
void all_rows(benchmark::State& state, const std::vector<Row>* rows) {
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Call((*rows)[next]));
    if (++next == rows->size()) {
      next = 0;
    }
  }
  state.SetItemsProcessed(state.iterations());
}

template <double (*Call)(const Row&)>
void one_row(benchmark::State& state, Row row) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(Call(row));
  }
}

// The row with the longest time per call: the best of several timed batches
// for every row, so that a stray interruption does not pick the row.
template <double (*Call)(const Row&)>
std::size_t slowest_row(const std::vector<Row>& rows) {
  using clock = std::chrono::steady_clock;
  std::size_t slowest = 0;
  double slowest_time = 0.0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    double best = 1e300;
    for (int batch = 0; batch < 5; ++batch) {
      const auto start = clock::now();
      for (int k = 0; k < 20; ++k) {
        benchmark::DoNotOptimize(Call(rows[i]));
      }
      best = std::min(best, std::chrono::duration<double>(clock::now() - start).count() / 20);
    }
    if (best > slowest_time) {
      slowest_time = best;
      slowest = i;
    }
  }
  return slowest;
}

std::string describe(const Row& row, std::size_t arguments) {
  std::ostringstream text;
  text.precision(17);
  for (std::size_t i = 0; i < arguments; ++i) {
    text << (i == 0 ? "" : ",") << row[i];
  }
  return text.str();
}

}  // namespace

int main(int argc, char** argv) {
  static const std::vector<Row> beta_rows = read_table("incomplete_beta.tsv");
  static const std::vector<Row> f_rows = read_table("f_upper_tail.tsv");
  static const std::vector<Row> normal_rows = read_table("normal_quantile.tsv");

  benchmark::RegisterBenchmark("bratio/all_rows", all_rows<call_bratio>, &beta_rows);
  benchmark::RegisterBenchmark("cumf/all_rows", all_rows<call_cumf>, &f_rows);
  benchmark::RegisterBenchmark("ppnd16/all_rows", all_rows<call_ppnd16>, &normal_rows);

  const Row& slow_beta = beta_rows[slowest_row<call_bratio>(beta_rows)];
  benchmark::RegisterBenchmark(
      ("bratio/slowest_row/a,b,x=" + describe(slow_beta, 3)).c_str(), one_row<call_bratio>, slow_beta);
  const Row& slow_f = f_rows[slowest_row<call_cumf>(f_rows)];
  benchmark::RegisterBenchmark(
      ("cumf/slowest_row/f,dfn,dfd=" + describe(slow_f, 3)).c_str(), one_row<call_cumf>, slow_f);

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
