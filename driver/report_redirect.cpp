#include "driver/report_redirect.h"

#include <sys/stat.h>
#include <unistd.h>

#include "driver/banner.h"
#include "driver/open_for_update.h"

namespace morvit {
namespace {

// "CON" and "PRN" followed by blanks name devices. Both are mapped to the standard
// output: the console, and for the printer the output stream of the job, which the user
// may pipe to a print spooler.
bool names_device(std::string_view name_field) {
  const std::string name = file_name_of(name_field);
  return name == "CON" || name == "PRN";
}

}  // namespace

bool is_command_file(const RunContext& run, int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && info.st_dev == run.command_device && info.st_ino == run.command_inode;
}

bool redirect_report(RunContext& run, std::string_view name_field) {
  run.report.close();
  if (names_device(name_field)) {
    run.report.connect_console();
  } else {
    const int fd = open_for_update(name_field, OpenPurpose::report_file);
    if (fd < 0) return false;
    if (is_command_file(run, fd)) {  // appending the report would change the commands being read
      ::close(fd);
      return false;
    }
    // New lines follow the old content; a new or empty file is written from its start.
    (void)::lseek(fd, 0, SEEK_END);
    run.report.connect_file(fd);
  }
  write_banner(run.report, read_stamp());
  return true;
}

}  // namespace morvit
