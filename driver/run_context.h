#pragma once

#include <cstdint>
#include <string>

#include "driver/data_matrix.h"
#include "driver/diagnostics.h"
#include "driver/report_file.h"
#include "driver/run_listener.h"
#include "driver/settings.h"
#include "recordio/command_file.h"
#include "system/platform.h"

namespace morvit {

// Everything one run owns: its command file, its report stream, the settings, the
// counters and the data. Passed explicitly to every stage.
struct RunContext {
  explicit RunContext(CommandFile file) : command(std::move(file)) {}

  CommandFile command;
  // The command file as the user named it, for messages.
  std::string command_name;
  // Identity of the command file, so that no report is ever written over it.
  platform::FileIdentity command_identity;

  // Located errors and warnings on standard error.
  Diagnostics diagnostics;

  ReportFile report;
  Settings settings;
  std::int32_t error_count = 0;
  DataMatrix data;
  // Outputs beside the report; never null (a listener that does nothing by default).
  RunListener* listener = nullptr;

  // The last data matrix read whole, for messages about the lines after it.
  struct DataMatrixRead {
    std::uint64_t dat_line = 0;  // the DAT line
    int cases = 0;
    int values_per_case = 0;
    std::uint64_t last_line = 0;  // the line of its last value
  } last_data_matrix;
};

}  // namespace morvit
