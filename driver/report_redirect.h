#pragma once

#include <string_view>

#include "driver/run_context.h"

namespace morvit {

// The report half of the OUT command: closes the current report file, opens the file
// named by the 80-character field (the console for "CON" and "PRN"), positions a file
// after its old content and writes a fresh banner to it. Returns false, with the reason,
// when the file cannot be opened (or is the command file); no report file is connected
// then. A file that another run is writing is a fatal stop.
bool redirect_report(RunContext& run, std::string_view name_field, std::string& reason);

// Connects the report to "fort.6" in the working directory, for the records written while
// no report file is connected (after an OUT that failed). A file that cannot be opened, is
// the command file or is in use is a fatal stop.
void connect_fallback_report(RunContext& run);

// The file "morvit.out" in the working directory as the report, its old content replaced.
void connect_main_report(RunContext& run);

}  // namespace morvit
