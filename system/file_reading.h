#pragma once

#include <cstddef>
#include <string>

#include "system/platform.h"

namespace morvit {

enum class WholeRead {
  read,       // `text` holds the file to its end
  too_large,  // the file holds more than the limit; `text` holds what was read
  failed,     // a read failed; `error` says why
};

// Reads an open file from where it stands to its end, through the files in use, keeping at
// most `limit` bytes: a file that holds more is not read further.
WholeRead read_to_end(platform::Handle file, std::string& text, std::size_t limit, int& error);

}  // namespace morvit
