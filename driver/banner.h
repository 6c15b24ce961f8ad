#pragma once

#include "recordio/record_sink.h"

namespace morvit {

// A reading of the local clock, as the banner and the trailer print it.
struct Stamp {
  int month = 1;  // 1 to 12
  int day = 1;    // of the month
  int year = 1970;
  int hour = 0;  // 0 to 23
  int minute = 0;
  int second = 0;
};

Stamp read_stamp();

// The eight banner lines: an empty line, the title, four notice lines, the date line and
// another empty line.
void write_banner(RecordSink& sink, const Stamp& stamp);

// The seven trailer lines with the finishing time and the error and warning counts. The
// report's warning count is never raised: warnings are told on standard error, and the
// report stays as it is for them.
void write_trailer(RecordSink& sink, const Stamp& stamp, int error_count);

}  // namespace morvit
