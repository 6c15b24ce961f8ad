#include "driver/command_interpreter.h"

#include <string>
#include <string_view>

#include "driver/data_loading.h"
#include "driver/fatal_stop.h"
#include "driver/report_messages.h"
#include "driver/report_redirect.h"
#include "recordio/column_fields.h"
#include "recordio/format.h"
#include "recordio/formatted_writer.h"

namespace morvit {
namespace {

constexpr int line_length = 80;

void to_capitals(std::string& line) {
  for (char& c : line) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
}

[[noreturn]] void unexpected_character(const char* format) {
  throw FatalStop(std::string("read unexpected character in format ") + format +
                  ", internal formatted read of a command line field");
}

// "(BN,F73.0)" over a stretch of the command line.
double real_argument(std::string_view record) {
  const std::optional<double> value = read_real_field(record, 73);
  if (!value) unexpected_character("(BN,F73.0)");
  return *value;
}

// "(BN,I8)" over a stretch of the command line.
std::int32_t integer_argument(std::string_view record) {
  const std::optional<std::int32_t> value = read_integer_field(record, 8);
  if (!value) unexpected_character("(BN,I8)");
  return *value;
}

// The counts of a DAT line. The first count is the first blank-delimited group that
// begins in column 6 or later (found from column 5 on); the second count is read from
// the 8 columns that start at the blank behind that group. Without such groups both
// counts keep their values.
void read_data_counts(std::string_view line, Settings& settings) {
  auto blank = [&](int column) { return line[static_cast<std::size_t>(column - 1)] == ' '; };
  int start = 0;
  for (int s = 5; s <= 79; ++s) {
    if (blank(s) && !blank(s + 1)) {
      start = s;
      break;
    }
  }
  if (start == 0) return;
  int end = 0;
  for (int e = start + 2; e <= line_length; ++e) {
    if (blank(e)) {
      end = e;
      break;
    }
  }
  if (end == 0) return;
  settings.case_count = integer_argument(line.substr(static_cast<std::size_t>(start - 1), end - start));
  settings.factor_count = integer_argument(line.substr(static_cast<std::size_t>(end - 1)));
}

LoopEnd as_loop_end(ReadStatus status) {
  return status == ReadStatus::end_of_file ? LoopEnd::end_of_file : LoopEnd::read_failed;
}

void report_unrecognised(RunContext& run, const std::string& line) {
  report_error(run,
               {"  AN UNRECOGNIZED COMMAND WAS FOUND.",
                "  PLEASE CHECK OUTPUT AND SPELLING OF ALL COMMANDS.",
                "  LINE WITH ERROR:"},
               line);
}

}  // namespace

LoopEnd run_command_loop(RunContext& run) {
  static const Format comment_echo("(/,A)");
  Settings& settings = run.settings;
  std::string line;
  for (;;) {
    if (const ReadStatus status = run.command.read_command_line(line); status != ReadStatus::ok) {
      return as_loop_end(status);
    }
    to_capitals(line);
    const std::string_view view(line);
    const std::string_view keyword = view.substr(0, 3);

    if (keyword == "OUT") {
      const std::string name = read_text_field(view.substr(8), 72, line_length);
      if (!redirect_report(run, name)) return LoopEnd::read_failed;
    } else if (keyword == "MER") {
      settings.measurement_error = real_argument(view.substr(7));
    } else if (keyword == "WEI") {
      if (!settings.data_loaded) {
        report_error(run, {"  WEIGHTS SPECIFIED BEFORE DATA MATRIX INPUT."});
        return LoopEnd::stopped;
      }
      if (const ReadStatus status = load_weights(run); status != ReadStatus::ok) return as_loop_end(status);
    } else if (keyword == "FIN") {
      return LoopEnd::finished;
    } else if (keyword == "COM") {
      write_formatted(run.report, comment_echo, {view.substr(7)});
      run.listener->comment(view.substr(7));
    } else if (keyword == "DAM") {
      // The field is 73 columns wide over the record of columns 6 to 80: columns 79
      // and 80 are not read.
      settings.damping_factor = real_argument(view.substr(5));
    } else if (keyword == "DAT") {
      settings.data_loaded = true;
      read_data_counts(view, settings);
      if (settings.factor_count > max_factors) {
        report_error(run, {"  MAXIMUM NUMBER OF FACTORS CANNOT EXCEED 10."});
        return LoopEnd::stopped;
      }
      if (settings.case_count > max_cases) {
        report_error(run, {"  MAXIMUM NUMBER OF CASES CANNOT EXCEED 100,000."});
        return LoopEnd::stopped;
      }
      if (const ReadStatus status = load_data_matrix(run); status != ReadStatus::ok) return as_loop_end(status);
    } else {
      report_unrecognised(run, line);
    }
  }
}

}  // namespace morvit
