#include "driver/command_interpreter.h"

#include <string>
#include <string_view>

#include "driver/data_loading.h"
#include "driver/diagnostics.h"
#include "driver/fatal_stop.h"
#include "driver/open_for_update.h"
#include "driver/report_messages.h"
#include "driver/report_redirect.h"
#include "limits/program_limits.h"
#include "recordio/capitals.h"
#include "recordio/column_fields.h"
#include "recordio/format.h"
#include "recordio/formatted_writer.h"
#include "recordio/number_text.h"

namespace morvit {
namespace {

constexpr int line_length = line_columns;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A command line being handled: its text and its line number, for messages.
struct CommandLine {
  std::string_view text;
  std::uint64_t number = 0;

  FilePosition at(std::size_t column) const { return {number, column}; }
};

[[noreturn]] void unexpected_character(const RunContext& run, const CommandLine& line, std::size_t column,
                                       const char* format) {
  throw FatalStop(run.diagnostics.place(line.at(column)) + ": error: read unexpected character in format " + format +
                  ", internal formatted read of a command line field");
}

// "(BN,F73.0)" over the command line from column `first` on.
double real_argument(const RunContext& run, const CommandLine& line, std::size_t first) {
  std::size_t stop = 0;
  const std::optional<double> value = read_real_field(line.text.substr(first - 1), 73, &stop);
  if (!value) unexpected_character(run, line, first + stop, "(BN,F73.0)");
  return *value;
}

// "(BN,I8)" over columns `first` to `last` of the command line.
std::int32_t integer_argument(const RunContext& run, const CommandLine& line, std::size_t first, std::size_t last) {
  std::size_t stop = 0;
  const std::optional<std::int32_t> value = read_integer_field(line.text.substr(first - 1, last - first + 1), 8, &stop);
  if (!value) unexpected_character(run, line, first + stop, "(BN,I8)");
  return *value;
}

bool any_character(std::string_view text, std::size_t first, std::size_t last, bool (*wanted)(char)) {
  for (std::size_t column = first; column <= last; ++column) {
    if (wanted(text[column - 1])) return true;
  }
  return false;
}

// A MER or DAM value is read only from its own columns: a value written from an earlier
// column loses its first characters, and DAM does not read columns 79 and 80.
void check_argument_columns(RunContext& run, const CommandLine& line, std::string_view keyword, std::size_t first,
                            std::size_t last, double value) {
  auto not_blank = [](char c) { return c != ' '; };
  auto nonzero_digit = [](char c) { return c >= '1' && c <= '9'; };
  const std::string columns = "columns " + std::to_string(first) + " to " + std::to_string(last);
  if (any_character(line.text, 4, first - 1, not_blank)) {
    std::size_t column = 4;
    while (line.text[column - 1] == ' ') ++column;
    run.diagnostics.warning(WarningKind::argument_columns,
                            line.at(column),
                            std::string(keyword) + " reads its value from " + columns +
                                " only; what stands from column " + std::to_string(column) + " on is read as " +
                                number_text(value));
  } else if (last < line_length && any_character(line.text, last + 1, line_length, not_blank)) {
    run.diagnostics.warning(WarningKind::argument_columns,
                            line.at(last + 1),
                            std::string(keyword) + " reads its value from " + columns +
                                " only; the characters after column " + std::to_string(last) + " are not read");
  } else if (value == 0.0 && any_character(line.text, 4, line_length, nonzero_digit)) {
    run.diagnostics.warning(WarningKind::argument_columns,
                            line.at(first),
                            std::string(keyword) + " reads 0 although the line holds other digits");
  }
}

// The counts of a DAT line. The first count is the first blank-delimited group that
// begins in column 6 or later (found from column 5 on); the second count is read from
// the 8 columns that start at the blank behind that group. Without such groups both
// counts keep their values.
void read_data_counts(RunContext& run, const CommandLine& line) {
  auto blank = [&](std::size_t column) { return line.text[column - 1] == ' '; };
  // A count typed from column 5 or earlier is passed over by the scan.
  if (any_character(line.text, 4, 5, is_digit)) {
    run.diagnostics.warning(WarningKind::argument_columns,
                            line.at(blank(4) ? 5 : 4),
                            "DAT counts must begin in column 6 or later; a number that begins in column 4 or 5 "
                            "is passed over");
  }
  std::size_t start = 0;
  for (std::size_t s = 5; s <= 79; ++s) {
    if (blank(s) && !blank(s + 1)) {
      start = s;
      break;
    }
  }
  if (start == 0) return;
  std::size_t end = 0;
  for (std::size_t e = start + 2; e <= line_length; ++e) {
    if (blank(e)) {
      end = e;
      break;
    }
  }
  if (end == 0) return;
  Settings& settings = run.settings;
  settings.case_count = integer_argument(run, line, start, end - 1);
  settings.factor_count = integer_argument(run, line, end, line_length);
}

// The column where the first count of a DAT line begins, for messages about it.
std::size_t first_count_column(std::string_view text) {
  for (std::size_t s = 5; s <= 79; ++s) {
    if (text[s - 1] == ' ' && text[s] != ' ') return s + 1;
  }
  return 6;
}

LoopEnd as_loop_end(ReadStatus status) {
  return status == ReadStatus::end_of_file ? LoopEnd::end_of_file : LoopEnd::read_failed;
}

void report_unrecognised(RunContext& run, const CommandLine& line, const std::string& text) {
  report_error(run,
               {"  AN UNRECOGNIZED COMMAND WAS FOUND.",
                "  PLEASE CHECK OUTPUT AND SPELLING OF ALL COMMANDS.",
                "  LINE WITH ERROR:"},
               text);
  if (text.find_first_not_of(' ') == std::string::npos) {
    run.diagnostics.error(line.at(1), "an empty line: every line outside the data must hold a command");
  } else {
    // Numbers right after a data matrix: its DAT counts fall short of the data lines.
    const RunContext::DataMatrixRead& matrix = run.last_data_matrix;
    const std::size_t first = text.find_first_not_of(' ');
    const bool numbers = std::string_view("0123456789+-.").find(text[first]) != std::string_view::npos;
    const std::string hint =
        numbers && matrix.last_line != 0 && line.number == matrix.last_line + 1
            ? "; this line holds numbers right after the data of DAT on line " + std::to_string(matrix.dat_line) +
                  ", which asks for " + std::to_string(matrix.cases) + " cases of " +
                  std::to_string(matrix.values_per_case) + " values: are there more cases than DAT says?"
            : std::string();
    run.diagnostics.error(line.at(1),
                          "unrecognised command " + quoted_text(line.text.substr(0, 3)) +
                              ": columns 1 to 3 must hold OUT, MER, DAM, DAT, WEI, COM or FIN" + hint);
  }
}

void report_command_file_end(RunContext& run) {
  const FilePosition end = run.command.position_of(run.command.cursor());
  if (run.command.failed()) {
    run.diagnostics.error(end, "the command file could not be read further");
  } else if (end.column > 1) {
    run.diagnostics.error(end, "the command file ends before FIN: its last line has no line end and does not count");
  } else {
    run.diagnostics.error(end, "the command file ends before FIN");
  }
}

// Lines of the commands whose effect is checked once the loop has reached FIN.
struct CommandsSeen {
  std::uint64_t last_mer = 0;
  std::uint64_t last_dam = 0;
  std::uint64_t last_dat = 0;
};

void check_at_finish(RunContext& run, const CommandsSeen& seen) {
  if (seen.last_dam > seen.last_dat) {
    run.diagnostics.warning(WarningKind::damping_after_data,
                            {seen.last_dam, 1},
                            "DAM has no DAT after it: the z-scores were built with the earlier damping factor, "
                            "and this value shows only in the run summary");
  }
  if (run.settings.measurement_error == 0.0) {
    run.diagnostics.warning(WarningKind::zero_measurement_error,
                            {seen.last_mer, 1},
                            "MER is 0: the expected mean square distance is 0 and every F is infinite");
  }
}

}  // namespace

LoopEnd run_command_loop(RunContext& run) {
  static const Format comment_echo("(/,A)");
  Settings& settings = run.settings;
  CommandsSeen seen;
  std::string text;
  for (;;) {
    if (const ReadStatus status = run.command.read_command_line(text); status != ReadStatus::ok) {
      report_command_file_end(run);
      return as_loop_end(status);
    }
    text = capitals(text);
    const CommandLine line{text, run.command.command_line_number()};
    const std::string_view keyword = line.text.substr(0, 3);

    if (keyword == "OUT") {
      const std::string name = read_text_field(line.text.substr(8), 72, line_length);
      if (std::string reason; !redirect_report(run, name, reason)) {
        run.diagnostics.error(
            line.at(9), "cannot open the report file " + quoted_text(file_name_of(name)) + " named by OUT: " + reason);
        return LoopEnd::read_failed;
      }
    } else if (keyword == "MER") {
      settings.measurement_error = real_argument(run, line, 8);
      check_argument_columns(run, line, "MER", 8, line_columns, settings.measurement_error);
      seen.last_mer = line.number;
    } else if (keyword == "WEI") {
      if (!settings.data_loaded) {
        report_error(run, {"  WEIGHTS SPECIFIED BEFORE DATA MATRIX INPUT."});
        run.diagnostics.error(line.at(1), "WEI before any DAT: the weights must follow the data matrix");
        return LoopEnd::stopped;
      }
      if (const ReadStatus status = load_weights(run); status != ReadStatus::ok) return as_loop_end(status);
    } else if (keyword == "FIN") {
      check_at_finish(run, seen);
      return LoopEnd::finished;
    } else if (keyword == "COM") {
      if (any_character(line.text, 4, 7, [](char c) { return c != ' '; })) {
        std::size_t column = 4;
        while (line.text[column - 1] == ' ') ++column;
        run.diagnostics.warning(WarningKind::comment_before_column_8,
                                line.at(column),
                                "COM echoes columns 8 to 80 only; the text from column " + std::to_string(column) +
                                    " loses its first " + std::to_string(8 - column) +
                                    " characters: begin it in column 8 (COM and four blanks)");
      }
      write_formatted(run.report, comment_echo, {line.text.substr(7)});
      run.listener->comment(line.text.substr(7));
    } else if (keyword == "DAM") {
      // The field is 73 columns wide over the record of columns 6 to 80: columns 79
      // and 80 are not read.
      settings.damping_factor = real_argument(run, line, 6);
      check_argument_columns(run, line, "DAM", 6, 78, settings.damping_factor);
      seen.last_dam = line.number;
    } else if (keyword == "DAT") {
      settings.data_loaded = true;
      seen.last_dat = line.number;
      read_data_counts(run, line);
      if (settings.factor_count > max_factors) {
        report_error(run, {"  MAXIMUM NUMBER OF FACTORS CANNOT EXCEED 10."});
        run.diagnostics.error(line.at(first_count_column(line.text)),
                              "DAT asks for " + std::to_string(settings.factor_count) + " factors; at most 10");
        return LoopEnd::stopped;
      }
      if (settings.case_count > max_cases) {
        report_error(run, {"  MAXIMUM NUMBER OF CASES CANNOT EXCEED " + std::string(max_cases_text) + "."});
        run.diagnostics.error(
            line.at(first_count_column(line.text)),
            "DAT asks for " + std::to_string(settings.case_count) + " cases; at most " + std::string(max_cases_text));
        return LoopEnd::stopped;
      }
      if (settings.case_count <= 0) {
        run.diagnostics.warning(WarningKind::empty_data_matrix,
                                line.at(1),
                                "DAT with no cases: no data are read, and the line after it is skipped");
      }
      if (const ReadStatus status = load_data_matrix(run); status != ReadStatus::ok) return as_loop_end(status);
    } else {
      report_unrecognised(run, line, text);
    }
  }
}

}  // namespace morvit
