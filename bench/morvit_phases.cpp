// Times the stages of one MORVIT run on a benchmark command file (as written by
// generate_commands: COM, DAT, WEI, FIN), with the program's own routines:
//
//   reading    the command lines, the DAT matrix and the WEI weights (free-form reader)
//   z-scores   the weights set to 1 and the normal quantile of every score
//   analysis   the baseline and the partition sums of every factor and combination
//   writing    the run summary and the statistics table into a report file
//
//   morvit_phases FILE [REPEATS]
//
// Each stage is run REPEATS times (default 5) on fresh data and the median is printed.
// The report goes to morvit_phases.out in the working directory.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "analysis/fit_table.h"
#include "driver/data_loading.h"
#include "driver/run_context.h"
#include "driver/run_summary.h"
#include "system/platform.h"

namespace {

using Clock = std::chrono::steady_clock;

double milliseconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "morvit_phases: %s\n", what.c_str());
  std::exit(1);
}

struct Times {
  double reading = 0;
  double z_scores = 0;
  double analysis = 0;
  double writing = 0;
};

Times run_once(const char* path, std::size_t& report_bytes) {
  const int fd = ::open(path, O_RDONLY);
  if (fd < 0) fail(std::string("cannot open ") + path);
  auto run = std::make_unique<morvit::RunContext>(morvit::CommandFile(morvit::platform::file_source(fd)));
  Times times;

  auto start = Clock::now();
  std::string line;
  for (bool finished = false; !finished;) {
    if (run->command.read_command_line(line) != morvit::ReadStatus::ok) fail("the file ends before FIN");
    const std::string keyword = line.substr(0, 3);
    if (keyword == "DAT") {
      int cases = 0;
      int factors = 0;
      if (std::sscanf(line.c_str() + 3, "%d %d", &cases, &factors) != 2) fail("bad DAT line");
      run->settings.case_count = cases;
      run->settings.factor_count = factors;
      run->settings.data_loaded = true;
      if (morvit::read_data_matrix(*run) != morvit::ReadStatus::ok) fail("cannot read the matrix");
      const auto z_start = Clock::now();
      morvit::build_z_scores(*run);
      const auto z_end = Clock::now();
      times.z_scores += milliseconds(z_start, z_end);
      times.reading -= milliseconds(z_start, z_end);
    } else if (keyword == "WEI") {
      if (morvit::load_weights(*run) != morvit::ReadStatus::ok) fail("cannot read the weights");
    } else if (keyword == "FIN") {
      finished = true;
    }
  }
  times.reading += milliseconds(start, Clock::now());

  const morvit::Settings& settings = run->settings;
  morvit::FitInputs inputs;
  inputs.case_count = settings.case_count;
  inputs.factor_count = settings.factor_count;
  for (int column = 0; column < morvit::max_columns; ++column) inputs.z[column] = run->data.z_column(column);
  inputs.wght = run->data.weights();
  inputs.expected_msd = morvit::expected_msd(settings.measurement_error);

  start = Clock::now();
  inputs.denominator_df = morvit::denominator_df(inputs.wght, inputs.case_count);
  auto sums = std::make_unique<morvit::TableSums>();
  morvit::compute_table_sums(inputs, *sums);
  times.analysis = milliseconds(start, Clock::now());

  const int out = ::open("morvit_phases.out", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out < 0) fail("cannot open morvit_phases.out");
  start = Clock::now();
  run->report.connect_file(out, "morvit_phases.out");
  morvit::write_run_summary(*run, inputs.denominator_df, inputs.expected_msd);
  morvit::write_fit_table(run->report, inputs, *sums);
  run->report.close();
  times.writing = milliseconds(start, Clock::now());
  report_bytes = static_cast<std::size_t>(std::filesystem::file_size("morvit_phases.out"));
  return times;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: morvit_phases FILE [REPEATS]\n");
    return 2;
  }
  const int repeats = argc == 3 ? std::max(1, std::atoi(argv[2])) : 5;
  std::vector<double> reading, z_scores, analysis, writing, total;
  std::size_t report_bytes = 0;
  for (int r = 0; r < repeats; ++r) {
    const Times t = run_once(argv[1], report_bytes);
    reading.push_back(t.reading);
    z_scores.push_back(t.z_scores);
    analysis.push_back(t.analysis);
    writing.push_back(t.writing);
    total.push_back(t.reading + t.z_scores + t.analysis + t.writing);
  }
  std::printf(
      "  phases (median of %d, ms): reading %.1f  z-scores %.1f  analysis %.1f  writing %.1f  sum %.1f"
      "  (table %zu bytes)\n",
      repeats,
      median(reading),
      median(z_scores),
      median(analysis),
      median(writing),
      median(total),
      report_bytes);
  return 0;
}
