#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "system/platform.h"

namespace morvit {

// An output a run is asked to write beside its report: the option that names it, and the
// name as given.
struct NamedOutput {
  std::string_view option;  // "--table-csv", "--cases-csv", "--html"
  std::string name;
};

// Before the run: every output must go to a file of its own, which is not the command file
// (standard input, for "-"), its case names, the report morvit.out or the fallback report
// fort.6 (symbolic links followed, also those that lead nowhere yet). Devices and FIFOs are
// no files of their own: two outputs onto the null device do not clash. Says what is wrong
// on `err` and returns false otherwise.
bool check_output_names(const std::vector<NamedOutput>& outputs, const std::string& command_file, std::ostream& err);

// The files a run turned out to need, known only while it runs: the report files on disk it
// wrote into (OUT, and the fallback), and the CSV file the command file was made from: the
// file whose identity the side file records (#MORVIT SOURCE), or, for a command file made
// without a side file (to standard output), the file its comment "DATA: NAME (...)" names
// (read in capitals, beside the command file or in the working directory).
class FilesInUse {
 public:
  explicit FilesInUse(std::string command_file) : command_file_(std::move(command_file)) {}

  void report_file(std::string_view name, const platform::FileIdentity& identity);
  // Takes the CSV file's name from a comment text (without its trailing blanks), if it is one.
  void comment(std::string_view text);
  // The identity of the CSV file, as the side file records it.
  void source(const platform::FileIdentity& identity) { source_ = identity; }

  // Why the output `name` must not be written ("is the report file REP.OUT that the run
  // writes through OUT"), or empty when it may.
  std::string clash(const std::string& name) const;

 private:
  struct WrittenReport {
    std::string name;
    platform::FileIdentity identity;
    std::string path;
  };
  std::string command_file_;
  std::vector<WrittenReport> reports_;
  std::string data_file_;  // in capitals, without directories
  std::optional<platform::FileIdentity> source_;
};

}  // namespace morvit
