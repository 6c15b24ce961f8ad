#include "driver/open_for_update.h"

namespace morvit {

std::string file_name_of(std::string_view field) {
  const std::size_t end = field.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string() : std::string(field.substr(0, end + 1));
}

platform::Handle open_command_file(std::string_view field, bool& created) {
  return platform::files().open_command_file(file_name_of(field), created);
}

ReportOpening open_report_file(std::string_view field, ReportPlacement placement,
                               const platform::FileIdentity& command_file) {
  platform::FileSystem& system = platform::files();
  ReportOpening opening;
  int error = 0;
  platform::Handle file = system.open_report_file(file_name_of(field), error);
  if (file == platform::no_handle) {
    opening.problem = ReportOpening::Problem::cannot_open;
    opening.reason = error != 0 ? system.error_text(error) : std::string("no file name");
    return opening;
  }
  const platform::FileStatus status = system.status(file);
  if (status.identity == command_file) {
    system.close(file);
    opening.problem = ReportOpening::Problem::is_command_file;
    return opening;
  }
  // Only a file on disk can mix two runs' reports; a device (OUT onto /dev/null) takes both.
  opening.on_disk = status.kind == platform::PathKind::regular;
  if (opening.on_disk && !system.lock_exclusively(file)) {
    system.close(file);
    opening.problem = ReportOpening::Problem::in_use;
    return opening;
  }
  if (placement == ReportPlacement::after_old_content) {
    system.position_at_end(file);
  } else if (opening.on_disk) {
    system.truncate(file, 0);
  }
  opening.identity = status.identity;
  opening.file = file;
  return opening;
}

}  // namespace morvit
