#pragma once

#include <functional>
#include <ostream>
#include <string>

namespace morvit {

// True when the two names stand for one file: the same file on disk, or the same path once
// every symbolic link is followed (also when that file does not exist yet, so that a name
// and a link to it that leads nowhere yet are known as one).
bool same_file(const std::string& a, const std::string& b);

// Writes the file `name` with what `body` puts into the stream, replaced whole or not at
// all (see system/output_replacement.h). When that fails, says "morvit: cannot write NAME:
// REASON" on `err` and returns false; the old file is then as it was. An interruption
// meanwhile ends the process once the temporary file is gone.
bool write_file(const std::string& name, const std::function<void(std::ostream&)>& body, std::ostream& err);

// The message of a failed write, as write_file gives it (without a line end).
std::string cannot_write(const std::string& name, const std::string& reason);

}  // namespace morvit
