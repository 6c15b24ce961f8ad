#pragma once

#include <string>
#include <string_view>

#include "driver/run_listener.h"

namespace morvit {

// How the program was asked to run.
struct RunOptions {
  // The command-file argument as given (the run cuts it to 80 characters); empty when the
  // command line names no file; standard_input_name for standard input.
  std::string command_file;
  // No warnings on standard error.
  bool quiet = false;
  // A run whose report counts errors, or that met warnings, ends with strict_status.
  bool strict = false;
  // Follows the run for outputs beside the report; may be null.
  RunListener* listener = nullptr;
  // The run is a call inside another program (the R package) that owns the process: its
  // signals, its standard streams and its end. The run then neither prepares the process nor
  // installs interruption handlers, so that nothing in it ends the process; the host looks
  // for interruptions before and after the call.
  bool hosted = false;
};

// The exit status of a --strict run that reached its end with errors or warnings, or whose
// command file could not be opened.
inline constexpr int strict_status = 3;

// The command-file argument that reads the command file from standard input.
inline constexpr std::string_view standard_input_name = "-";

// Runs MORVIT on the command file and returns the process exit status.
int run_morvit(const RunOptions& options);

}  // namespace morvit
