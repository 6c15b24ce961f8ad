#pragma once

namespace morvit {

// Runs MORVIT on the command file named by the first argument and returns the process exit status.
int run_morvit(int argc, char** argv);

}  // namespace morvit
