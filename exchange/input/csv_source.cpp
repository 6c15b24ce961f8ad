#include "exchange/input/csv_source.h"

#include <limits>

#include "driver/diagnostics.h"
#include "system/file_reading.h"

namespace morvit {

bool read_csv_source(const std::string& name, CsvSource& source, std::ostream& err) {
  platform::FileSystem& system = platform::files();
  const bool standard_input = name == "-";
  const Place place{standard_input ? std::string("standard input") : name};
  int error = 0;
  const platform::Handle file = standard_input ? system.standard_input() : system.open_for_reading(name, error);
  if (file == platform::no_handle) {
    report(err,
           place,
           Severity::error,
           standard_input ? std::string("cannot read the CSV text: standard input is closed")
                          : "cannot read the file: " + system.error_text(error));
    return false;
  }
  const platform::FileStatus status = system.status(file);
  if (status.kind == platform::PathKind::directory) {
    if (!standard_input) system.close(file);
    report(err, place, Severity::error, "cannot read the file: it is a directory");
    return false;
  }
  const WholeRead read = read_to_end(file, source.text, std::numeric_limits<std::size_t>::max(), error);
  if (!standard_input) system.close(file);
  if (read != WholeRead::read) {
    report(err,
           place,
           Severity::error,
           std::string(standard_input ? "cannot read the CSV text: " : "cannot read the file: ") +
               system.error_text(error));
    return false;
  }
  if (status.kind == platform::PathKind::regular) source.file = status.identity;
  return true;
}

}  // namespace morvit
