#pragma once

#include <functional>
#include <ostream>
#include <string>

namespace morvit {

// True when the two names stand for one file: both exist and are the same file, or their
// absolute, normalised forms are equal.
bool same_file(const std::string& a, const std::string& b);

// Writes the file `path` with what `body` puts into the stream. When the file cannot be
// opened or a write fails, says so on `err` in the program's form, removes what was
// written, and returns false.
bool write_file(const std::string& path, const std::function<void(std::ostream&)>& body, std::ostream& err);

}  // namespace morvit
