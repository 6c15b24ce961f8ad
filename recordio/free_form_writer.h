#pragma once

#include <initializer_list>
#include <string_view>

#include "recordio/record_sink.h"

namespace morvit {

// Longest record of free-form output, in columns.
inline constexpr std::size_t free_form_line_length = 80;

// One free-form output statement of character items. Every record starts with one blank;
// an item that would bring a record already holding characters to 80 columns or more
// starts a new record; an item is never split, and items follow each other without
// separators. No items at all give one empty record.
void write_free_form(RecordSink& sink, std::initializer_list<std::string_view> items);

}  // namespace morvit
