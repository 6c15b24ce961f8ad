#pragma once

#include <cstdint>
#include <string_view>

#include "analysis/table_observer.h"
#include "driver/data_matrix.h"
#include "system/platform.h"

namespace morvit {

// The data and derived constants of a run that reached FIN, as the summary and the table
// use them.
struct RunResults {
  int case_count = 0;
  int factor_count = 0;
  const DataMatrix* data = nullptr;  // x, z and wght of cases 0 .. case_count - 1
  double measurement_error = 0.0;
  double damping_factor = 0.0;
  double expected_msd = 0.0;
  std::int32_t denominator_df = 0;
};

class Diagnostics;

// Follows a run for outputs beside the report. The report itself never depends on it.
class RunListener {
 public:
  virtual ~RunListener() = default;
  // A COM line: the 73 characters of columns 8 to 80, in capitals, as echoed to the report.
  virtual void comment(std::string_view /*text*/) {}
  // A report file on disk the run has opened to write into (morvit.out, fort.6, a file named
  // by OUT); not a device.
  virtual void report_file(std::string_view /*name*/, const platform::FileIdentity& /*identity*/) {}
  // A warning as told on standard error, without the leading "morvit: "
  // ("run.cmd:5:9: warning: ...").
  virtual void warning(std::string_view /*line*/) {}
  // At FIN, before the summary and the table are written.
  virtual void results(const RunResults& /*results*/) {}
  // Receives the rows of the table, if the run writes one.
  virtual TableObserver* table_observer() { return nullptr; }
  // After the trailer of a run that reached its end (with or without a table); not after a
  // fatal stop or an interrupt. Warnings about the outputs go to the run's `diagnostics`,
  // which count them with the run's own.
  virtual void finished(bool /*table_written*/, Diagnostics& /*diagnostics*/) {}
  // Instead of finished(), when the run ends before its end: the command file cannot be
  // opened, or a fatal stop (`why` says which, in a few words). Not after an interrupt.
  virtual void stopped(std::string_view /*why*/) {}
};

}  // namespace morvit
