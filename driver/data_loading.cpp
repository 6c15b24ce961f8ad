#include "driver/data_loading.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "analysis/z_scores.h"
#include "driver/diagnostics.h"
#include "limits/program_limits.h"
#include "recordio/free_form_reader.h"
#include "recordio/number_text.h"

namespace morvit {
namespace {

// What a value of a data matrix or of the weights is, for messages: "case 3, factor B (DAT on line 2)".
std::string value_name(std::string_view command, std::uint64_t command_line, int case_index, int column) {
  std::string name = "case " + std::to_string(case_index + 1);
  if (column == 0) {
    name += ", outcome";
  } else if (column > 0) {
    name += ", factor ";
    name += factor_letter(column);
  }
  return name + " (" + std::string(command) + " on line " + std::to_string(command_line) + ")";
}

// A membership below 0 or above 1 is taken as the nearer damping bound.
void warn_outside_unit(RunContext& run, FilePosition where, double value, std::uint64_t command_line, int case_index,
                       int column) {
  const double lo = run.settings.damping_factor;
  const double hi = 1.0 - run.settings.damping_factor;
  run.diagnostics.warning(WarningKind::membership_outside_unit,
                          where,
                          "the membership " + number_text(value) + " of " +
                              value_name("DAT", command_line, case_index, column) +
                              " is outside 0..1; it is taken as " + setting_text(value < 0.0 ? lo : hi) +
                              " (the damping bounds are " + setting_text(lo) + " and " + setting_text(hi) + ")");
}

void warn_decimal_comma(RunContext& run, FilePosition where, double value, const std::string& name) {
  run.diagnostics.warning(WarningKind::decimal_comma,
                          where,
                          "this looks like a decimal comma, but a comma separates values: " + number_text(value) +
                              " is read for " + name +
                              " and the digits after the comma as the next value; "
                              "write decimals with a point (0.8, not 0,8)");
}

// A value of a data matrix that looks wrong: outside 0..1, or the first half of a decimal comma.
[[gnu::noinline]] void warn_about_value(RunContext& run, const FreeFormReader& reader, double value,
                                        std::uint64_t command_line, int case_index, int column) {
  if (reader.before_decimal_comma()) {
    warn_decimal_comma(run, reader.field_position(), value, value_name("DAT", command_line, case_index, column));
  }
  if (value < 0.0 || value > 1.0)
    warn_outside_unit(run, reader.field_position(), value, command_line, case_index, column);
}

// How many values the lines of a data matrix hold, so that a message can name the line
// where the data and the counts of DAT part ways: the first line whose number of values
// differs from the others'.
class LineTally {
 public:
  // A value on `line`; lines come in increasing order.
  void count(std::uint64_t line) noexcept {
    if (line == line_) {
      ++values_;
      return;
    }
    end_line();
    line_ = line;
    values_ = 1;
  }

  // After the last value: the line of the last value, and the line that differs (0 if none).
  std::uint64_t last_line() const noexcept { return line_; }
  void end_line() noexcept {
    if (line_ == 0 || line_ == closed_) return;
    closed_ = line_;
    if (usual_ == 0) {
      usual_ = values_;
      first_line_ = line_;
    } else if (odd_line_ == 0) {
      if (values_ != usual_) {
        odd_line_ = line_;
        odd_values_ = values_;
      }
    } else if (!settled_) {
      // A third line that agrees with the second: the first line was the odd one.
      if (values_ == odd_values_) {
        odd_line_ = first_line_;
        std::swap(odd_values_, usual_);
      }
      settled_ = true;
    }
  }

  // "; line 15 holds 4 values where the other data lines hold 5", or nothing.
  std::string odd_line_words() const {
    if (odd_line_ == 0) return {};
    return "; line " + std::to_string(odd_line_) + " holds " + std::to_string(odd_values_) +
           " values where the other data lines hold " + std::to_string(usual_);
  }

