#include "driver/report_redirect.h"

#include "driver/banner.h"
#include "driver/fatal_stop.h"
#include "driver/open_for_update.h"

namespace morvit {
namespace {

// "CON" and "PRN" followed by blanks name devices. Both are mapped to the standard
// output: the console, and for the printer the output stream of the job, which the user
// may pipe to a print spooler.
bool names_device(std::string_view name_field) {
  const std::string name = file_name_of(name_field);
  return name == "CON" || name == "PRN";
}

[[noreturn]] void stop_for(const ReportOpening& opening, const std::string& name) {
  switch (opening.problem) {
    case ReportOpening::Problem::is_command_file:
      throw FatalStop("the report file " + name + " is the command file; rename the command file");
    case ReportOpening::Problem::in_use:
      throw FatalStop("the report file " + name +
                      " is in use by another run of MORVIT; wait for it to end, or run in another directory");
    default: throw FatalStop("cannot open the report file " + name + " for writing: " + opening.reason);
  }
}

// A report file that the run replaces: every problem is a fatal stop.
void connect_replacing(RunContext& run, const std::string& name) {
  const ReportOpening opening = open_report_file(name, ReportPlacement::replacing, run.command_identity);
  if (opening.problem != ReportOpening::Problem::none) stop_for(opening, name);
  if (opening.on_disk) run.listener->report_file(name, opening.identity);
  run.report.connect_file(opening.file, name);
}

}  // namespace

void connect_main_report(RunContext& run) { connect_replacing(run, "morvit.out"); }

void connect_fallback_report(RunContext& run) { connect_replacing(run, "fort.6"); }

bool redirect_report(RunContext& run, std::string_view name_field, std::string& reason) {
  run.report.close();
  if (names_device(name_field)) {
    run.report.connect_console();
  } else {
    const ReportOpening opening =
        open_report_file(name_field, ReportPlacement::after_old_content, run.command_identity);
    if (opening.problem == ReportOpening::Problem::in_use) stop_for(opening, file_name_of(name_field));
    // A file that cannot be opened, or the command file itself (appending the report would
    // change the commands being read), gives the read-error message.
    if (opening.problem == ReportOpening::Problem::is_command_file) {
      reason = "it is the command file, which a report never writes into";
      return false;
    }
    if (opening.problem != ReportOpening::Problem::none) {
      reason = opening.reason;
      return false;
    }
    if (opening.on_disk) run.listener->report_file(file_name_of(name_field), opening.identity);
    run.report.connect_file(opening.file, file_name_of(name_field));
  }
  write_banner(run.report, read_stamp());
  return true;
}

}  // namespace morvit
