#include "driver/run_driver.h"

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "analysis/fit_table.h"
#include "driver/banner.h"
#include "driver/command_interpreter.h"
#include "driver/fatal_stop.h"
#include "driver/open_for_update.h"
#include "driver/report_messages.h"
#include "driver/report_redirect.h"
#include "driver/run_summary.h"
#include "limits/program_limits.h"
#include "recordio/format.h"
#include "recordio/formatted_writer.h"
#include "recordio/free_form_writer.h"
#include "system/interrupts.h"
#include "system/platform.h"

namespace morvit {
namespace {

constexpr std::size_t name_length = line_columns;

// The command file name as an 80-character field: cut after 80 characters, padded with
// blanks, all blanks without an argument.
std::string command_file_field(const std::string& argument) {
  std::string field = argument;
  field.resize(name_length, ' ');
  return field;
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

std::string counted(int count, const char* noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// After a run with errors or warnings, one line on standard error says where its report
// went and what it holds.
void report_outcome(RunContext& run) {
  const int errors = run.error_count;
  const int warnings = run.diagnostics.warnings();
  if (errors == 0 && warnings == 0) return;
  const std::vector<std::string>& names = run.report.written_names();
  std::string line = names.size() == 1 ? "morvit: report written to " : "morvit: reports written to ";
  for (std::size_t i = 0; i < names.size(); ++i) line += (i > 0 ? ", " : "") + printable(names[i]);
  line += " (";
  if (errors > 0) line += counted(errors, "error");
  if (errors > 0 && warnings > 0) line += ", ";
  if (warnings > 0) line += counted(warnings, "warning");
  platform::write_standard_error(line + ")\n");
}

// A run from its banner to its trailer: the command loop, then the summary and the table
// or the message of how the loop ended; then the outputs beside the report.
int run_to_the_end(RunContext& run, ReportFile& console) {
  const Stamp stamp = read_stamp();
  write_banner(console, stamp);
  console.flush();
  connect_main_report(run);
  write_banner(run.report, stamp);

  const LoopEnd end = run_command_loop(run);
  switch (end) {
    case LoopEnd::finished: write_results(run); break;
    case LoopEnd::end_of_file: report_end_of_file(run); break;
    case LoopEnd::read_failed: report_read_error(run); break;
    case LoopEnd::stopped: break;
  }
  write_trailer(run.report, read_stamp(), run.error_count);
  run.report.close();
  // Before the outputs are written, so that they hold these lines among the warnings.
  run.diagnostics.report_hidden_warnings();
  run.listener->finished(end == LoopEnd::finished, run.diagnostics);
  report_outcome(run);
  return 0;
}

void connect_fallback(ReportFile& /*report*/, void* run) { connect_fallback_report(*static_cast<RunContext*>(run)); }

void print_diagnostic(const std::string& text) { platform::write_standard_error("morvit: " + printable(text) + "\n"); }

void print_diagnostic_line(const std::string& text) { platform::write_standard_error(text + "\n"); }

}  // namespace

int run_morvit(const RunOptions& options) {
  static const Format two_empty_lines("(/)");
  if (!options.hosted) platform::prepare_process();
  ReportFile console;
  console.connect_console(/*quiet_failures=*/true);
  // Opening a FIFO waits for its writer: an interruption there ends the run as anywhere else.
  if (!options.hosted) install_interrupt_handlers(&console, nullptr);
  write_formatted(console, two_empty_lines, {});

  const std::string field = command_file_field(options.command_file);
  RunListener no_listener;
  RunListener& listener = options.listener != nullptr ? *options.listener : no_listener;
  bool created = false;
  // "-" is standard input, as for other programs that read files.
  const bool from_standard_input = options.command_file == standard_input_name;
  const platform::Handle file =
      from_standard_input ? platform::files().standard_input() : open_command_file(field, created);
  if (file == platform::no_handle) {
    write_free_form(console, {"Input filename missing or invalid.  Program stopped."});
    console.close();
    remove_interrupt_handlers();
    if (options.command_file.empty()) print_diagnostic_line("Try 'morvit --help' for more information.");
    listener.stopped(options.command_file.empty() ? std::string("no command file named")
                                                  : "the command file " + options.command_file + " cannot be opened");
    return options.strict ? strict_status : 0;
  }

  int status = 0;
  std::unique_ptr<RunContext> context;
  try {
    const platform::FileIdentity identity = platform::files().status(file).identity;
    std::unique_ptr<ByteSource> source = platform::file_source(file);
    context = std::make_unique<RunContext>(CommandFile(std::move(source)));
    context->command_name = from_standard_input ? std::string("standard input") : file_name_of(field);
    context->diagnostics = Diagnostics(context->command_name, options.quiet, options.listener);
    context->command_identity = identity;
    context->listener = &listener;
    // A mistyped name makes an empty command file, which the report then calls an end of
    // file before FIN: say what happened.
    if (created) {
      context->diagnostics.notice(WarningKind::command_file_created,
                                  context->command_name + " did not exist; it was created empty");
    }
    context->report.set_fallback(connect_fallback, context.get());
    if (!options.hosted) install_interrupt_handlers(&console, &context->report);
    status = run_to_the_end(*context, console);
    if (status == 0 && options.strict && (context->error_count > 0 || context->diagnostics.warnings_met() > 0)) {
      status = strict_status;
    }
  } catch (const FatalStop& stop) {
    if (context) context->report.close_after_stop();
    console.close_after_stop();
    print_diagnostic(stop.what());
    listener.stopped("the run was stopped");
    status = fatal_stop_status;
  } catch (const std::bad_alloc&) {
    if (context) context->report.close_after_stop();
    console.close_after_stop();
    print_diagnostic("out of memory; the run was stopped");
    listener.stopped("the run was stopped");
    status = fatal_stop_status;
  }
  console.close_after_stop();
  remove_interrupt_handlers();
  return status;
}

}  // namespace morvit
