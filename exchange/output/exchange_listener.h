#pragma once

#include <ostream>
#include <string>

#include "driver/run_listener.h"
#include "exchange/output/output_names.h"
#include "exchange/output/run_record.h"

namespace morvit {

// The outputs a run is asked to write beside its report.
struct ExchangeOptions {
  std::string command_file;  // as named on the command line
  std::string table_csv;     // --table-csv FILE
  std::string cases_csv;     // --cases-csv FILE
  std::string html;          // --html FILE
  std::string names;         // --names LIST
  double level = 0.05;       // --level P: the level of the table CSV's critical measurement error
  bool any_output() const { return !table_csv.empty() || !cases_csv.empty() || !html.empty(); }
  // The outputs asked for, in the order they are written.
  std::vector<NamedOutput> outputs() const;
};

// Before the run: see check_output_names in output_names.h.
bool check_output_names(const ExchangeOptions& options, std::ostream& err);

// Follows a run and, when it has reached its end, writes the outputs asked for: the table
// CSV, the cases CSV and the HTML page, together (every one of them or none). A run that
// ends without a table still writes them (the CSV files with their header lines only, the
// page with a notice) with a warning, so that no earlier file of the same name is taken for
// this run's result; a run that stops before its end says which were not written. The case
// names come from the command file's side file, the column names from its comments (as
// written, from the side file's records) or --names. A --names list that does not give one
// name for each factor is an error: nothing is written beside the report (status 2).
class ExchangeListener : public RunListener, private TableObserver {
 public:
  ExchangeListener(ExchangeOptions options, std::ostream& err);

  void comment(std::string_view text) override;
  void report_file(std::string_view name, const platform::FileIdentity& identity) override;
  void warning(std::string_view line) override;
  void results(const RunResults& results) override;
  TableObserver* table_observer() override { return this; }
  void finished(bool table_written, Diagnostics& diagnostics) override;
  // Says which outputs were not written, and why.
  void stopped(std::string_view why) override;

  // After the run, when it reached its table and wrote every output asked for, a table CSV
  // or a page among them: its findings, briefly (findings.h). Nothing when one of those
  // outputs is `out`'s own file (a page written to standard output).
  void tell_findings(std::ostream& out, platform::Handle out_file) const;

  // 0, or 2 when an output could not be written.
  int status() const { return status_; }
  // What was gathered (for tests).
  const RunRecord& record() const { return record_; }

 private:
  void row(const TableRow& row) override;
  void take_case_names(Diagnostics& diagnostics);
  // The names of --names, when there is one for each factor; otherwise says so (false).
  bool take_listed_names(Diagnostics& diagnostics);
  // The outputs as messages name them: "--html page.html".
  std::vector<std::string> shown_outputs() const;

  ExchangeOptions options_;
  std::ostream& err_;
  RunRecord record_;
  FilesInUse files_in_use_;
  int status_ = 0;
};

}  // namespace morvit
