#include "app/command_line.h"

#include <array>
#include <string_view>

#include "app/maker_arguments.h"
#include "exchange/cell_text.h"

namespace morvit {
namespace {

// Options that take a value, and where the value goes.
struct ValueOption {
  std::string_view name;
  std::string CommandLine::*target;
  const char* what;  // what the value is, for messages
};

constexpr std::array<ValueOption, 4> value_options{{
    {"--table-csv", &CommandLine::table_csv, "a file name"},
    {"--cases-csv", &CommandLine::cases_csv, "a file name"},
    {"--html", &CommandLine::html, "a file name"},
    {"--names", &CommandLine::names, "a list of names"},
}};

CommandLine usage_error(std::string problem) {
  CommandLine line;
  line.mode = CommandLine::Mode::usage_error;
  line.problem = std::move(problem);
  return line;
}

// The value of --level: a number strictly between 0 and 1, or what is wrong with it.
bool read_level(std::string_view text, double& level, std::string& problem) {
  const CellValue cell = read_cell(text, false);
  if (cell.kind == CellKind::number && cell.value > 0.0 && cell.value < 1.0) {
    level = cell.value;
    return true;
  }
  problem = "option --level needs a level of P between 0 and 1 (such as 0.05), not \"" + std::string(text) + "\"";
  return false;
}

}  // namespace

bool is_run_option(std::string_view argument) {
  const std::string_view name = argument.substr(0, argument.find('='));
  if (name == "-q" || name == "--quiet" || name == "--strict" || name == "--level") return true;
  for (const ValueOption& option : value_options) {
    if (name == option.name) return true;
  }
  return false;
}

std::string run_option_with_maker(std::string_view argument) {
  const std::string_view name = argument.substr(0, argument.find('='));
  return std::string(name) +
         " is an option of a run (morvit [OPTION]... COMMAND-FILE); --make-command-file does not take it";
}

CommandLine parse_command_line(const std::vector<std::string>& arguments) {
  CommandLine line;
  bool options_seen = false;
  std::string first_run_option;         // the first option of a run met, for --make-command-file
  std::vector<std::string_view> given;  // the options with a value met so far
  std::size_t i = 0;
  for (; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    // A lone "-" and everything that does not begin with "-" is the command file.
    if (argument.size() < 2 || argument[0] != '-') break;
    if (argument == "--") {
      ++i;
      options_seen = true;
      break;
    }
    options_seen = true;
    if (first_run_option.empty() && is_run_option(argument)) first_run_option = argument;
    if (argument == "-h" || argument == "--help") {
      line.mode = CommandLine::Mode::help;
      return line;
    }
    if (argument == "--version") {
      line.mode = CommandLine::Mode::version;
      return line;
    }
    if (argument == "-q" || argument == "--quiet") {
      line.quiet = true;
      continue;
    }
    if (argument == "--strict") {
      line.strict = true;
      continue;
    }
    if (argument == "--make-command-file") {
      if (!first_run_option.empty()) return usage_error(run_option_with_maker(first_run_option));
      MakerArguments maker =
          parse_maker_arguments({arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1, arguments.end()});
      if (!maker.problem.empty()) return usage_error(std::move(maker.problem));
      line.mode = CommandLine::Mode::make_command_file;
      line.maker = std::move(maker.options);
      return line;
    }
    if (argument == "--level" || argument.starts_with("--level=")) {
      if (line.level_given) return usage_error("option --level given twice");
      line.level_given = true;
      std::string value;
      if (argument == "--level") {
        if (i + 1 >= arguments.size()) return usage_error("option --level needs a level of P");
        value = arguments[++i];
      } else {
        value = argument.substr(std::string_view("--level=").size());
      }
      std::string problem;
      if (!read_level(value, line.level, problem)) return usage_error(problem);
      continue;
    }
    const ValueOption* known = nullptr;
    std::string value;
    for (const ValueOption& option : value_options) {
      const std::string_view text(argument);
      if (text == option.name) {
        if (i + 1 >= arguments.size()) return usage_error("option " + argument + " needs " + option.what);
        value = arguments[++i];
        known = &option;
        break;
      }
      if (text.starts_with(option.name) && text.size() > option.name.size() && text[option.name.size()] == '=') {
        value = std::string(text.substr(option.name.size() + 1));
        known = &option;
        break;
      }
    }
    if (known == nullptr) return usage_error("unknown option " + argument);
    // An empty value would silently ask for nothing, and a second one would silently win.
    if (value.empty())
      return usage_error("option " + std::string(known->name) + " needs " + known->what + ", not an empty one");
    for (const std::string_view earlier : given) {
      if (earlier == known->name) return usage_error("option " + std::string(known->name) + " given twice");
    }
    given.push_back(known->name);
    line.*known->target = std::move(value);
  }

  if (i < arguments.size()) {
    line.command_file = arguments[i];
    line.ignored.assign(arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1, arguments.end());
  } else if (options_seen) {
    return usage_error("no command file named");
  }
  return line;
}

}  // namespace morvit
