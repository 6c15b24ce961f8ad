#include "driver/open_for_update.h"

namespace morvit {

std::string file_name_of(std::string_view field) {
  const std::size_t end = field.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string() : std::string(field.substr(0, end + 1));
}

platform::Handle open_command_file(std::string_view field, bool& created) {
  return platform::open_command_file(file_name_of(field), created);
}

ReportOpening open_report_file(std::string_view field, ReportPlacement placement,
                               const platform::FileIdentity& command_file) {
  ReportOpening opening;
  platform::Handle file = platform::open_report_file(file_name_of(field), opening.reason);
  if (file == platform::no_handle) {
    opening.problem = ReportOpening::Problem::cannot_open;
    return opening;
  }
  if (platform::identity(file) == command_file) {
    platform::close(file);
    opening.problem = ReportOpening::Problem::is_command_file;
    return opening;
  }
  if (!platform::lock_exclusively(file)) {
    platform::close(file);
    opening.problem = ReportOpening::Problem::in_use;
    return opening;
  }
  if (placement == ReportPlacement::after_old_content) {
    platform::position_at_end(file);
  } else if (platform::is_regular_file(file)) {
    platform::truncate(file, 0);
  }
  opening.file = file;
  return opening;
}

}  // namespace morvit
