#include "exchange/input/command_file_pair.h"

#include <optional>
#include <string>

#include "driver/diagnostics.h"
#include "exchange/output_file.h"
#include "system/interrupts.h"
#include "system/platform.h"

namespace morvit {
namespace {

// The identity of the file on disk a name stands for, if it is one.
std::optional<platform::FileIdentity> file_on_disk(const std::string& name) {
  const platform::FileStatus status = platform::files().status(name, /*follow_links=*/true);
  if (status.kind != platform::PathKind::regular) return std::nullopt;
  return status.identity;
}

// To standard output: the command file alone.
MakerOutcome write_to_standard_output(const MakerOptions& options, const MadeCommandFile& made, std::ostream& out,
                                      std::ostream& err) {
  // Standard output can pass the file size limit too: that is a failed write, told as such.
  CriticalSection critical;
  out << made.text;
  out.flush();
  if (!out) {
    forget_file_size_interruption();
    report(err, Place{}, Severity::error, "cannot write the command file to standard output");
    return MakerOutcome::refused;
  }
  if (!options.cases.empty()) {
    report(err,
           Place{},
           Severity::warning,
           "the case names are kept only with -o FILE, in FILE.cases beside the command file");
  }
  return MakerOutcome::made;
}

}  // namespace

MakerOutcome write_made_command_file(const MakerOptions& options, const MadeCommandFile& made,
                                     const std::vector<SideRecord>& records, std::ostream& out, std::ostream& err) {
  // "-o -" is standard output, as "-" reads standard input.
  if (options.output.empty() || options.output == "-") return write_to_standard_output(options, made, out, err);

  const std::string& output = options.output;
  const std::string side_file = case_names_file(output);
  const platform::FileStatus target = platform::files().status(output, /*follow_links=*/true);
  // The side file belongs beside a file on disk only: never /dev/null.cases.
  const bool beside_file = target.kind == platform::PathKind::regular || target.kind == platform::PathKind::missing;
  const auto refuse = [&](const std::string& name, const std::string& what) {
    report(err, Place{name}, Severity::error, what);
    return MakerOutcome::refused;
  };
  if (made.source && file_on_disk(output) == made.source) {
    return refuse(output, "this is the CSV file being read; the command file must go to another file");
  }
  if (beside_file && made.source && file_on_disk(side_file) == made.source) {
    return refuse(side_file, "this is the CSV file being read; the command file's case names must go to another file");
  }
  if (beside_file && same_file(output, side_file)) {
    return refuse(side_file,
                  "this is the command file " + output +
                      " itself (a link?); the command file and its case names must be two files");
  }

  std::vector<PlannedOutput> planned = {{"the command file " + output, output, made.text}};
  if (beside_file) {
    // Without --cases the side file still holds the maker's records (the names as written,
    // where the command file came from); its origin line then counts no name.
    planned.push_back(
        {"its case names " + side_file, side_file, case_names_text(made.case_names, made.fingerprint, records)});
  } else if (!options.cases.empty()) {
    report(err,
           Place{output},
           Severity::warning,
           "this is no file on disk (a device or FIFO): the case names, kept in FILE.cases beside a command file on "
           "disk, are left out");
  }
  return write_together(planned, err) ? MakerOutcome::made : MakerOutcome::refused;
}

}  // namespace morvit
