#pragma once

#include "driver/run_context.h"

namespace morvit {

// How the command loop ended.
enum class LoopEnd {
  finished,     // a FIN line: the summary and the table follow
  stopped,      // an error that ends the run, already reported
  end_of_file,  // the command file ended before FIN (also inside data)
  read_failed,  // a read failed or a value was rejected (also an OUT file that cannot be opened)
};

// Reads and carries out command lines until one of the four ends.
LoopEnd run_command_loop(RunContext& run);

}  // namespace morvit
