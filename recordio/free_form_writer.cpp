#include "recordio/free_form_writer.h"

#include <string>

namespace morvit {

void write_free_form(RecordSink& sink, std::initializer_list<std::string_view> items) {
  std::string record;
  for (std::string_view item : items) {
    if (!record.empty() && record.size() + item.size() >= free_form_line_length) {
      sink.write_record(record);
      record.clear();
    }
    if (record.empty()) record.push_back(' ');
    record.append(item);
  }
  sink.write_record(record);
}

}  // namespace morvit
