#include "driver/report_file.h"

#include <unistd.h>

#include "driver/fatal_stop.h"
#include "driver/interrupts.h"
#include "driver/open_for_update.h"

namespace morvit {

ReportFile::~ReportFile() { close(); }

void ReportFile::connect_console() {
  close();
  InterruptsBlocked guard;
  channel_.attach(STDOUT_FILENO);
  target_ = Target::console;
}

void ReportFile::connect_file(int fd) {
  close();
  InterruptsBlocked guard;
  channel_.attach(fd);
  fd_ = fd;
  written_ = false;
  target_ = Target::file;
}

void ReportFile::close() {
  if (target_ == Target::none) return;
  InterruptsBlocked guard;
  channel_.detach();
  if (target_ == Target::file) {
    if (written_) {
      const off_t end = ::lseek(fd_, 0, SEEK_CUR);
      if (end >= 0) (void)::ftruncate(fd_, end);
    }
    ::close(fd_);
    fd_ = -1;
  }
  target_ = Target::none;
}

void ReportFile::connect_fallback() {
  const int fd = open_for_update("fort.6", OpenPurpose::report_file);
  if (fd < 0) throw FatalStop("cannot open the report file fort.6");
  connect_file(fd);
}

void ReportFile::write_record(std::string_view record) {
  if (target_ == Target::none) connect_fallback();
  written_ = true;
  channel_.append_record(record);
}

void ReportFile::save_from_signal() noexcept {
  channel_.flush_from_signal();
  if (target_ == Target::file && written_) {
    const off_t end = ::lseek(fd_, 0, SEEK_CUR);
    if (end >= 0) (void)::ftruncate(fd_, end);
  }
}

}  // namespace morvit
