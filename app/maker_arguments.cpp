#include "app/maker_arguments.h"

#include <array>
#include <cmath>
#include <string_view>

#include "app/command_line.h"
#include "exchange/cell_text.h"
#include "recordio/number_text.h"

namespace morvit {
namespace {

// The column names of --factors: split at commas, blanks around each name dropped.
bool split_names(std::string_view list, std::vector<std::string>& names) {
  names.clear();
  for (;;) {
    const std::size_t comma = list.find(',');
    const std::string_view name = trimmed(list.substr(0, comma));
    if (name.empty()) return false;
    names.emplace_back(name);
    if (comma == std::string_view::npos) return true;
    list.remove_prefix(comma + 1);
  }
}

// A separator given as one character, or as the word "tab" or the two characters \t.
bool separator_from(std::string_view text, char& separator) {
  if (text == "tab" || text == "\\t") {
    separator = '\t';
    return true;
  }
  if (text.size() != 1 || text[0] == '"' || text[0] == ' ' || text[0] == '\r' || text[0] == '\n') return false;
  separator = text[0];
  return true;
}

// The range of --mer and --dam: what the report's fields show (F10.6, 999.999999 at most)
// and what the run can use: no negative measurement error, and a damping factor below 0.5,
// beyond which no score keeps its place. Empty when the value is in range.
std::string factor_range_problem(std::string_view option, double value) {
  if (option == "--mer" && !(value >= 0.0 && value <= 999.999999)) {
    return "--mer needs a measurement error factor from 0 to 999.999999, not " + number_text(value);
  }
  if (option == "--dam" && !(value >= 0.0 && value < 0.5)) {
    return "--dam needs a damping factor from 0 to below 0.5, not " + number_text(value);
  }
  return {};
}

MakerArguments problem(std::string text) {
  MakerArguments result;
  result.problem = std::move(text);
  return result;
}

}  // namespace

MakerArguments parse_maker_arguments(const std::vector<std::string>& arguments) {
  MakerArguments result;
  MakerOptions& options = result.options;
  constexpr std::array<std::string_view, 12> valued{"--outcome",
                                                    "--factors",
                                                    "--weights",
                                                    "--cases",
                                                    "--mer",
                                                    "--dam",
                                                    "--title",
                                                    "--separator",
                                                    "--calibrate",
                                                    "--set",
                                                    "--encoding",
                                                    "-o"};
  std::vector<std::string_view> seen;
  bool operands_only = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    const bool is_option = !operands_only && argument.size() > 1 && argument[0] == '-';
    if (!is_option) {
      if (!options.data_file.empty())
        return problem("more than one CSV file named: " + options.data_file + " and " + arguments[i]);
      options.data_file = arguments[i];
      continue;
    }
    if (argument == "--") {
      operands_only = true;
      continue;
    }
    if (argument == "--drop-missing") {
      options.drop_missing = true;
      continue;
    }
    std::string_view name = argument;
    std::string value;
    bool has_value = false;
    if (const std::size_t equals = argument.find('='); argument.starts_with("--") && equals != std::string_view::npos) {
      name = argument.substr(0, equals);
      value = std::string(argument.substr(equals + 1));
      has_value = true;
    }
    bool known = false;
    for (const std::string_view option : valued) known = known || option == name;
    if (!known && is_run_option(argument)) return problem(run_option_with_maker(argument));
    if (!known) return problem("unknown option " + std::string(argument) + " for --make-command-file");
    for (const std::string_view earlier : seen) {
      if (earlier == name && name != "--calibrate" && name != "--set")
        return problem("option " + std::string(name) + " given twice");
    }
    seen.push_back(name);
    if (!has_value) {
      if (i + 1 >= arguments.size()) return problem("option " + std::string(name) + " needs a value");
      value = arguments[++i];
    }

    if (name == "--outcome") {
      options.outcome = std::string(trimmed(value));
      if (options.outcome.empty()) return problem("--outcome needs a column name");
    } else if (name == "--factors") {
      if (!split_names(value, options.factors)) {
        return problem("--factors needs column names separated by commas, not \"" + value + "\"");
      }
    } else if (name == "--weights") {
      options.weights = std::string(trimmed(value));
      if (options.weights.empty()) return problem("--weights needs a column name");
    } else if (name == "--cases") {
      options.cases = std::string(trimmed(value));
      if (options.cases.empty()) return problem("--cases needs a column name");
    } else if (name == "--mer" || name == "--dam") {
      const CellValue cell = read_cell(value, false);
      if (cell.kind != CellKind::number) return problem(std::string(name) + " needs a number, not \"" + value + "\"");
      if (const std::string range = factor_range_problem(name, cell.value); !range.empty()) return problem(range);
      (name == "--mer" ? options.mer : options.dam) = cell.value;
    } else if (name == "--calibrate") {
      // NAME=E,C,I: the thresholds hold no '=', a column name may.
      const std::size_t equals = value.rfind('=');
      const std::string_view column =
          equals == std::string::npos ? std::string_view() : trimmed(std::string_view(value).substr(0, equals));
      if (column.empty())
        return problem("--calibrate needs NAME=E,C,I (exclusion, crossover, inclusion), not \"" + value + "\"");
      options.calibrations.push_back({std::string(column), value.substr(equals + 1)});
    } else if (name == "--set") {
      // NAME=EXPRESSION: the new name holds no '=', a column name in the expression may not
      // either (the expression's own grammar is the maker's).
      const std::size_t equals = value.find('=');
      const std::string_view set =
          equals == std::string::npos ? std::string_view() : trimmed(std::string_view(value).substr(0, equals));
      if (set.empty())
        return problem("--set needs NAME=EXPRESSION (such as STABLE=~UNSTABLE or HORG=H+G), not \"" + value + "\"");
      options.sets.push_back({std::string(set), value.substr(equals + 1)});
    } else if (name == "--encoding") {
      const std::string encoding = capitals(trimmed(value));
      if (encoding == "UTF-8" || encoding == "UTF8") {
        options.encoding = TextEncoding::utf8;
      } else if (encoding == "WINDOWS-1252" || encoding == "CP1252") {
        options.encoding = TextEncoding::windows_1252;
      } else {
        return problem("--encoding needs utf-8 or windows-1252, not \"" + value + "\"");
      }
    } else if (name == "--title") {
      options.title = value;
    } else if (name == "--separator") {
      if (!separator_from(value, options.separator)) {
        return problem("--separator needs one character (or \"tab\"), not \"" + value + "\"");
      }
    } else {
      if (value.empty()) return problem("-o needs a file name");
      options.output = value;
    }
  }
  if (options.data_file.empty()) return problem("--make-command-file needs the name of a CSV file");
  if (options.outcome.empty()) return problem("--make-command-file needs --outcome NAME");
  if (options.factors.empty()) return problem("--make-command-file needs --factors NAME,...");
  return result;
}

}  // namespace morvit
