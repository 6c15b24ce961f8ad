#pragma once

#include <string_view>

#include "driver/run_context.h"

namespace morvit {

// The report half of the OUT command: closes the current report file, opens the file
// named by the 80-character field (the console for "CON" and "PRN"), positions a file
// after its old content and writes a fresh banner to it. Returns false when the file
// cannot be opened; no report file is connected then.
bool redirect_report(RunContext& run, std::string_view name_field);

// True when `fd` is the command file of the run, which a report must never overwrite.
bool is_command_file(const RunContext& run, int fd);

}  // namespace morvit
