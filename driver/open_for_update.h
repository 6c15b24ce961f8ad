#pragma once

#include <string>
#include <string_view>

#include "system/platform.h"

namespace morvit {

// The name of an 80-character name field: trailing blanks dropped, leading blanks kept.
std::string file_name_of(std::string_view field);

// The command file named by an 80-character field, opened for reading only (the run never
// writes to it), created empty when it does not exist (`created` then says so). no_handle
// for an empty name, a directory, or a file that can be neither read nor created.
platform::Handle open_command_file(std::string_view field, bool& created);

// Where the new records of a report file go.
enum class ReportPlacement {
  replacing,         // morvit.out and fort.6: the new report replaces the old content at once
  after_old_content  // a file named by OUT: the old content stays in front
};

struct ReportOpening {
  enum class Problem { none, cannot_open, is_command_file, in_use };
  platform::Handle file = platform::no_handle;
  Problem problem = Problem::none;
  std::string reason;               // the system's reason when the file cannot be opened
  platform::FileIdentity identity;  // of the file opened
  bool on_disk = false;             // a regular file, not a device or pipe
};

// Opens the report file named by an 80-character field for reading and writing, creating it
// when it does not exist. A report never writes over the command file, nor into a file on
// disk that another run is writing (each is locked while the run writes it). The old
// content of a file that is replaced is dropped at once, so that a run that ends in any way
// never leaves the new report in front of the old one's tail.
ReportOpening open_report_file(std::string_view field, ReportPlacement placement,
                               const platform::FileIdentity& command_file);

}  // namespace morvit
