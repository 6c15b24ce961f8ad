#pragma once

#include <string_view>

#include "driver/output_channel.h"
#include "recordio/record_sink.h"

namespace morvit {

// Where the records of a report stream go: nowhere yet, the console (standard output),
// or a file opened by the run. A written file is cut after its last record when it is
// closed, so older, longer content never survives behind a new report.
class ReportFile final : public RecordSink {
 public:
  ReportFile() = default;
  ~ReportFile() override;
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;

  void connect_console();
  // Takes ownership of `fd`; records go to its current position.
  void connect_file(int fd);
  // Writes out what is buffered; a written file is cut after its last record and closed.
  void close();

  // A record written while nothing is connected first connects the file "fort.6" in the
  // working directory (a fatal stop when even that cannot be opened).
  void write_record(std::string_view record) override;
  void flush() { channel_.flush(); }

  // Async-signal-safe: writes out the buffered records and cuts a written file after them.
  void save_from_signal() noexcept;

 private:
  enum class Target { none, console, file };

  void connect_fallback();

  OutputChannel channel_;
  Target target_ = Target::none;
  int fd_ = -1;
  bool written_ = false;
};

}  // namespace morvit
