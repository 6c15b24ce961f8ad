#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "recordio/format.h"
#include "recordio/record_sink.h"

namespace morvit {

// One data item of a formatted write: an integer, a single or double precision real,
// or a character string.
struct OutputItem {
  enum class Kind : std::uint8_t { integer, single_real, double_real, text };

  OutputItem(int value) : kind(Kind::integer), integer(value) {}
  OutputItem(long value) : kind(Kind::integer), integer(value) {}
  OutputItem(long long value) : kind(Kind::integer), integer(value) {}
  OutputItem(float value) : kind(Kind::single_real), real(value) {}  // widened exactly
  OutputItem(double value) : kind(Kind::double_real), real(value) {}
  OutputItem(std::string_view value) : kind(Kind::text), text(value) {}
  OutputItem(const char* value) : kind(Kind::text), text(value) {}
  OutputItem(const std::string& value) : kind(Kind::text), text(value) {}

  Kind kind;
  std::int64_t integer = 0;
  double real = 0.0;
  std::string_view text;
};

// One formatted output statement: lays the items out by `format` and hands every
// finished record to `sink`. Literals, moves and slashes are carried out as they are met;
// after the last item, scanning goes on to the next data descriptor or the end of the
// format, and the record in hand is ended. A move is carried out only when something is
// placed after it in the same record.
void write_formatted(RecordSink& sink, const Format& format, std::initializer_list<OutputItem> items);

}  // namespace morvit
