#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "exchange/input/maker_options.h"

namespace morvit {

// What the command line asks for. Options come before the command-file name, in the GNU
// manner: "--name VALUE" or "--name=VALUE", "--" ends the options.
struct CommandLine {
  enum class Mode {
    run,                // run the command file (also without any argument: the run reports that)
    help,               // -h, --help
    version,            // --version
    usage_error,        // an unknown option, a missing value, or options without a command file
    make_command_file,  // --make-command-file and its own arguments
  };
  Mode mode = Mode::run;
  std::string problem;  // for usage_error: what is wrong, in a few words

  std::string command_file;          // the first operand (empty without one)
  std::vector<std::string> ignored;  // operands after the command file
  bool quiet = false;                // -q, --quiet
  bool strict = false;               // --strict: errors and warnings give status 3

  // Outputs beside the report (empty when not asked for).
  std::string table_csv;
  std::string cases_csv;
  std::string html;
  std::string names;
  // --level P: the level of P of the table CSV's critical measurement error, 0 < P < 1.
  double level = 0.05;
  bool level_given = false;

  // --make-command-file: what the arguments after it ask the converter to do.
  MakerOptions maker;
};

CommandLine parse_command_line(const std::vector<std::string>& arguments);

// True for an option of a run, as "-q", "--name" or "--name=VALUE": a mode of its own
// (--make-command-file, --help) is not one.
bool is_run_option(std::string_view argument);

// The usage problem of a run option given with --make-command-file, before or after it.
std::string run_option_with_maker(std::string_view argument);

}  // namespace morvit
