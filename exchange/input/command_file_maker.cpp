#include "exchange/input/command_file_maker.h"

#include <filesystem>
#include <fstream>
#include <cstdio>
#include <sstream>

#include "driver/data_matrix.h"
#include "exchange/case_names.h"
#include "exchange/column_names.h"
#include "exchange/input/csv_reader.h"
#include "exchange/diagnostics.h"
#include "exchange/number_text.h"
#include "driver/interrupts.h"
#include "driver/output_replacement.h"
#include "exchange/output_file.h"

namespace morvit {
namespace {

// A COM line holds its text in columns 8 to 80.
constexpr std::size_t comment_width = 73;
// Warnings about single values, before they are only counted.
constexpr int warnings_shown = 10;

// A column that the options choose, and for what.
struct ChosenColumn {
  std::string role;  // "--outcome", "--factors", "--weights", "--cases"
  std::string wanted;
  std::size_t index = 0;  // in the header
  std::string name;       // as the header spells it
};

std::string upper_ascii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

// Text for a COM line: control characters as blanks.
std::string comment_text(std::string_view text) {
  std::string clean(text);
  for (char& c : clean) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
  }
  return clean;
}

// The title in lines of at most 73 characters, broken at blanks where it can be.
std::vector<std::string> wrapped(std::string_view text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream words{std::string(text)};
  std::string word;
  while (words >> word) {
    while (word.size() > comment_width) {
      if (!line.empty()) lines.push_back(std::move(line));
      line.clear();
      lines.push_back(word.substr(0, comment_width));
      word.erase(0, comment_width);
    }
    if (!line.empty() && line.size() + 1 + word.size() > comment_width) {
      lines.push_back(std::move(line));
      line.clear();
    }
    if (!line.empty()) line += ' ';
    line += word;
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

class Maker {
 public:
  Maker(const MakerOptions& options, const std::string& shown_name, std::ostream& err)
      : options_(options), file_(shown_name), err_(err) {}

  MadeCommandFile make(std::string_view csv_text);

 private:
  [[noreturn]] void refuse(long line, long column, const std::string& what) const {
    throw ConversionRefused(diagnostic(Place{file_, line, column}, Severity::error, what));
  }
  void warn(long line, long column, const std::string& what) const {
    report(err_, Place{file_, line, column}, Severity::warning, what);
  }

  void choose_columns(const CsvRecord& header);
  std::size_t find_column(const CsvRecord& header, const std::string& wanted) const;
  bool read_row(const CsvRecord& record, long row);
  std::string row_words(const CsvRecord& record, long row) const;
  std::string build_text() const;

  const MakerOptions& options_;
  std::string file_;
  std::ostream& err_;
  bool decimal_comma_ = false;
  std::size_t header_size_ = 0;

  std::vector<ChosenColumn> numeric_;  // outcome, factors, weights (when chosen)
  std::optional<ChosenColumn> cases_;

  std::vector<double> values_;  // case by case: outcome, then the factors
  std::vector<double> weights_;
  std::vector<std::string> names_;
  int case_count_ = 0;
  std::vector<long> dropped_rows_;
  int outside_count_ = 0;
};

std::size_t Maker::find_column(const CsvRecord& header, const std::string& wanted) const {
  const std::string key = upper_ascii(wanted);
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < header.size(); ++i) {
    if (upper_ascii(trimmed(header[i].text)) == key) found.push_back(i);
  }
  if (found.size() > 1) {
    refuse(header[found[1]].line, header[found[1]].column,
           "the column name " + quoted_text(wanted) + " stands twice in the header (columns " + std::to_string(found[0] + 1) +
               " and " + std::to_string(found[1] + 1) + ")");
  }
  if (found.empty()) {
    std::string list;
    for (const CsvField& field : header) list += (list.empty() ? "" : ", ") + std::string(trimmed(field.text));
    refuse(1, 1, "no column " + quoted_text(wanted) + " in the header; its columns are: " + list);
  }
  return found[0];
}

void Maker::choose_columns(const CsvRecord& header) {
  if (options_.factors.size() > static_cast<std::size_t>(max_factors)) {
    refuse(0, 0, "--factors names " + std::to_string(options_.factors.size()) + " columns; a run takes at most " +
                     std::to_string(max_factors) + " factors");
  }
  std::vector<ChosenColumn> chosen;
  const auto choose = [&](const std::string& role, const std::string& wanted) {
    const std::size_t index = find_column(header, wanted);
    const ChosenColumn column{role, wanted, index, std::string(trimmed(header[index].text))};
    for (const ChosenColumn& earlier : chosen) {
      if (earlier.index == column.index) {
        const std::string roles =
            earlier.role == role ? "twice in " + role : "as " + earlier.role + " and " + (role == "--factors" ? "in " : "as ") + role;
        refuse(0, 0, "the column " + column.name + " is chosen twice (" + roles + ")");
      }
    }
    chosen.push_back(column);
  };
  choose("--outcome", options_.outcome);
  for (const std::string& factor : options_.factors) choose("--factors", factor);
  if (!options_.weights.empty()) choose("--weights", options_.weights);
  if (!options_.cases.empty()) choose("--cases", options_.cases);
  for (const ChosenColumn& column : chosen) {
    if (column.role == "--cases") {
      cases_ = column;
    } else {
      numeric_.push_back(column);
    }
  }
}

// "row 4 (case "Estonia")": the data row (the first row after the header is row 1) and,
// when case names are chosen, the case's name.
std::string Maker::row_words(const CsvRecord& record, long row) const {
  std::string words = "row " + std::to_string(row);
  if (cases_ && cases_->index < record.size()) {
    const std::string_view name = trimmed(record[cases_->index].text);
    if (!name.empty()) words += " (case " + quoted_text(name) + ")";
  }
  return words;
}

// Reads the values of one row; false when it has a missing value and --drop-missing
// leaves it out.
bool Maker::read_row(const CsvRecord& record, long row) {
  for (std::size_t i = header_size_; i < record.size(); ++i) {
    if (!trimmed(record[i].text).empty()) {
      refuse(record[i].line, record[i].column,
             row_words(record, row) + " has " + std::to_string(record.size()) + " fields, the header " +
                 std::to_string(header_size_) + ": " + quoted_text(record[i].text) + " stands after the last column");
    }
  }
  const std::size_t factor_columns = options_.factors.size() + 1;
  std::vector<double> row_values;
  row_values.reserve(numeric_.size());
  const CsvField* first_missing = nullptr;
  const ChosenColumn* first_missing_column = nullptr;
  for (const ChosenColumn& column : numeric_) {
    const bool present = column.index < record.size();
    const CellValue cell = present ? read_cell(record[column.index].text, decimal_comma_) : CellValue{};
    const long line = present ? record[column.index].line : record.front().line;
    const long at = present ? record[column.index].column : 0;
    const std::string where = row_words(record, row) + ", column " + column.name + ": ";
    switch (cell.kind) {
      case CellKind::not_number: refuse(line, at, where + quoted_text(record[column.index].text) + " is not a number");
      case CellKind::too_large: refuse(line, at, where + quoted_text(record[column.index].text) + " is too large for a number");
      case CellKind::missing:
        if (first_missing == nullptr) {
          first_missing = present ? &record[column.index] : &record.front();
          first_missing_column = &column;
        }
        row_values.push_back(0.0);
        continue;
      case CellKind::number: break;
    }
    const bool membership = row_values.size() < factor_columns;
    if (membership && !(cell.value >= 0.0 && cell.value <= 1.0)) {
      if (++outside_count_ <= warnings_shown) {
        warn(line, at, where + number_text(cell.value) +
                           " is outside 0 to 1; the run treats it as the nearest bound of the damping interval");
      }
    }
    row_values.push_back(cell.value);
  }
  if (first_missing != nullptr) {
    if (options_.drop_missing) {
      dropped_rows_.push_back(row);
      return false;
    }
    const bool present = first_missing_column->index < record.size();
    const std::string text = present ? std::string(trimmed(first_missing->text)) : std::string();
    refuse(first_missing->line, present ? first_missing->column : 0,
           row_words(record, row) + ", column " + first_missing_column->name + ": missing value (" +
               (text.empty() ? std::string("empty") : quoted_text(text)) +
               "); --drop-missing leaves out the cases with a missing value");
  }
  if (case_count_ == max_cases) {
    refuse(record.front().line, record.front().column,
           row_words(record, row) + ": more than " + with_thousands(max_cases) + " cases; a run takes at most " +
               with_thousands(max_cases));
  }
  ++case_count_;
  values_.insert(values_.end(), row_values.begin(), row_values.begin() + static_cast<std::ptrdiff_t>(factor_columns));
  if (!options_.weights.empty()) weights_.push_back(row_values.back());
  if (cases_) names_.emplace_back(cases_->index < record.size() ? trimmed(record[cases_->index].text) : "");
  return true;
}

std::string Maker::build_text() const {
  std::string text;
  const auto comment = [&](std::string_view line) {
    std::string clean = comment_text(line);
    if (clean.size() > comment_width) clean.resize(comment_width);
    text += "COM    " + clean + "\n";
  };
  for (const std::string& line : wrapped(options_.title)) comment(line);
  const std::string source = std::filesystem::path(file_).filename().string();
  std::string origin = "DATA: " + source + " (" + with_thousands(case_count_) + (case_count_ == 1 ? " CASE" : " CASES");
  if (!dropped_rows_.empty()) {
    origin += "; " + with_thousands(static_cast<long>(dropped_rows_.size())) + " WITH A MISSING VALUE LEFT OUT";
  }
  comment(origin + ")");
  comment(outcome_comment(numeric_[0].name));
  for (std::size_t j = 1; j <= options_.factors.size(); ++j) comment(factor_comment(static_cast<int>(j), numeric_[j].name));
  if (!options_.weights.empty()) comment(weights_comment(numeric_.back().name));
  if (cases_) comment(cases_comment(cases_->name));
  // Each value from the first column of its field: MER reads columns 8 to 80, DAM 6 to 78.
  if (options_.mer) text += "MER    " + number_text(*options_.mer) + "\n";
  if (options_.dam) text += "DAM  " + number_text(*options_.dam) + "\n";
  // The number of cases from column 7, one blank, the number of factors.
  text += "DAT   " + std::to_string(case_count_) + " " + std::to_string(options_.factors.size()) + "\n";
  const std::size_t columns = options_.factors.size() + 1;
  for (std::size_t i = 0; i < values_.size(); ++i) {
    text += number_text(values_[i]);
    text += (i + 1) % columns == 0 ? '\n' : ' ';
  }
  if (!weights_.empty()) {
    text += "WEI\n";
    for (std::size_t i = 0; i < weights_.size(); ++i) {
      text += number_text(weights_[i]);
      text += (i + 1) % 10 == 0 || i + 1 == weights_.size() ? '\n' : ' ';
    }
  }
  text += "FIN\n";
  return text;
}

MadeCommandFile Maker::make(std::string_view csv_text) {
  try {
    csv_text = without_byte_order_mark(csv_text);
    const char separator = options_.separator != 0 ? options_.separator : detect_separator(csv_text);
    decimal_comma_ = separator == ';';
    CsvReader reader(csv_text, separator);
    CsvRecord header;
    if (!reader.next(header)) refuse(0, 0, "the file is empty: a header row with the column names is needed");
    header_size_ = header.size();
    choose_columns(header);

    CsvRecord record;
    long row = 0;
    while (reader.next(record)) {
      ++row;
      bool blank = true;
      for (const CsvField& field : record) blank = blank && trimmed(field.text).empty();
      if (blank) continue;  // an empty row, as spreadsheets write them
      read_row(record, row);
    }
  } catch (const CsvSyntaxError& error) {
    refuse(error.line(), error.column(), error.what());
  }

  if (outside_count_ > warnings_shown) {
    warn(0, 0, "and " + std::to_string(outside_count_ - warnings_shown) + " more values outside 0 to 1");
  }
  if (!dropped_rows_.empty()) {
    std::string rows;
    for (std::size_t i = 0; i < dropped_rows_.size() && i < static_cast<std::size_t>(warnings_shown); ++i) {
      rows += (i == 0 ? "" : ", ") + std::to_string(dropped_rows_[i]);
    }
    if (dropped_rows_.size() > static_cast<std::size_t>(warnings_shown)) rows += ", ...";
    warn(0, 0, with_thousands(static_cast<long>(dropped_rows_.size())) + " case" +
                   (dropped_rows_.size() == 1 ? "" : "s") + " with a missing value left out (row" +
                   (dropped_rows_.size() == 1 ? " " : "s ") + rows + "); " + with_thousands(case_count_) + " remain");
  }
  if (case_count_ == 0) {
    refuse(0, 0, dropped_rows_.empty() ? "no case: the file has no rows after the header"
                                       : "no case left: every row has a missing value");
  }
  for (std::size_t j = 0; j < numeric_.size(); ++j) {
    if (numeric_[j].name.size() > comment_width - 10) {
      warn(0, 0, "the column name " + quoted_text(numeric_[j].name) + " is too long for its comment line and is cut there");
    }
  }

  MadeCommandFile made;
  made.text = build_text();
  made.case_names = names_;
  made.case_count = case_count_;
  made.dropped = static_cast<int>(dropped_rows_.size());
  DataFingerprint fingerprint;
  for (const double value : values_) fingerprint.add(value);
  made.fingerprint = fingerprint.value();
  return made;
}

bool read_whole_file(const std::string& name, std::string& text, std::ostream& err) {
  if (name == "-") {
    char block[65536];
    for (std::size_t count; (count = std::fread(block, 1, sizeof block, stdin)) > 0;) text.append(block, count);
    if (std::ferror(stdin)) {
      report(err, Place{"standard input"}, Severity::error, "cannot read the CSV text");
      return false;
    }
    return true;
  }
  std::error_code error;
  if (std::filesystem::is_directory(std::filesystem::path(name), error)) {
    report(err, Place{name}, Severity::error, "cannot read the file: it is a directory");
    return false;
  }
  errno = 0;
  std::ifstream in(std::filesystem::path(name), std::ios::binary);
  if (!in) {
    report(err, Place{name}, Severity::error,
           "cannot read the file: " + (errno != 0 ? std::generic_category().message(errno) : std::string("cannot open it")));
    return false;
  }
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) {
    report(err, Place{name}, Severity::error, "cannot read the file");
    return false;
  }
  text = content.str();
  return true;
}

}  // namespace

