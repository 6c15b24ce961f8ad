#pragma once

#include <initializer_list>
#include <string_view>

#include "driver/run_context.h"

namespace morvit {

// Writes one ++ERROR message to the report: a line " ++ERROR", each message as a free-form
// text line, optionally the two-line echo of a command line, and " ++ERROR" again.
// Adds one to the error count.
void report_error(RunContext& run, std::initializer_list<std::string_view> messages, std::string_view echoed_line = {});

// The ++ERROR messages for the end of the command file before FIN and for a read that failed.
void report_end_of_file(RunContext& run);
void report_read_error(RunContext& run);

}  // namespace morvit
