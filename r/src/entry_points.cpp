// The calls the package's R functions make. Each translates R values into what the
// command line passes to the project's code and the results back into R values; the
// numbers are all computed by the project's own code, as the command line computes them.
#include <Rcpp.h>

#include <array>
#include <cmath>
#include <memory>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/block_membership.h"
#include "data_csv.h"
#include "driver/diagnostics.h"
#include "driver/run_driver.h"
#include "exchange/input/calibration_thresholds.h"
#include "exchange/input/command_file_maker.h"
#include "exchange/output/cases_csv.h"
#include "exchange/output/csv_fields.h"
#include "exchange/output/exchange_listener.h"
#include "exchange_csv.h"
#include "measures/calibration.h"
#include "recordio/number_text.h"
#include "standard_streams.h"

namespace {

Rcpp::CharacterVector r_strings(const std::vector<std::string>& texts) {
  Rcpp::CharacterVector strings(texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) SET_STRING_ELT(strings, static_cast<R_xlen_t>(i), r_string(texts[i]));
  return strings;
}

Rcpp::String r_text(const std::string& text) { return Rcpp::String(r_string(text)); }

// The cases as --cases-csv gives them, taken from what the run handed its outputs rather
// than from the file: the file holds each double in the shortest text that reads back to
// it, so the two are the same values (a missing number, NaN, is an empty field there and NA
// here; so is an empty name). The headers are the file's.
Rcpp::List cases_frame(const morvit::RunRecord& run) {
  const std::vector<std::string> headers = morvit::cases_csv_header(run);
  const R_xlen_t cases = run.x.empty() ? 0 : run.case_count;
  const auto number = [](double value) { return std::isnan(value) ? NA_REAL : value; };
  Rcpp::List frame(static_cast<R_xlen_t>(headers.size()));
  Rcpp::NumericVector numbers(cases);
  for (R_xlen_t i = 0; i < cases; ++i) numbers[i] = static_cast<double>(i + 1);
  frame[0] = numbers;
  Rcpp::CharacterVector names(cases);
  const bool named = run.case_names.size() == static_cast<std::size_t>(run.case_count);
  for (R_xlen_t i = 0; i < cases; ++i) {
    const std::string* name = named ? &run.case_names[static_cast<std::size_t>(i)] : nullptr;
    SET_STRING_ELT(names, i, name == nullptr || name->empty() ? NA_STRING : r_string(*name));
  }
  frame[1] = names;
  Rcpp::NumericVector weights(cases);
  for (R_xlen_t i = 0; i < cases; ++i) weights[i] = number(run.w[static_cast<std::size_t>(i)]);
  frame[2] = weights;
  for (int column = 0; column <= run.factor_count && 4 + 2 * column < static_cast<int>(headers.size()); ++column) {
    Rcpp::NumericVector scores(cases);
    Rcpp::NumericVector z(cases);
    for (R_xlen_t i = 0; i < cases; ++i) {
      scores[i] = number(run.score(column, static_cast<int>(i)));
      z[i] = number(run.z_score(column, static_cast<int>(i)));
    }
    frame[3 + 2 * column] = scores;
    frame[4 + 2 * column] = z;
  }
  frame.attr("names") = r_strings(headers);
  frame.attr("class") = "data.frame";
  frame.attr("row.names") = Rcpp::IntegerVector::create(NA_INTEGER, -static_cast<int>(cases));
  return frame;
}

}  // namespace

// Writes the columns a run uses as the CSV file the command line would be given: the
// numeric columns in order, and before them the case names when there are any.
// [[Rcpp::export(name = ".write_data_csv")]]
void write_data_csv(const std::string& path, Rcpp::List numbers, Rcpp::CharacterVector headers,
                    Rcpp::Nullable<Rcpp::CharacterVector> case_names, const std::string& case_header) {
  const R_xlen_t rows = numbers.size() > 0 ? Rf_xlength(numbers[0]) : 0;
  std::vector<NumberColumn> columns;
  for (R_xlen_t j = 0; j < numbers.size(); ++j) {
    SEXP values = numbers[j];
    if (TYPEOF(values) != REALSXP || Rf_xlength(values) != rows)
      Rcpp::stop("internal: columns of doubles of one length");
    columns.push_back({Rcpp::as<std::string>(headers[j]), REAL(values)});
  }
  TextColumn names;
  if (case_names.isNotNull()) {
    Rcpp::CharacterVector given(case_names.get());
    names.header = case_header;
    names.values.reserve(static_cast<std::size_t>(given.size()));
    for (R_xlen_t i = 0; i < given.size(); ++i) {
      const bool missing = Rcpp::CharacterVector::is_na(given[i]);
      names.missing.push_back(missing);
      names.values.push_back(missing ? std::string() : Rcpp::as<std::string>(given[i]));
    }
  }
  const std::string text =
      data_csv_text(static_cast<std::size_t>(rows), columns, case_names.isNotNull() ? &names : nullptr);
  if (!write_text_file(path, text)) Rcpp::stop("cannot write " + path);
}

