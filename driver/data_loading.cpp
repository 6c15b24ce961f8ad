#include "driver/data_loading.h"

#include <cstdint>
#include <span>

#include "distributions/distributions.h"
#include "recordio/free_form_reader.h"

namespace morvit {
namespace {

// The z-score of one raw score. The three tests are made in this order and the last
// that holds decides; with a damping factor above one half the bounds cross and a score
// may pass two of them.
double z_score(double score, double lo, double hi) {
  int fault = 0;
  double z = 0.0;
  if (lo <= score && score <= hi) z = ppnd16(score, fault);
  if (score > hi) z = ppnd16(hi, fault);
  if (score < lo) z = ppnd16(lo, fault);
  return z;
}

}  // namespace

ReadStatus read_data_matrix(RunContext& run) {
  const int cases = run.settings.case_count;
  const int columns = run.settings.factor_count + 1;
  const std::int64_t values = cases > 0 && columns > 0 ? std::int64_t{cases} * columns : 0;
  DataMatrix& data = run.data;

  FreeFormReader reader(run.command);
  int case_index = 0;
  int column = 0;
  for (std::int64_t k = 0; k < values; ++k) {
    FreeFormReader::Item item{};
    double value = 0.0;
    if (const ReadStatus status = reader.next(item, value); status != ReadStatus::ok) return status;
    if (item == FreeFormReader::Item::quit) break;
    if (item == FreeFormReader::Item::number) data.x(case_index, column) = value;
    if (++column == columns) {
      column = 0;
      ++case_index;
    }
  }
  return reader.finish();
}

void build_z_scores(RunContext& run) {
  const int cases = run.settings.case_count;
  const int columns = run.settings.factor_count + 1;
  DataMatrix& data = run.data;
  const double lo = run.settings.damping_factor;
  const double hi = 1.0 - run.settings.damping_factor;
  for (int i = 0; i < cases; ++i) data.wght(i) = 1.0;
  for (int j = 0; j < columns; ++j) {
    for (int i = 0; i < cases; ++i) data.z(i, j) = z_score(data.x(i, j), lo, hi);
  }
}

ReadStatus load_data_matrix(RunContext& run) {
  if (const ReadStatus status = read_data_matrix(run); status != ReadStatus::ok) return status;
  build_z_scores(run);
  return ReadStatus::ok;
}

ReadStatus load_weights(RunContext& run) {
  const int cases = run.settings.case_count > 0 ? run.settings.case_count : 0;
  return free_form_read(run.command, std::span<double>(&run.data.wght(0), static_cast<std::size_t>(cases)));
}

}  // namespace morvit
