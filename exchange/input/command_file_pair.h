#pragma once

#include <ostream>
#include <vector>

#include "exchange/case_names.h"
#include "exchange/input/command_file_maker.h"

namespace morvit {

// Writes a made command file where the options send it: to standard output (`out`), or to
// the -o file. Beside a -o file on disk (or a name yet to be made) the side file FILE.cases is
// written too, with the case names (empty ones without --cases) and `records`: the pair is
// written together, both new or both as they were. A -o that is a device or FIFO gets the
// command file alone, and the case names, when asked for, are told to be left out. Refused,
// with a message on `err` and nothing written: a -o file or side file that is the CSV file
// the command file was made from, and a side file that is the -o file itself.
MakerOutcome write_made_command_file(const MakerOptions& options, const MadeCommandFile& made,
                                     const std::vector<SideRecord>& records, std::ostream& out, std::ostream& err);

}  // namespace morvit
