#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/program_texts.h"
#include "driver/diagnostics.h"
#include "driver/run_driver.h"
#include "exchange/c_stream.h"
#include "exchange/input/command_file_maker.h"
#include "exchange/output/exchange_listener.h"
#include "system/file_stream.h"
#include "system/interrupts.h"
#include "system/platform.h"

namespace {

void print(std::FILE* stream, const std::string& text) { std::fwrite(text.data(), 1, text.size(), stream); }

// A run with outputs beside the report: the listener gathers what they need and writes
// them when the run has reached its end. A failed write turns a status of 0 into 2.
int run_with_outputs(const morvit::CommandLine& line, morvit::RunOptions options, bool warned) {
  morvit::ExchangeOptions outputs;
  outputs.command_file = line.command_file;
  outputs.table_csv = line.table_csv;
  outputs.cases_csv = line.cases_csv;
  outputs.html = line.html;
  outputs.names = line.names;
  outputs.level = line.level;
  // --names and --level without an output that uses them are dropped, and told.
  const bool names_unused = !line.names.empty() && !outputs.any_output();
  const bool level_unused = line.level_given && line.table_csv.empty() && line.html.empty();
  if ((names_unused || level_unused) && !line.quiet) {
    morvit::CStream err(stderr);
    if (names_unused) {
      morvit::report(
          err, {}, morvit::Severity::warning, "--names is used only with --table-csv, --cases-csv or --html");
    }
    if (level_unused) {
      morvit::report(err, {}, morvit::Severity::warning, "--level is used only with --table-csv or --html");
    }
  }
  warned = warned || names_unused || level_unused;
  if (!outputs.any_output()) {
    const int status = morvit::run_morvit(options);
    return status == 0 && line.strict && warned ? morvit::strict_status : status;
  }
  morvit::CStream err(stderr);
  if (!morvit::check_output_names(outputs, err)) return 2;
  morvit::ExchangeListener listener(outputs, err);
  options.listener = &listener;
  const int status = morvit::run_morvit(options);
  if (!line.quiet) {
    // The findings on standard output, after the report and every output asked for.
    morvit::CStream out(stdout);
    listener.tell_findings(out, morvit::platform::files().standard_output());
  }
  if (status != 0 && status != morvit::strict_status) return status;
  if (listener.status() != 0) return listener.status();
  return line.strict && warned ? morvit::strict_status : status;
}

// --make-command-file: interruptions end it as they end a run (a word and status 1, no
// half-written file), and a lack of memory is told, not an abort.
int make_command_file(const morvit::MakerOptions& options) {
  // A closed standard stream must not be taken by a file the maker writes (run_morvit does
  // the same for a run).
  morvit::platform::prepare_process();
  morvit::FileStream out(morvit::platform::files().standard_output());
  morvit::CStream err(stderr);
  morvit::install_interrupt_handlers(nullptr, nullptr);
  morvit::MakerOutcome outcome = morvit::MakerOutcome::refused;
  try {
    outcome = morvit::make_command_file(options, out, err);
  } catch (const std::bad_alloc&) {
    err << "morvit: out of memory; no command file was made\n";
    err.flush();
  }
  morvit::remove_interrupt_handlers();
  switch (outcome) {
    case morvit::MakerOutcome::made: return 0;
    case morvit::MakerOutcome::refused: return 2;
  }
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
  const morvit::CommandLine line = morvit::parse_command_line(arguments);
  switch (line.mode) {
    case morvit::CommandLine::Mode::help: print(stdout, morvit::help_text()); return 0;
    case morvit::CommandLine::Mode::version: print(stdout, morvit::version_text()); return 0;
    case morvit::CommandLine::Mode::usage_error:
      print(stderr, "morvit: " + morvit::printable(line.problem) + "\n" + morvit::usage_text());
      return 2;
    case morvit::CommandLine::Mode::make_command_file: return make_command_file(line.maker);
    case morvit::CommandLine::Mode::run: break;
  }
  if (!line.ignored.empty() && !line.quiet) {
    std::string ignored;
    for (const std::string& argument : line.ignored) ignored += " " + morvit::printable(argument);
    print(stderr,
          "morvit: warning: one command file a run; ignoring" + ignored +
              (line.ignored.front().starts_with("-") ? " (options go before the command file)\n" : "\n"));
  }
  morvit::RunOptions options;
  options.command_file = line.command_file;
  options.quiet = line.quiet;
  options.strict = line.strict;
  return run_with_outputs(line, options, !line.ignored.empty());
}
