#pragma once

#include <string>
#include <string_view>

#include "system/platform.h"

namespace morvit {

// A file beside the report (a table or page a run writes, a command file made from a CSV
// file), replaced whole or not at all.
//
// A name that stands for a file on disk, through symbolic links or not, or for nothing yet,
// gets a new file: its content is written into a temporary file in the same directory,
// flushed to disk, and renamed over the file only when it is complete, so that the old file
// stays exactly as it was until that moment and readers never see half a file. The link
// stays a link; the file it leads to is replaced. Anything else (a device, a FIFO) is never
// removed or replaced: it is written where it is, and left in place when that fails.
//
// Call prepare() and commit() inside one CriticalSection: an interruption then waits, and a
// waiting write breaks off; the temporary file is removed (by abandon() or the destructor)
// before the interruption ends the process. Nothing else is ever removed.
class OutputReplacement {
 public:
  explicit OutputReplacement(std::string name);
  ~OutputReplacement();
  OutputReplacement(const OutputReplacement&) = delete;
  OutputReplacement& operator=(const OutputReplacement&) = delete;

  // Writes `content` into the temporary file (for a device or FIFO, only keeps it for
  // commit()). False when that fails; problem() says why.
  bool prepare(std::string_view content);
  // Puts the prepared content in place. False when that fails; problem() says why.
  bool commit();
  // Removes the temporary file, if there is one.
  void abandon() noexcept;

  // The system's reason for the last failure ("No space left on device"), or "interrupted".
  const std::string& problem() const { return problem_; }
  // The last failure was an interruption, which ends the run when the critical section ends.
  bool interrupted() const { return interrupted_; }

 private:
  bool fail(std::string reason);
  bool fail_with(int error);
  bool write_all(platform::Handle file, std::string_view content);

  std::string name_;    // as the user named it
  std::string target_;  // the file it stands for, every link followed
  platform::PathKind kind_ = platform::PathKind::missing;
  std::string temporary_;
  std::string_view in_place_;  // the content for a device or FIFO
  std::string problem_;
  bool interrupted_ = false;
};

// Replaces the file `name` with `content` in one step as above, inside a critical section
// of its own. Empty on success, else the reason. An interruption meanwhile removes the
// temporary file and then ends the run.
std::string replace_output(const std::string& name, std::string_view content);

}  // namespace morvit