// `morvit --make-command-file`: the command file and its case names, written as the
// command line writes them, and what the maker said (its warnings, or why it refused the
// data). `options` holds what the command line's options would: data_file, outcome,
// factors, weights, cases, mer, dam, calibrate (a named list of "E,C,I" texts), title,
// drop_missing and output; the absent ones are NULL.
// [[Rcpp::export(name = ".make_command_file")]]
Rcpp::List call_maker(const Rcpp::List& options) {
  Rcpp::checkUserInterrupt();
  const auto text = [&](const char* name) {
    return options.containsElementNamed(name) && !Rf_isNull(options[name]) ? Rcpp::as<std::string>(options[name])
                                                                           : std::string();
  };
  const auto number = [&](const char* name) -> std::optional<double> {
    if (!options.containsElementNamed(name) || Rf_isNull(options[name])) return std::nullopt;
    return Rcpp::as<double>(options[name]);
  };
  morvit::MakerOptions maker;
  maker.data_file = text("data_file");
  maker.outcome = text("outcome");
  maker.factors = Rcpp::as<std::vector<std::string>>(options["factors"]);
  maker.weights = text("weights");
  maker.cases = text("cases");
  maker.mer = number("mer");
  maker.dam = number("dam");
  maker.title = text("title");
  maker.drop_missing = options.containsElementNamed("drop_missing") && Rcpp::as<bool>(options["drop_missing"]);
  maker.output = text("output");
  if (options.containsElementNamed("calibrate") && !Rf_isNull(options["calibrate"])) {
    const Rcpp::List calibrate = options["calibrate"];
    const Rcpp::CharacterVector columns = calibrate.names();
    for (R_xlen_t i = 0; i < calibrate.size(); ++i) {
      maker.calibrations.push_back({Rcpp::as<std::string>(columns[i]), Rcpp::as<std::string>(calibrate[i])});
    }
  }
  std::ostringstream out;
  std::ostringstream err;
  const morvit::MakerOutcome outcome = morvit::make_command_file(maker, out, err);
  Rcpp::checkUserInterrupt();
  const char* outcome_word = outcome == morvit::MakerOutcome::made ? "made" : "refused";
  return Rcpp::List::create(Rcpp::Named("outcome") = outcome_word, Rcpp::Named("messages") = r_text(err.str()));
}

// `morvit --table-csv TABLE --html PAGE [--names NAMES] [--level LEVEL] COMMAND-FILE` in
// the working directory, as a hosted run, with the cases as --cases-csv would write them:
// what the run tells on its standard streams goes to the two files named last.
// Interruptions are looked for before and after the run, which takes well under a second
// for the largest data.
// [[Rcpp::export(name = ".run_command_file")]]
Rcpp::List run_command_file(const std::string& command_file, const std::string& table_csv, const std::string& html,
                            const std::string& names, double level, const std::string& output_file,
                            const std::string& error_file) {
  morvit::ExchangeOptions outputs;
  outputs.command_file = command_file;
  outputs.table_csv = table_csv;
  outputs.html = html;
  outputs.names = names;
  outputs.level = level;
  std::ostringstream err;
  std::unique_ptr<morvit::ExchangeListener> listener;
  int status = 2;
  Rcpp::checkUserInterrupt();
  {
    StandardStreamsCapture capture(output_file, error_file);
    if (morvit::check_output_names(outputs, err)) {
      listener = std::make_unique<morvit::ExchangeListener>(outputs, err);
      morvit::RunOptions options;
      options.command_file = command_file;
      options.listener = listener.get();
      options.hosted = true;
      status = morvit::run_morvit(options);
    }
  }
  Rcpp::checkUserInterrupt();

  Rcpp::List result = Rcpp::List::create(Rcpp::Named("status") = status, Rcpp::Named("messages") = r_text(err.str()));
  if (!listener) return result;
  const morvit::RunRecord& run = listener->record();
  std::vector<std::string> column_names{run.names.outcome};
  for (int j = 0; j < run.factor_count && j < static_cast<int>(run.names.factors.size()); ++j) {
    column_names.push_back(run.names.factors[static_cast<std::size_t>(j)]);
  }
  result["output_status"] = listener->status();
  result["warnings"] = r_strings(run.warnings);
  result["reached_table"] = run.reached_table;
  result["summary"] = Rcpp::List::create(Rcpp::Named("cases") = run.case_count,
                                         Rcpp::Named("factors") = run.factor_count,
                                         Rcpp::Named("denominator_df") = run.denominator_df,
                                         Rcpp::Named("mer") = run.measurement_error,
                                         Rcpp::Named("expected_msd") = run.expected_msd,
                                         Rcpp::Named("dam") = run.damping_factor);
  result["names"] = r_strings(column_names);
  result["cases"] = cases_frame(run);
  return result;
}

