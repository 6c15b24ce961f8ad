#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "system/platform.h"

namespace morvit {

// A file beside the report (a table or page a run writes, a command file made from a CSV
// file and its case names), replaced whole or not at all, and only where the user could
// write it.
//
// The rule: an output is replaced only where writing it in place would be allowed.
// - A file that exists is first opened for writing as named, without truncating it (what a
//   shell's `> NAME` does first): when the system refuses (a write-protected file, another
//   user's file, a link the system does not follow), the output is refused with the
//   system's reason, naming the file.
// - No symbolic link is followed that link protection refuses: a link in a sticky folder
//   that everyone may write (/tmp), owned by neither the runner nor the folder's owner.
// - The new content goes into a temporary file in the folder of the file it replaces, is
//   flushed to disk, and takes the name by a rename only when complete: the old file stays
//   exactly as it was until then, and readers never see half a file. A folder that refuses
//   the temporary file or the rename is named with the system's reason.
// - The new file keeps the old one's permission bits, without the set-user-ID, set-group-ID
//   and sticky bits, and its owner and group where the runner may set them; where the group
//   cannot be kept, the new file gives its group nothing. A new name gets the usual
//   permissions of a new file.
// - A link that may be followed stays a link: the file it leads to is replaced. A device or
//   FIFO is never removed or replaced: it is written where it is.
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

  // Checks the rule and writes `content` into the temporary file (for a device or FIFO,
  // only keeps it for commit()). False when that fails; problem() says why.
  bool prepare(std::string_view content);
  // Puts the prepared content in place. False when that fails; problem() says why.
  bool commit();
  // Removes the temporary file, if there is one.
  void abandon() noexcept;

  const std::string& name() const { return name_; }
  // The output is a device or FIFO, written where it is.
  bool in_place() const { return kind_ == platform::PathKind::other; }
  // Why the last step failed, naming the folder or link when they refused ("the folder
  // /srv/out: Permission denied"), or the system's reason alone for the file itself
  // ("Permission denied", "No space left on device"), or "interrupted".
  const std::string& problem() const { return problem_; }
  // The last failure was an interruption, which ends the run when the critical section ends.
  bool interrupted() const { return interrupted_; }

 private:
  bool fail(std::string reason);
  bool fail_with(int error);
  bool folder_refused(int error);
  bool write_all(platform::Handle file, std::string_view content);
  void keep_owner_and_mode(platform::Handle file, const platform::FileStatus& old);

  std::string name_;    // as the user named it
  std::string target_;  // the file it stands for, every link followed
  platform::PathKind kind_ = platform::PathKind::missing;
  std::string temporary_;
  std::string_view in_place_;  // the content for a device or FIFO
  std::string problem_;
  bool interrupted_ = false;
};

// An output to write and its content.
struct OutputContent {
  std::string name;
  std::string_view content;
};

// What became of outputs replaced together.
struct TogetherOutcome {
  bool written = true;         // every output is the new one
  std::size_t failed = 0;      // else: the output that failed
  std::string problem;         // and why (see OutputReplacement::problem)
  bool interrupted = false;    // an interruption stopped it, and ends the run
  std::vector<bool> replaced;  // for each output: the new one is in place; when a rename fails
                               // after others, or a device after others, those before it
};

// Replaces the outputs together, inside one critical section: every one is prepared first;
// then the devices and FIFOs are written and last the files on disk renamed, one after the
// other, with interruptions held back. When any output cannot be prepared or written, none
// of the files on disk is replaced. An interruption before the renames leaves every output
// the old one, one after them every output the new one.
TogetherOutcome replace_together(const std::vector<OutputContent>& outputs);

// Replaces the file `name` with `content` alone, as above. Empty on success, else the reason.
std::string replace_output(const std::string& name, std::string_view content);

}  // namespace morvit
