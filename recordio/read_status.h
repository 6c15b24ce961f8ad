#pragma once

namespace morvit {

// Outcome of a read from the command file.
//   ok           the request was served
//   end_of_file  the command file ended before the request was complete
//   read_failed  the underlying read failed, or the text could not be read as asked
enum class ReadStatus { ok, end_of_file, read_failed };

}  // namespace morvit