// [[Rcpp::export(name = ".read_exchange_csv")]]
Rcpp::List read_output_csv(const std::string& path, const std::vector<std::string>& kinds) {
  std::vector<ColumnKind> column_kinds;
  for (const std::string& kind : kinds) {
    column_kinds.push_back(kind == "text"      ? ColumnKind::text
                           : kind == "logical" ? ColumnKind::logical
                                               : ColumnKind::number);
  }
  return read_exchange_csv(path, column_kinds);
}

// The records of a report file: its lines without their CR LF ends.
// [[Rcpp::export(name = ".read_report")]]
Rcpp::CharacterVector read_report(const std::string& path) {
  const std::string text = read_text_file(path);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return r_strings(lines);
}

// [[Rcpp::export(name = ".read_text")]]
Rcpp::String read_text(const std::string& path) { return r_text(read_text_file(path)); }

// [[Rcpp::export(name = ".write_text")]]
void write_text(const std::string& path, const std::string& text) {
  if (!write_text_file(path, text)) Rcpp::stop("cannot write the file " + path);
}

// The shortest text that reads back to each double, as the command files and the CSV
// files write numbers ("Inf", "-Inf"); NA for NA and NaN.
// [[Rcpp::export(name = ".number_texts")]]
Rcpp::CharacterVector number_texts(Rcpp::NumericVector values) {
  Rcpp::CharacterVector texts(values.size());
  for (R_xlen_t i = 0; i < values.size(); ++i) {
    if (std::isnan(values[i])) {
      texts[i] = NA_STRING;
    } else {
      texts[i] = morvit::csv_number(values[i]);
    }
  }
  return texts;
}

// Calibration by the direct method, as --calibrate: the thresholds are read from their
// shortest texts by the maker's own reader, so that they are refused with its words, and
// each raw value becomes the membership the command file would hold. NA stays NA.
// [[Rcpp::export(name = ".calibrate_direct")]]
Rcpp::NumericVector calibrate_direct(Rcpp::NumericVector raw, Rcpp::NumericVector thresholds) {
  std::string text;
  for (R_xlen_t i = 0; i < thresholds.size(); ++i) text += (i == 0 ? "" : ",") + morvit::number_text(thresholds[i]);
  const morvit::ThresholdsRead read = morvit::read_thresholds(text);
  if (!read.thresholds) Rcpp::stop(read.problem);
  Rcpp::NumericVector memberships(raw.size());
  for (R_xlen_t i = 0; i < raw.size(); ++i) {
    memberships[i] = std::isnan(raw[i]) ? NA_REAL : morvit::calibrated_membership(raw[i], *read.thresholds);
  }
  return memberships;
}

// The points of a block's two X-Y plots, case by case: its membership as read (the
// smallest of its factors') and its z-score as the table takes it (the smallest of its
// factors' z-scores, rounded to single precision for three factors or more), and the side
// of the diagonal the table puts the case on: 1 above (the outcome's z-score higher:
// against NECESSARY), -1 below (against SUFFICIENT), 0 on it. `scores` and `z` hold the
// outcome's column, then factor A's, B's, ...
// [[Rcpp::export(name = ".block_points")]]
Rcpp::List block_points(Rcpp::List scores, Rcpp::List z, const std::string& block) {
  const R_xlen_t columns = scores.size();
  if (columns < 2 || columns > 11 || z.size() != columns) Rcpp::stop("internal: the outcome and 1 to 10 factors");
  const R_xlen_t cases = Rf_xlength(scores[0]);
  std::vector<const double*> x_columns;
  std::vector<const double*> z_columns;
  for (R_xlen_t j = 0; j < columns; ++j) {
    x_columns.push_back(REAL(scores[j]));
    z_columns.push_back(REAL(z[j]));
  }
  Rcpp::NumericVector membership(cases);
  Rcpp::NumericVector membership_z(cases);
  Rcpp::IntegerVector side(cases);
  std::array<double, 11> x_row{};
  std::array<double, 11> z_row{};
  for (R_xlen_t i = 0; i < cases; ++i) {
    for (R_xlen_t j = 0; j < columns; ++j) {
      x_row[static_cast<std::size_t>(j)] = x_columns[static_cast<std::size_t>(j)][i];
      z_row[static_cast<std::size_t>(j)] = z_columns[static_cast<std::size_t>(j)][i];
    }
    const auto count = static_cast<std::size_t>(columns);
    membership[i] = morvit::block_membership(block, std::span<const double>(x_row.data(), count), false);
    membership_z[i] = morvit::block_membership(block, std::span<const double>(z_row.data(), count), true);
    const double outcome_z = z_row[0];
    side[i] = outcome_z > membership_z[i] ? 1 : outcome_z < membership_z[i] ? -1 : 0;
  }
  return Rcpp::List::create(
      Rcpp::Named("membership") = membership, Rcpp::Named("membership_z") = membership_z, Rcpp::Named("side") = side);
}
