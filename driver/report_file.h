#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "driver/output_channel.h"
#include "recordio/record_sink.h"
#include "system/interrupts.h"
#include "system/platform.h"

namespace morvit {

// Where the records of a report stream go: nowhere yet, the console (standard output), or a
// file opened by the run. A written file is cut after its last record when it is closed, so
// older, longer content never survives behind a new report.
//
// A write that fails is a fatal stop naming the file and the system's reason; the file keeps
// the whole records written before. Only the start-up console, which is not a report, lets
// its writes fail quietly (a console that was closed or went away).
class ReportFile final : public RecordSink, public SavedOnInterruption {
 public:
  ReportFile() = default;
  ~ReportFile() override;
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;

  // Standard output. `quiet_failures` for the start-up console lines.
  void connect_console(bool quiet_failures = false);
  // Takes ownership of `file` (named `name` in diagnostics); records go to its current position.
  void connect_file(platform::Handle file, std::string name);
  // Writes out what is buffered; a written file is cut after its last record and closed.
  // A write that fails is a fatal stop.
  void close();
  // As close(), but after a fatal stop: a failing write changes nothing more.
  void close_after_stop() noexcept;

  // A record written while nothing is connected first connects the file "fort.6" in the
  // working directory (see set_fallback).
  void write_record(std::string_view record) override;
  void flush();

  // What connects the fallback report when a record is written with nothing connected.
  using Fallback = void (*)(ReportFile& report, void* context);
  void set_fallback(Fallback fallback, void* context) {
    fallback_ = fallback;
    fallback_context_ = context;
  }

  // Async-signal-safe: writes out the buffered records and cuts a written file after them.
  void save_from_signal() noexcept override;

  // The names of the report files (and "standard output") that received records and were
  // closed, in the order they were first closed.
  const std::vector<std::string>& written_names() const { return written_names_; }

 private:
  enum class Target { none, console, file };

  void check(int error, Target target) const;
  void release() noexcept;

  OutputChannel channel_;
  Target target_ = Target::none;
  platform::Handle file_ = platform::no_handle;
  std::string name_;
  bool written_ = false;
  bool quiet_failures_ = false;
  std::vector<std::string> written_names_;
  Fallback fallback_ = nullptr;
  void* fallback_context_ = nullptr;
};

}  // namespace morvit
