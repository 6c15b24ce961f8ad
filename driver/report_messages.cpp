#include "driver/report_messages.h"

#include "recordio/format.h"
#include "recordio/formatted_writer.h"
#include "recordio/free_form_writer.h"

namespace morvit {

void report_error(RunContext& run, std::initializer_list<std::string_view> messages, std::string_view echoed_line) {
  static const Format error_line("(1X,7H++ERROR)");
  write_formatted(run.report, error_line, {});
  for (std::string_view message : messages) write_free_form(run.report, {message});
  if (!echoed_line.empty()) write_free_form(run.report, {"  ", echoed_line});
  write_formatted(run.report, error_line, {});
  ++run.error_count;
}

void report_end_of_file(RunContext& run) {
  report_error(run,
               {"  END-OF-FILE ENCOUNTERED BEFORE FINISH STATEMENT.",
                "  INPUT COMMAND FILE MAY BE CORRUPT.",
                "  ALSO CHECK ANY FILES REFERENCED BY INPUT COMMAND FILE."});
}

void report_read_error(RunContext& run) {
  report_error(run,
               {"  GENERAL READ ERROR.",
                "  INPUT COMMAND FILE MAY BE CORRUPT.",
                "  ALSO CHECK ANY FILES REFERENCED BY INPUT COMMAND FILE."});
}

}  // namespace morvit
