#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "driver/diagnostics.h"

namespace morvit {

// True when the two names stand for one file on disk: the same file (its identity), or the
// same path once every symbolic link is followed (also when no file of that name exists yet,
// so that a name and a link to it that leads nowhere yet are known as one). A device or a
// FIFO is no such file: two names of the null device are not one file.
bool same_file(const std::string& a, const std::string& b);

// A file that a run or the maker writes: how messages call it ("--html page.html", "the
// command file run.cmd"), its name, and its content.
struct PlannedOutput {
  std::string shown;
  std::string name;
  std::string content;
};

// Writes the files together, each replaced whole and only where the user could write it,
// and either every one or none of them (see replace_together in
// system/output_replacement.h). When that fails, says on `err`
//   morvit: cannot write NAME: REASON
//   morvit: error: not written: SHOWN, SHOWN; ...
// and returns false; the files not written are exactly as they were. An interruption
// meanwhile ends the process once the temporary files are gone.
bool write_together(const std::vector<PlannedOutput>& outputs, std::ostream& err);

// Says which files were not written, and why: "morvit: PLACE: error: WHY; not written: SHOWN,
// SHOWN; the files of these names are as they were".
void report_not_written(std::ostream& err, const Place& place, std::string_view why,
                        const std::vector<std::string>& shown);

// The message of a failed write, as write_together gives it (without a line end).
std::string cannot_write(const std::string& name, const std::string& reason);

}  // namespace morvit
