#include "exchange/output/exchange_listener.h"

#include <iterator>
#include <utility>

#include "exchange/c_stream.h"
#include "exchange/case_names.h"
#include "exchange/output/cases_csv.h"
#include "exchange/output/findings.h"
#include "driver/diagnostics.h"
#include "exchange/output/html_page.h"
#include "exchange/output/row_assessment.h"
#include "exchange/output_file.h"
#include "exchange/output/output_names.h"
#include "exchange/output/table_csv.h"

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
}

void ExchangeListener::take_case_names(Diagnostics& diagnostics) {
  const std::string file = case_names_file(options_.command_file);
  std::optional<CaseNames> names = read_case_names(file);
  if (!names || !record_.reached_table) return;
  // A command file made without --cases has a side file all the same, for the maker's
  // records; its first line counts no name.
  const bool without_names = names->has_origin && names->cases == 0 && names->names.empty();
  if (!without_names && names->names.size() != static_cast<std::size_t>(record_.case_count)) {
    diagnostics.warning(WarningKind::case_names_not_taken, Place{file},
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
      diagnostics.warning(WarningKind::case_names_not_taken, Place{file},
                          without_names ? "the file was made for other data than this command file holds (an earlier "
                                          "command file of the same name?); the names in it are not used"
                                        : "the case names were made for other data than this command file holds (an "
                                          "earlier command file of the same name?); the cases are shown without names");
      return;
    }
  }
  take_written_names(names->records, record_.comments, record_.names);
  record_.case_names = std::move(names->names);
}

bool ExchangeListener::take_listed_names() {
  if (options_.names.empty() || !record_.reached_table) return true;
  ColumnNames listed;
  const int count = take_names_from_list(options_.names, listed);
  if (count != record_.factor_count) {
    report(err_, Place{}, Severity::error,
           "--names lists " + std::to_string(count) + (count == 1 ? " name" : " names") + " for the " +
               std::to_string(record_.factor_count) + (record_.factor_count == 1 ? " factor" : " factors") +
               " of this run: it takes one name for each factor letter, " + factor_letters(record_.factor_count) +
               ", in this order (the outcome's name is not one of them: it comes from the command file's comment "
               "\"OUTCOME = NAME\"); nothing was written beside the report");
    return false;
  }
  record_.names.factors = listed.factors;
  record_.names.as_written.factors = listed.as_written.factors;
  return true;
}

void ExchangeListener::finished(bool table_written, Diagnostics& diagnostics) {
  record_.reached_table = record_.reached_table && table_written;
  take_case_names(diagnostics);
  if (!take_listed_names()) {
    status_ = 2;
    return;
  }
  if (record_.reached_table) assess_rows(record_);
  if (!record_.reached_table) {
    diagnostics.warning(WarningKind::run_without_table, Place{options_.command_file},
                        "the run ended without a table (see the report); the files asked for say only that");
  }
  // A file the run turned out to need (a report it wrote, the data the command file was
  // made from) is never written over; the other outputs still are.
  const auto write = [&](std::string_view option, const std::string& name,
                         void (*body)(std::ostream&, const RunRecord&)) {
    if (name.empty()) return;
    if (const std::string clash = files_in_use_.clash(name); !clash.empty()) {
      report(err_, Place{}, Severity::error,
             std::string(option) + " " + name + ": this " + clash + "; it was not written; choose another file name");
      status_ = 2;
      return;
    }
    if (!write_file(name, [&](std::ostream& out) { body(out, record_); }, err_)) status_ = 2;
  };
  write("--table-csv", options_.table_csv, write_table_csv);
  write("--cases-csv", options_.cases_csv, write_cases_csv);
  write("--html", options_.html, write_html_page);
}

void ExchangeListener::tell_findings(std::ostream& out, platform::Handle out_file) const {
  if (!record_.reached_table || status_ != 0 || (options_.table_csv.empty() && options_.html.empty())) return;
  const platform::FileIdentity out_identity = platform::identity(out_file);
  for (const std::string* name : {&options_.table_csv, &options_.html}) {
    platform::FileIdentity identity;
    if (!name->empty() && platform::path_identity(*name, identity) && identity == out_identity) return;
  }
  write_findings(out, record_);
  out.flush();
}

void ExchangeListener::tell_findings() const {
  CStream out(stdout);
  tell_findings(out, platform::standard_output());
}

}  // namespace morvit
