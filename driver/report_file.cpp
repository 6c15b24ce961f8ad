#include "driver/report_file.h"

#include <algorithm>

#include "driver/fatal_stop.h"
#include "system/interrupts.h"

namespace morvit {

ReportFile::~ReportFile() { close_after_stop(); }

void ReportFile::connect_console(bool quiet_failures) {
  close();
  CriticalSection critical;
  channel_.attach(platform::files().standard_output());
  written_ = false;
  target_ = Target::console;
  name_ = "standard output";
  quiet_failures_ = quiet_failures;
}

void ReportFile::connect_file(platform::Handle file, std::string name) {
  close();
  CriticalSection critical;
  channel_.attach(file);
  file_ = file;
  name_ = std::move(name);
  written_ = false;
  quiet_failures_ = false;
  target_ = Target::file;
}

void ReportFile::check(int error, Target target) const {
  if (error == 0 || quiet_failures_) return;
  platform::FileSystem& system = platform::files();
  const bool closed_console = target == Target::console && system.standard_output() == platform::no_handle;
  throw FatalStop((target == Target::console ? "cannot write the report to " : "cannot write the report file ") +
                  name_ + ": " + (closed_console ? std::string("it is closed") : system.error_text(error)));
}

void ReportFile::release() noexcept {
  if (written_ && target_ != Target::none &&
      std::find(written_names_.begin(), written_names_.end(), name_) == written_names_.end()) {
    written_names_.push_back(name_);
  }
  CriticalSection critical;
  if (target_ == Target::file) {
    if (written_) {
      const std::int64_t end = platform::files().position(file_);
      if (end >= 0) platform::files().truncate(file_, end);
    }
    platform::files().close(file_);
    file_ = platform::no_handle;
  }
  target_ = Target::none;
}

void ReportFile::close() {
  if (target_ == Target::none) return;
  const Target target = target_;
  const int error = channel_.detach();
  release();
  check(error, target);
}

void ReportFile::close_after_stop() noexcept {
  if (target_ == Target::none) return;
  (void)channel_.detach();
  release();
}

void ReportFile::write_record(std::string_view record) {
  if (target_ == Target::none && fallback_ != nullptr) fallback_(*this, fallback_context_);
  written_ = true;
  check(channel_.append_record(record), target_);
}

void ReportFile::flush() { check(channel_.flush(), target_); }

void ReportFile::save_from_signal() noexcept {
  channel_.save_from_signal();
  if (target_ == Target::file && written_) {
    const std::int64_t end = platform::files().position(file_);
    if (end >= 0) platform::files().truncate(file_, end);
  }
}

}  // namespace morvit
