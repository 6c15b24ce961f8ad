#pragma once

#include <string>

#include "driver/run_listener.h"

namespace morvit {

// How the program was asked to run.
struct RunOptions {
  // The command-file argument as given (the run cuts it to 80 characters); empty when the
  // command line names no file.
  std::string command_file;
  // No warnings on standard error.
  bool quiet = false;
  // Follows the run for outputs beside the report; may be null.
  RunListener* listener = nullptr;
};

// Runs MORVIT on the command file and returns the process exit status.
int run_morvit(const RunOptions& options);

}  // namespace morvit