 private:
  std::uint64_t line_ = 0;
  std::uint64_t values_ = 0;
  std::uint64_t closed_ = 0;
  std::uint64_t first_line_ = 0;
  std::uint64_t usual_ = 0;
  std::uint64_t odd_line_ = 0;
  std::uint64_t odd_values_ = 0;
  bool settled_ = false;
};

// Tells why a data matrix or the weights could not be read whole, where it happened.
void report_unread_value(RunContext& run, const FreeFormReader& reader, ReadStatus status, std::string_view command,
                         std::uint64_t command_line, int case_index, int column, std::int64_t values_read,
                         std::int64_t values, const std::string& counts_words = {}) {
  const std::string name = value_name(command, command_line, case_index, column);
  if (status == ReadStatus::end_of_file) {
    run.diagnostics.error(run.command.position_of(run.command.cursor()),
                          "the command file ends inside the data: " + std::to_string(values_read) + " of " +
                              std::to_string(values) + " values read, " + name + " missing" + counts_words);
  } else if (run.command.failed()) {
    run.diagnostics.error(reader.field_position(), "the command file could not be read further, at " + name);
  } else {
    // A command where a value was expected: the data hold fewer values than the counts ask for.
    const bool command_instead = reader.field_position().column == 1 && reader.failed_text().size() >= 3;
    run.diagnostics.error(
        reader.field_position(),
        "cannot read " + quoted_text(reader.failed_text()) + " as a number, for " + name +
            (command_instead ? "; the data hold fewer values than " + std::string(command) + " asks for" + counts_words
                             : ""));
  }
}

}  // namespace

ReadStatus read_data_matrix(RunContext& run) {
  const int cases = run.settings.case_count;
  const int columns = run.settings.factor_count + 1;
  const std::int64_t values = cases > 0 && columns > 0 ? std::int64_t{cases} * columns : 0;
  const std::uint64_t command_line = run.command.command_line_number();
  DataMatrix& data = run.data;

  FreeFormReader reader(run.command);
  LineTally lines;
  int case_index = 0;
  int column = 0;
  for (std::int64_t k = 0; k < values; ++k) {
    FreeFormReader::Item item{};
    double value = 0.0;
    if (const ReadStatus status = reader.next(item, value); status != ReadStatus::ok) {
      lines.end_line();
      const std::string counts = ": DAT on line " + std::to_string(command_line) + " asks for " +
                                 std::to_string(cases) + " cases of " + std::to_string(columns) + " values" +
                                 lines.odd_line_words();
      report_unread_value(run, reader, status, "DAT", command_line, case_index, column, k, values, counts);
      return status;
    }
    lines.count(reader.field_position().line);
    if (item == FreeFormReader::Item::quit) break;
    if (item == FreeFormReader::Item::number) {
      data.x(case_index, column) = value;
      if (!(value >= 0.0 && value <= 1.0) || reader.before_decimal_comma()) [[unlikely]] {
        warn_about_value(run, reader, value, command_line, case_index, column);
      }
    }
    if (++column == columns) {
      column = 0;
      ++case_index;
    }
  }
  run.last_data_matrix = {command_line, cases, columns, lines.last_line()};
  return reader.finish();
}

void build_z_scores(RunContext& run) {
  const int cases = run.settings.case_count;
  const int columns = run.settings.factor_count + 1;
  DataMatrix& data = run.data;
  const double damping = run.settings.damping_factor;
  for (int i = 0; i < cases; ++i) data.wght(i) = 1.0;
  for (int j = 0; j < columns; ++j) {
    for (int i = 0; i < cases; ++i) data.z(i, j) = z_score(data.x(i, j), damping);
  }
}

ReadStatus load_data_matrix(RunContext& run) {
  if (const ReadStatus status = read_data_matrix(run); status != ReadStatus::ok) return status;
  build_z_scores(run);
  return ReadStatus::ok;
}

ReadStatus load_weights(RunContext& run) {
  const int cases = run.settings.case_count > 0 ? run.settings.case_count : 0;
  const std::uint64_t command_line = run.command.command_line_number();
  FreeFormReader reader(run.command);
  for (int i = 0; i < cases; ++i) {
    FreeFormReader::Item item{};
    double value = 0.0;
    if (const ReadStatus status = reader.next(item, value); status != ReadStatus::ok) {
      report_unread_value(run, reader, status, "WEI", command_line, i, -1, i, cases);
      return status;
    }
    if (item == FreeFormReader::Item::quit) break;
    if (item == FreeFormReader::Item::number) {
      run.data.wght(i) = value;
      if (value < 0.0) {
        run.diagnostics.warning(WarningKind::negative_weight,
                                reader.field_position(),
                                "the weight " + number_text(value) + " of " + value_name("WEI", command_line, i, -1) +
                                    " is negative; it is used as written");
      }
    }
  }
  return reader.finish();
}

}  // namespace morvit
