#include "driver/run_driver.h"

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

#include "analysis/fit_table.h"
#include "driver/banner.h"
#include "driver/command_interpreter.h"
#include "driver/fatal_stop.h"
#include "driver/interrupts.h"
#include "driver/open_for_update.h"
#include "driver/report_messages.h"
#include "driver/report_redirect.h"
#include "driver/run_summary.h"
#include "recordio/format.h"
#include "recordio/formatted_writer.h"
#include "recordio/free_form_writer.h"

namespace morvit {
namespace {

constexpr std::size_t name_length = 80;

// The command file name as an 80-character field: cut after 80 characters, padded with
// blanks, all blanks without an argument.
std::string command_file_field(const std::string& argument) {
  std::string field = argument;
  field.resize(name_length, ' ');
  return field;
}

void open_report(RunContext& run) {
  const int fd = open_for_update("morvit.out", OpenPurpose::report_file);
  if (fd < 0) throw FatalStop("cannot open the report file morvit.out for writing");
  if (is_command_file(run, fd)) {
    ::close(fd);
    throw FatalStop("the report file morvit.out is the command file; rename the command file");
  }
  run.report.connect_file(fd);  // no positioning: the new report replaces the old one
}

// Summary and table, after FIN.
void write_results(RunContext& run) {
  const Settings& settings = run.settings;
  const std::int32_t df = denominator_df(run.data.weights(), settings.case_count);
  const double msd = expected_msd(settings.measurement_error);
  write_run_summary(run, df, msd);

  FitInputs inputs;
  inputs.case_count = settings.case_count > 0 ? settings.case_count : 0;
  inputs.factor_count = settings.factor_count > 0 ? settings.factor_count : 0;
  for (int column = 0; column < max_columns; ++column) inputs.z[column] = run.data.z_column(column);
  inputs.wght = run.data.weights();
  inputs.expected_msd = msd;
  inputs.denominator_df = df;

  RunResults results;
  results.case_count = inputs.case_count;
  results.factor_count = inputs.factor_count;
  results.data = &run.data;
  results.measurement_error = settings.measurement_error;
  results.damping_factor = settings.damping_factor;
  results.expected_msd = msd;
  results.denominator_df = df;
  run.listener->results(results);
  write_fit_table(run.report, inputs, run.listener->table_observer());
}

int run(RunContext& run, ReportFile& console) {
  const Stamp stamp = read_stamp();
  write_banner(console, stamp);
  console.flush();
  open_report(run);
  write_banner(run.report, stamp);

  const LoopEnd end = run_command_loop(run);
  switch (end) {
    case LoopEnd::finished: write_results(run); break;
    case LoopEnd::end_of_file: report_end_of_file(run); break;
    case LoopEnd::read_failed: report_read_error(run); break;
    case LoopEnd::stopped: break;
  }
  write_trailer(run.report, read_stamp(), run.error_count, run.warning_count);
  run.report.close();
  run.listener->finished(end == LoopEnd::finished);
  return 0;
}

}  // namespace

int run_morvit(const RunOptions& options) {
  static const Format two_empty_lines("(/)");
  // A console that goes away (a closed pipe) must not kill the run: the report file is
  // still to be written. Writes to it then simply fail.
  std::signal(SIGPIPE, SIG_IGN);
  ReportFile console;
  console.connect_console();
  write_formatted(console, two_empty_lines, {});

  const int fd = open_for_update(command_file_field(options.command_file), OpenPurpose::command_file);
  if (fd < 0) {
    write_free_form(console, {"Input filename missing or invalid.  Program stopped."});
    console.close();
    return 0;
  }
  struct stat info {};
  (void)::fstat(fd, &info);
  auto context = std::make_unique<RunContext>(CommandFile(fd));
  context->command_device = info.st_dev;
  context->command_inode = info.st_ino;
  RunListener no_listener;
  context->listener = options.listener != nullptr ? options.listener : &no_listener;

  install_interrupt_handlers(&console, &context->report);
  int status = 0;
  try {
    status = run(*context, console);
  } catch (const FatalStop& stop) {
    context->report.close();
    console.close();
    std::fprintf(stderr, "morvit: %s\n", stop.what());
    status = fatal_stop_status;
  }
  console.close();
  remove_interrupt_handlers();
  return status;
}

}  // namespace morvit