MadeCommandFile make_from_csv(std::string_view csv_text, const MakerOptions& options, const std::string& shown_name,
                              std::ostream& err) {
  return Maker(options, shown_name, err).make(csv_text);
}

MakerOutcome make_command_file(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  const MakerArguments parsed = parse_maker_arguments(arguments);
  if (!parsed.problem.empty()) {
    err << "morvit: " << printable(parsed.problem) << '\n';
    return MakerOutcome::usage_error;
  }
  const MakerOptions& options = parsed.options;
  // "-o -" is standard output, as "-" reads standard input.
  const bool to_file = !options.output.empty() && options.output != "-";
  const std::string side_file = to_file ? case_names_file(options.output) : std::string();
  if (to_file && options.data_file != "-") {
    for (const std::string& target : {options.output, side_file}) {
      if (same_file(target, options.data_file)) {
        report(err, Place{target}, Severity::error,
               "this is the CSV file being read; the command file" + std::string(target == side_file ? "'s case names" : "") +
                   " must go to another file");
        return MakerOutcome::refused;
      }
    }
  }

  std::string csv_text;
  if (!read_whole_file(options.data_file, csv_text, err)) return MakerOutcome::refused;
  // Messages name the file as given; the command file's comment names it without its
  // directories, so that the command file does not depend on where the CSV file was.
  const std::string shown_name = options.data_file == "-" ? std::string("standard input") : options.data_file;
  MadeCommandFile made;
  try {
    made = make_from_csv(csv_text, options, shown_name, err);
  } catch (const ConversionRefused& refusal) {
    err << refusal.what() << '\n';
    return MakerOutcome::refused;
  }
  if (!to_file) {
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
      report(err, Place{}, Severity::warning,
             "the case names are kept only with -o FILE, in FILE.cases beside the command file");
    }
    return MakerOutcome::made;
  }

  {
    // The command file and its case names are written as a pair: both complete beside the
    // old ones first, then the names take their place and the command file last. Should
    // the process end between the two, the new names' fingerprint disowns them beside the
    // old command file.
    CriticalSection critical;
    OutputReplacement command_file(options.output);
    OutputReplacement names_file(side_file);
    const bool with_names = !options.cases.empty();
    const std::string names_text = with_names ? case_names_text(made.case_names, made.fingerprint) : std::string();
    // An interruption ends the process as the critical section ends, with its own word.
    const auto failed = [&](const std::string& name, const OutputReplacement& output) {
      if (!output.interrupted()) err << cannot_write(name, output.problem()) << '\n';
      return MakerOutcome::refused;
    };
    if (!command_file.prepare(made.text)) return failed(options.output, command_file);
    if (with_names && !names_file.prepare(names_text)) return failed(side_file, names_file);
    if (with_names && !names_file.commit()) return failed(side_file, names_file);
    if (!command_file.commit()) return failed(options.output, command_file);
  }
  if (options.cases.empty()) {
    if (std::error_code error; std::filesystem::exists(std::filesystem::path(side_file), error)) {
      report(err, Place{side_file}, Severity::warning,
             "case names left from an earlier command file; remove the file, or runs of " + options.output +
                 " may name their cases from it");
    }
  }
  return MakerOutcome::made;
}

}  // namespace morvit
