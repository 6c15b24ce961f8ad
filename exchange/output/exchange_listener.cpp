#include "exchange/output/exchange_listener.h"

#include <iterator>
#include <sstream>
#include <utility>

#include "driver/diagnostics.h"
#include "driver/run_driver.h"
#include "exchange/case_names.h"
#include "exchange/output/cases_csv.h"
#include "exchange/output/findings.h"
#include "exchange/output/html_page.h"
#include "exchange/output/output_names.h"
#include "exchange/output/row_assessment.h"
#include "exchange/output/table_csv.h"
#include "exchange/output_file.h"
#include "recordio/character_cut.h"

namespace morvit {

std::vector<NamedOutput> ExchangeOptions::outputs() const {
  std::vector<NamedOutput> named;
  if (!table_csv.empty()) named.push_back({"--table-csv", table_csv});
  if (!cases_csv.empty()) named.push_back({"--cases-csv", cases_csv});
  if (!html.empty()) named.push_back({"--html", html});
  return named;
}

bool check_output_names(const ExchangeOptions& options, std::ostream& err) {
  return check_output_names(options.outputs(), options.command_file, err);
}

ExchangeListener::ExchangeListener(ExchangeOptions options, std::ostream& err)
    : options_(std::move(options)), err_(err), files_in_use_(options_.command_file) {
  record_.command_file = options_.command_file;
  record_.level = options_.level;
  record_.levels = levels_shown(options_.level);
}

void ExchangeListener::warning(std::string_view line) { record_.warnings.emplace_back(line); }

void ExchangeListener::comment(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  record_.comments.emplace_back(text);
  take_name_from_comment(text, record_.names);
  files_in_use_.comment(text);
}

void ExchangeListener::report_file(std::string_view name, const platform::FileIdentity& identity) {
  files_in_use_.report_file(name, identity);
}

void ExchangeListener::results(const RunResults& results) {
  record_.reached_table = true;
  record_.case_count = results.case_count;
  record_.factor_count = results.factor_count;
  record_.measurement_error = results.measurement_error;
  record_.damping_factor = results.damping_factor;
  record_.expected_msd = results.expected_msd;
  record_.denominator_df = results.denominator_df;
  if (results.data == nullptr) return;
  // The columns one after the other, each as long as the run has cases.
  const auto cases = static_cast<std::ptrdiff_t>(results.case_count);
  for (int column = 0; column <= results.factor_count; ++column) {
    const double* x = results.data->x_column(column);
    const double* z = results.data->z_column(column);
    record_.x.insert(record_.x.end(), x, x + cases);
    record_.z.insert(record_.z.end(), z, z + cases);
  }
  record_.w.assign(results.data->weights(), results.data->weights() + cases);
}

void ExchangeListener::row(const TableRow& row) {
  RecordedRow& recorded = record_.rows.emplace_back();
  recorded.block = std::string(row.block);
  recorded.kind = row.kind;
  recorded.hypothesis = std::string(row.hypothesis);
  recorded.ssd = row.ssd;
  recorded.df = row.df;
  recorded.msd = row.msd;
  recorded.f = row.f;
  recorded.p = row.p;
  recorded.printed = row.printed;
  recorded.dfn = row.dfn;
  recorded.summed_ssd = row.summed_ssd;
}

void ExchangeListener::take_case_names(Diagnostics& diagnostics) {
  // Standard input has no side file.
  if (options_.command_file == standard_input_name) return;
  const std::string file = case_names_file(options_.command_file);
  std::string refused;
  std::optional<CaseNames> names = read_case_names(file, &refused);
  if (!refused.empty()) {
    diagnostics.warning(WarningKind::case_names_not_taken,
                        Place{file},
                        refused + "; it cannot be the side file of this command file and is passed over");
  }
  if (!names) return;
  if (const std::optional<platform::FileIdentity> source = recorded_source(*names)) files_in_use_.source(*source);
  if (!record_.reached_table) return;
  // A command file made without --cases has a side file all the same, for the maker's
  // records: it names no case (its first line counts none, or its names are all empty).
  bool any_name = false;
  for (const std::string& name : names->names) any_name = any_name || !name.empty();
  const bool without_names = !any_name;
  if (!without_names && names->names.size() != static_cast<std::size_t>(record_.case_count)) {
    diagnostics.warning(WarningKind::case_names_not_taken,
                        Place{file},
                        std::to_string(names->names.size()) + " case names for " + std::to_string(record_.case_count) +
                            " cases; the cases are shown without names");
    return;
  }
  // Names made with a command file name its data only: an older side file left beside a
  // newer command file of the same name says so by its fingerprint.
  if (names->has_origin && !record_.x.empty()) {
    DataFingerprint fingerprint;
    for (int i = 0; i < record_.case_count; ++i) {
      for (int column = 0; column <= record_.factor_count; ++column) fingerprint.add(record_.score(column, i));
    }
    if (fingerprint.value() != names->fingerprint || (!without_names && names->cases != record_.case_count)) {
      diagnostics.warning(WarningKind::case_names_not_taken,
                          Place{file},
                          without_names ? "the file was made for other data than this command file holds (an earlier "
                                          "command file of the same name?); the names in it are not used"
                                        : "the case names were made for other data than this command file holds (an "
                                          "earlier command file of the same name?); the cases are shown without names");
      return;
    }
  }
  take_written_names(names->records, record_.comments, record_.names);
  if (!without_names) record_.case_names = std::move(names->names);
}

bool ExchangeListener::take_listed_names(Diagnostics& diagnostics) {
  if (options_.names.empty() || !record_.reached_table) return true;
  ColumnNames listed;
  const int count = take_names_from_list(options_.names, listed);
  if (count != record_.factor_count) {
    report(err_,
           Place{},
           Severity::error,
           "--names lists " + std::to_string(count) + (count == 1 ? " name" : " names") + " for the " +
               std::to_string(record_.factor_count) + (record_.factor_count == 1 ? " factor" : " factors") +
               " of this run: it takes one name for each factor letter, " + factor_letters(record_.factor_count) +
               ", in this order (the outcome's name is not one of them: it comes from the command file's comment "
               "\"OUTCOME = NAME\"); nothing was written beside the report");
    return false;
  }
  // Each name within the room a factor's name has in its comment line, as names read from
  // the comments are.
  for (int j = 0; j < count; ++j) {
    std::string& name = listed.factors[static_cast<std::size_t>(j)];
    if (name.size() <= max_factor_name_bytes) continue;
    diagnostics.warning(WarningKind::name_cut,
                        Place{},
                        "--names: the name of factor " + std::string(1, factor_letter(j + 1)) + " has " +
                            std::to_string(name.size()) + " bytes; it is cut to at most " +
                            std::to_string(max_factor_name_bytes) + ", as in a comment line");
    name = std::string(cut_at_character(name, max_factor_name_bytes));
    listed.as_written.factors[static_cast<std::size_t>(j)] = name;
  }
  record_.names.factors = listed.factors;
  record_.names.as_written.factors = listed.as_written.factors;
  return true;
}

std::vector<std::string> ExchangeListener::shown_outputs() const {
  std::vector<std::string> shown;
  for (const NamedOutput& output : options_.outputs()) shown.push_back(std::string(output.option) + " " + output.name);
  return shown;
}

void ExchangeListener::stopped(std::string_view why) { report_not_written(err_, Place{}, why, shown_outputs()); }

void ExchangeListener::finished(bool table_written, Diagnostics& diagnostics) {
  record_.reached_table = record_.reached_table && table_written;
  take_case_names(diagnostics);
  if (!take_listed_names(diagnostics)) {
    status_ = 2;
    return;
  }
  if (record_.reached_table) assess_rows(record_);
  if (!record_.reached_table) {
    diagnostics.warning(WarningKind::run_without_table,
                        Place{options_.command_file},
                        "the run ended without a table (see the report); the files asked for say only that");
  }
  // A file the run turned out to need (a report it wrote, the data the command file was
  // made from) is never written over, and then no output is: they are written all or none.
  bool clashed = false;
  for (const NamedOutput& output : options_.outputs()) {
    if (const std::string clash = files_in_use_.clash(output.name); !clash.empty()) {
      report(err_,
             Place{},
             Severity::error,
             std::string(output.option) + " " + output.name + ": this " + clash + "; choose another file name");
      clashed = true;
    }
  }
  if (clashed) {
    report_not_written(err_, Place{}, "an output would take the place of a file the run needs", shown_outputs());
    status_ = 2;
    return;
  }
  const auto text = [&](void (*body)(std::ostream&, const RunRecord&)) {
    std::ostringstream out;
    body(out, record_);
    return std::move(out).str();
  };
  std::vector<PlannedOutput> planned;
  for (const NamedOutput& output : options_.outputs()) {
    void (*body)(std::ostream&, const RunRecord&) = output.option == "--table-csv"   ? write_table_csv
                                                    : output.option == "--cases-csv" ? write_cases_csv
                                                                                     : write_html_page;
    planned.push_back({std::string(output.option) + " " + output.name, output.name, text(body)});
  }
  if (!write_together(planned, err_)) status_ = 2;
}

void ExchangeListener::tell_findings(std::ostream& out, platform::Handle out_file) const {
  if (!record_.reached_table || status_ != 0 || (options_.table_csv.empty() && options_.html.empty())) return;
  // Findings are not written into an output that standard output is (--html /dev/stdout).
  platform::FileSystem& system = platform::files();
  const platform::FileStatus out_status = system.status(out_file);
  for (const std::string* name : {&options_.table_csv, &options_.html}) {
    if (name->empty()) continue;
    const platform::FileStatus status = system.status(*name, /*follow_links=*/true);
    if (status.kind != platform::PathKind::missing && status.kind != platform::PathKind::unknown &&
        status.identity == out_status.identity) {
      return;
    }
  }
  write_findings(out, record_);
  out.flush();
}

}  // namespace morvit
