#include "exchange/input/command_file_maker.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <sstream>

#include "driver/data_matrix.h"
#include "driver/diagnostics.h"
#include "exchange/case_names.h"
#include "exchange/cell_text.h"
#include "exchange/column_names.h"
#include "exchange/input/calibration_thresholds.h"
#include "exchange/input/command_file_pair.h"
#include "exchange/input/csv_reader.h"
#include "exchange/input/csv_source.h"
#include "exchange/input/derived_sets.h"
#include "exchange/input/name_list.h"
#include "exchange/input/text_encoding.h"
#include "measures/calibration.h"
#include "recordio/character_cut.h"
#include "recordio/number_text.h"
#include "system/file_paths.h"
#include "system/platform.h"

namespace morvit {
namespace {

// A COM line holds its text in columns 8 to 80.
constexpr std::size_t comment_width = 73;
// Lacking columns named in a message, before the rest are only counted.
constexpr std::size_t columns_named = 10;
// Warnings about single values, before they are only counted.
constexpr int warnings_shown = 10;
// A first column without a name holds the case names (R's write.csv writes its row names
// so); the comment line calls it this.
constexpr std::string_view row_names_column = MadeCommandFile::row_names_column;

// A column that the options choose, and for what.
struct ChosenColumn {
  std::string role;  // "--outcome", "--factors", "--weights", "--cases"
  std::string wanted;
  std::size_t index = 0;  // in the header
  std::string name;       // as the header spells it
  bool negated = false;   // ~NAME: the membership is 1 - x
  std::optional<CalibrationThresholds> calibration;
  // A set of --set, not a column of the file: its index among the sets (`name` its name).
  std::size_t set = no_set;
  static constexpr std::size_t no_set = static_cast<std::size_t>(-1);

  // The name as the comment lines and messages about the set show it: ~URBAN for a negation.
  std::string shown() const { return (negated ? "~" : "") + (name.empty() ? std::string(row_names_column) : name); }
  // "--set": a column that a set of --set is made of.
  bool membership() const { return role == "--outcome" || role == "--factors" || role == "--set"; }
  // The column of the file at `header_index` gives the values (a set of --set gives none).
  bool reads(std::size_t header_index) const { return set == no_set && index == header_index; }
};

// Text for a COM line: control characters as blanks.
std::string comment_text(std::string_view text) {
  std::string clean(text);
  for (char& c : clean) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
  }
  return clean;
}

// The title in lines of at most 73 bytes, broken at blanks where it can be, and never
// within a character.
std::vector<std::string> wrapped(std::string_view text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream words{std::string(text)};
  std::string word;
  while (words >> word) {
    while (word.size() > comment_width) {
      if (!line.empty()) lines.push_back(std::move(line));
      line.clear();
      const std::size_t piece = cut_at_character(word, comment_width).size();
      lines.emplace_back(word.substr(0, piece));
      word.erase(0, piece);
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
    throw ConversionRefused(diagnostic(
        Place{file_, static_cast<std::uint64_t>(line), static_cast<std::uint64_t>(column)}, Severity::error, what));
  }
  void warn(long line, long column, const std::string& what) const {
    report(err_,
           Place{file_, static_cast<std::uint64_t>(line), static_cast<std::uint64_t>(column)},
           Severity::warning,
           what);
  }

  std::string_view as_utf8(std::string_view text);
  void choose_columns(const CsvRecord& header);
  void choose_set_columns(const CsvRecord& header);
  void choose_calibrations(const CsvRecord& header);
  void warn_of_letters() const;
  void warn_of_thresholds_beyond_the_values() const;
  std::optional<double> read_value(const CsvRecord& record, long row, const ChosenColumn& column);
  std::size_t find_column(const CsvRecord& header, const std::string& wanted) const;
  void check_row_length(const CsvRecord& record, const CsvRecord& header, long row) const;
  bool read_row(const CsvRecord& record, long row);
  std::string row_words(const CsvRecord& record, long row) const;
  std::string not_a_number(const std::string& text) const;
  std::vector<std::string> column_comment(const ChosenColumn& column, std::size_t position, std::size_t& cut_to) const;
  std::vector<std::string> set_comments() const;
  std::string build_text() const;
  std::vector<SideRecord> side_records() const;

  const MakerOptions& options_;
  std::string file_;
  std::ostream& err_;
  char separator_ = ',';
  bool decimal_comma_ = false;
  std::size_t header_size_ = 0;

  std::string utf8_text_;              // the CSV text read as Windows-1252, when it is
  std::vector<ChosenColumn> numeric_;  // outcome, factors, weights (when chosen)
  std::optional<ChosenColumn> cases_;
  std::vector<DerivedSet> sets_;           // --set, in the order given
  std::vector<ChosenColumn> set_columns_;  // the columns the sets are made of
  std::vector<double> set_inputs_;         // a row's memberships in those columns, by header index
  std::vector<double> set_values_;         // a row's memberships in the sets
  // The calibrations in the order given, and the smallest and the largest raw value of each
  // calibrated column (by header index).
  struct Calibrated {
    std::string given;  // "--calibrate NAME=E,C,I"
    std::string column;
    std::size_t index = 0;
    CalibrationThresholds thresholds{};
  };
  std::vector<Calibrated> calibrated_;
  std::map<std::size_t, std::pair<double, double>> raw_ranges_;

  std::vector<double> values_;  // case by case: outcome, then the factors
  std::vector<double> weights_;
  std::vector<std::string> names_;
  int case_count_ = 0;
  std::vector<long> dropped_rows_;
  int names_cut_ = 0;  // case names longer than a side file keeps
};

// The CSV text as UTF-8 (see TextEncoding): text that is not UTF-8 is read as Windows-1252,
// with a warning that says where, unless --encoding names the encoding.
std::string_view Maker::as_utf8(std::string_view text) {
  if (options_.encoding != TextEncoding::windows_1252) {
    const std::size_t bad = first_byte_not_utf8(text);
    if (bad == std::string_view::npos) return text;
    // The place of the byte: lines end with LF, CR LF or CR; columns count characters.
    long line = 1;
    long column = 1;
    for (std::size_t i = 0; i < bad; ++i) {
      const char c = text[i];
      if (c == '\n' || (c == '\r' && text[i + 1] != '\n')) {
        ++line;
        column = 1;
      } else if (c != '\r' && (static_cast<unsigned char>(c) & 0xC0) != 0x80) {
        ++column;
      }
    }
    constexpr char hex[] = "0123456789ABCDEF";
    const auto value = static_cast<unsigned char>(text[bad]);
    const std::string byte = std::string("0x") + hex[value >> 4] + hex[value & 15];
    if (options_.encoding == TextEncoding::utf8) {
      refuse(line,
             column,
             "the byte " + byte + " is not UTF-8 text, which --encoding utf-8 asks for; a CSV file saved " +
                 "by Excel in Western Europe is Windows-1252 text (--encoding windows-1252)");
    }
    warn(line,
         column,
         "the file is not UTF-8 text (the byte " + byte + " here cannot stand in it); it is read as " +
             "Windows-1252, the encoding of Excel's CSV files in Western Europe: check the names it " +
             "holds (--encoding windows-1252 reads it so without this warning)");
  }
  utf8_text_ = utf8_from_windows_1252(text);
  return utf8_text_;
}

std::size_t Maker::find_column(const CsvRecord& header, const std::string& wanted) const {
  const std::string key = capitals(wanted);
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < header.size(); ++i) {
    if (capitals(trimmed(header[i].text)) == key) found.push_back(i);
  }
  if (found.size() > 1) {
    refuse(header[found[1]].line,
           header[found[1]].column,
           "the column name " + quoted_text(wanted) + " stands twice in the header (columns " +
               std::to_string(found[0] + 1) + " and " + std::to_string(found[1] + 1) + ")");
  }
  if (found.empty()) {
    std::vector<std::string_view> columns;
    for (const CsvField& field : header) columns.push_back(trimmed(field.text));
    refuse(header.front().line,
           1,
           "no column " + quoted_text(wanted) + " in the header; its columns are: " + listed_names(columns));
  }
  return found[0];
}

void Maker::choose_columns(const CsvRecord& header) {
  if (options_.factors.size() > static_cast<std::size_t>(max_factors)) {
    refuse(0,
           0,
           "--factors names " + std::to_string(options_.factors.size()) + " columns; a run takes at most " +
               std::to_string(max_factors) + " factors");
  }
  std::vector<ChosenColumn> chosen;
  const auto choose = [&](const std::string& role, const std::string& option_text) {
    ChosenColumn column{role, option_text, 0, {}, false, std::nullopt};
    // ~NAME, for the outcome and the factors: the negation of the set.
    if ((role == "--outcome" || role == "--factors") && option_text.starts_with('~')) {
      column.negated = true;
      column.wanted = std::string(trimmed(std::string_view(option_text).substr(1)));
      if (column.wanted.empty()) refuse(0, 0, role + ": \"~\" needs the name of a column after it");
    }
    if (const std::size_t set = find_derived_set(sets_, column.wanted); set < sets_.size()) {
      if (!column.membership())
        refuse(0, 0, role + " " + option_text + ": " + sets_[set].name + " is a set made by --set, not a column");
      column.set = set;
      column.name = sets_[set].name;
    } else {
      column.index = find_column(header, column.wanted);
      column.name = std::string(trimmed(header[column.index].text));
    }
    for (const ChosenColumn& earlier : chosen) {
      // A factor beside its own negation is a block the run may test; any other column
      // chosen twice is a mistake.
      const bool set_and_negation =
          earlier.role == "--factors" && role == "--factors" && earlier.negated != column.negated;
      if (earlier.set == column.set && (column.set != ChosenColumn::no_set || earlier.index == column.index) &&
          !set_and_negation) {
        const std::string roles = earlier.role == role
                                      ? "twice in " + role
                                      : "as " + earlier.role + " and " + (role == "--factors" ? "in " : "as ") + role;
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
  if (!cases_ && trimmed(header.front().text).empty()) cases_ = ChosenColumn{"--cases", "", 0, "", false, std::nullopt};
}

// --calibrate NAME=E,C,I for each column it names: the outcome or a factor (both uses of
// a column that stands as a factor and as its negation), never the weights or the cases.
void Maker::choose_calibrations(const CsvRecord& header) {
  std::vector<std::size_t> calibrated;
  for (const CalibrateOption& option : options_.calibrations) {
    const std::string given = "--calibrate " + option.column + "=" + option.thresholds;
    if (option.column.starts_with('~')) {
      refuse(0,
             0,
             given + ": name the column without the tilde (" + std::string(trimmed(option.column.substr(1))) +
                 "); the calibration comes first, then the negation");
    }
    if (const std::size_t set = find_derived_set(sets_, option.column); set < sets_.size()) {
      refuse(0, 0, given + ": " + sets_[set].name + " is a set made by --set; calibrate the columns it is made of");
    }
    const std::size_t index = find_column(header, option.column);
    const std::string name(trimmed(header[index].text));
    bool chosen = false;
    for (const ChosenColumn& column : numeric_) chosen = chosen || (column.reads(index) && column.membership());
    for (const ChosenColumn& column : set_columns_) chosen = chosen || column.index == index;
    if (!chosen) {
      std::string role = sets_.empty() ? "neither the outcome nor a factor; only those are calibrated"
                                       : "neither the outcome nor a factor nor in a --set; only those are calibrated";
      if (!options_.weights.empty() && numeric_.back().reads(index))
        role = "the column of the weights, which are never calibrated";
      if (cases_ && cases_->index == index) role = "the column of the case names";
      refuse(0, 0, given + ": " + name + " is " + role);
    }
    for (const std::size_t earlier : calibrated) {
      if (earlier == index) refuse(0, 0, given + ": the column " + name + " is calibrated twice");
    }
    calibrated.push_back(index);
    const ThresholdsRead read = read_thresholds(option.thresholds);
    if (!read.thresholds) refuse(0, 0, given + ": " + read.problem);
    for (ChosenColumn& column : numeric_) {
      if (column.reads(index)) column.calibration = read.thresholds;
    }
    for (ChosenColumn& column : set_columns_) {
      if (column.index == index) column.calibration = read.thresholds;
    }
    calibrated_.push_back({given, name, index, *read.thresholds});
    // A decreasing set named by a --set says what it holds; one that keeps the column's name
    // as the outcome or a factor says the opposite.
    bool named_by_column = false;
    for (const ChosenColumn& column : numeric_)
      named_by_column = named_by_column || (column.reads(index) && column.membership());
    if (named_by_column && read.thresholds->inclusion < read.thresholds->exclusion) {
      warn(0, 0, given + ": " + decreasing_set_words(name, *read.thresholds));
    }
  }
}

// A set is used when it is the outcome or a factor, or a part of a set that is used; a set
// that is not is refused, as the calibration of a column that is not chosen is. The columns
// the sets are made of are read as memberships, and calibrated when --calibrate names them.
void Maker::choose_set_columns(const CsvRecord& header) {
  std::vector<bool> used(sets_.size(), false);
  for (const ChosenColumn& column : numeric_) {
    if (column.set != ChosenColumn::no_set) used[column.set] = true;
  }
  // A set is made of earlier sets only: from the last to the first, each passes its use on.
  for (std::size_t s = sets_.size(); s-- > 0;) {
    if (!used[s]) {
      refuse(0,
             0,
             "--set " + options_.sets[s].name + "=" + options_.sets[s].expression + ": " + sets_[s].name +
                 " is neither the outcome nor a factor, nor a part of a set that is");
    }
    for (const SetSource& source : sets_[s].sources) {
      if (source.earlier_set) used[source.index] = true;
    }
  }
  for (const DerivedSet& set : sets_) {
    for (const SetSource& source : set.sources) {
      bool known = source.earlier_set;
      for (const ChosenColumn& column : set_columns_) known = known || column.index == source.index;
      if (known) continue;
      const std::string name(trimmed(header[source.index].text));
      set_columns_.push_back(ChosenColumn{"--set", name, source.index, name, false, std::nullopt});
    }
  }
  set_inputs_.assign(header.size(), 0.0);
}

// One-letter column names that are also letters of the report: with the columns C, P, N
// and R as factors, the report's C is the column N. Says which letter is which column.
void Maker::warn_of_letters() const {
  const int factors = static_cast<int>(options_.factors.size());
  std::string example;
  bool outcome = false;
  for (std::size_t j = 0; j < numeric_.size(); ++j) {
    const ChosenColumn& column = numeric_[j];
    const int letter = column.name.size() == 1 ? factor_of_letter(capital(column.name[0])) : 0;
    if (!column.membership() || letter == 0 || letter > factors || letter == static_cast<int>(j)) continue;
    outcome = outcome || j == 0;
    if (example.empty()) {
      example = std::string("the report's ") + factor_letter(letter) + " is the column " +
                numeric_[static_cast<std::size_t>(letter)].shown() + ", not " +
                (j == 0 ? "the outcome " : "the column ") + column.shown();
    }
  }
  if (example.empty()) return;
  std::string pairs = outcome ? "OUTCOME = " + numeric_[0].shown() : std::string();
  for (int j = 1; j <= factors; ++j) {
    pairs += (pairs.empty() ? "" : ", ") + std::string(1, factor_letter(j)) + " = " +
             numeric_[static_cast<std::size_t>(j)].shown();
  }
  warn(0, 0, "column names that are also letters of the report: " + pairs + " (" + example + ")");
}

// Thresholds that all values of their column lie beyond: in other units than the column's.
void Maker::warn_of_thresholds_beyond_the_values() const {
  for (const Calibrated& calibration : calibrated_) {
    const auto range = raw_ranges_.find(calibration.index);
    if (range == raw_ranges_.end()) continue;
    const std::string words = thresholds_beyond_values_words(
        calibration.column, calibration.thresholds, range->second.first, range->second.second);
    if (!words.empty()) warn(0, 0, calibration.given + ": " + words);
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

// A row with fewer fields than the header that lacks a chosen column is refused, naming
// the columns it lacks: such a row is cut short or broken by a line end in a field that
// is not quoted, and its values cannot be told apart from those of the next line.
void Maker::check_row_length(const CsvRecord& record, const CsvRecord& header, long row) const {
  if (record.size() >= header_size_) return;
  bool lacks_chosen = cases_ && cases_->index >= record.size();
  for (const ChosenColumn& column : numeric_) {
    lacks_chosen = lacks_chosen || (column.set == ChosenColumn::no_set && column.index >= record.size());
  }
  for (const ChosenColumn& column : set_columns_) lacks_chosen = lacks_chosen || column.index >= record.size();
  if (!lacks_chosen) return;
  std::vector<std::string_view> columns;
  for (std::size_t i = record.size(); i < header_size_; ++i) columns.push_back(trimmed(header[i].text));
  const std::string lacking = listed_names(columns, columns_named);
  const std::size_t count = header_size_ - record.size();
  refuse(record.back().line,
         record.back().column,
         row_words(record, row) + " has " + std::to_string(record.size()) +
             (record.size() == 1 ? " field" : " fields") + ", the header " + std::to_string(header_size_) +
             ": it lacks the column" + (count == 1 ? " " : "s ") + lacking);
}

// What a refusal says of a text that is not a number; a decimal comma in a file whose
// separator is not the semicolon gets the way to read it.
std::string Maker::not_a_number(const std::string& text) const {
  std::string words = quoted_text(text) + " is not a number";
  if (!decimal_comma_ && (separator_ == ',' || separator_ == '\t') && read_cell(text, true).kind == CellKind::number) {
    words += "; decimal commas are read in files whose separator is a semicolon (--separator ';')";
  }
  return words;
}

// The value of a column in a row: the membership (calibrated, checked, negated) or the
// weight; nothing for a missing value. A value that is no number is refused.
std::optional<double> Maker::read_value(const CsvRecord& record, long row, const ChosenColumn& column) {
  const CsvField& field = record[column.index];
  const CellValue cell = read_cell(field.text, decimal_comma_);
  const std::string where = row_words(record, row) + ", column " + column.name + ": ";
  switch (cell.kind) {
    case CellKind::not_number: refuse(field.line, field.column, where + not_a_number(field.text));
    case CellKind::too_large:
      refuse(field.line, field.column, where + quoted_text(field.text) + " is too large for a number");
    case CellKind::missing: return std::nullopt;
    case CellKind::number: break;
  }
  double value = cell.value;
  if (column.membership()) {
    if (column.calibration) {
      const auto [range, first] = raw_ranges_.try_emplace(column.index, value, value);
      if (!first) range->second = {std::min(range->second.first, value), std::max(range->second.second, value)};
      value = calibrated_membership(value, *column.calibration);
    } else if (!(value >= 0.0 && value <= 1.0)) {
      refuse(field.line,
             field.column,
             where + number_text(value) +
                 " is outside 0 to 1 and cannot be a membership; calibrate the raw values (--calibrate " + column.name +
                 "=E,C,I) or rescale them to 0 to 1");
    }
    if (column.negated) value = 1.0 - value;
  }
  return value;
}

// Reads the values of one row; false when it has a missing value and --drop-missing
// leaves it out.
bool Maker::read_row(const CsvRecord& record, long row) {
  for (std::size_t i = header_size_; i < record.size(); ++i) {
    if (!trimmed(record[i].text).empty()) {
      refuse(record[i].line,
             record[i].column,
             row_words(record, row) + " has " + std::to_string(record.size()) + " fields, the header " +
                 std::to_string(header_size_) + ": " + quoted_text(record[i].text) + " stands after the last column");
    }
  }
  const CsvField* first_missing = nullptr;
  const ChosenColumn* first_missing_column = nullptr;
  const auto value_of = [&](const ChosenColumn& column) {
    const std::optional<double> value = read_value(record, row, column);
    if (!value && first_missing == nullptr) {
      first_missing = &record[column.index];
      first_missing_column = &column;
    }
    return value.value_or(0.0);
  };
  // The columns the sets are made of first, then the sets, then the chosen columns.
  for (const ChosenColumn& column : set_columns_) set_inputs_[column.index] = value_of(column);
  if (!sets_.empty()) derived_memberships(sets_, set_inputs_, set_values_);
  std::vector<double> row_values;
  row_values.reserve(numeric_.size());
  for (const ChosenColumn& column : numeric_) {
    if (column.set == ChosenColumn::no_set) {
      row_values.push_back(value_of(column));
    } else {
      row_values.push_back(column.negated ? 1.0 - set_values_[column.set] : set_values_[column.set]);
    }
  }
  if (first_missing != nullptr) {
    if (options_.drop_missing) {
      dropped_rows_.push_back(row);
      return false;
    }
    const std::string text(trimmed(first_missing->text));
    refuse(first_missing->line,
           first_missing->column,
           row_words(record, row) + ", column " + first_missing_column->name + ": missing value (" +
               (text.empty() ? std::string("empty") : quoted_text(text)) +
               "); --drop-missing leaves out the cases with a missing value");
  }
  if (case_count_ == max_cases) {
    refuse(record.front().line,
           record.front().column,
           row_words(record, row) + ": more than " + with_thousands(max_cases) + " cases; a run takes at most " +
               with_thousands(max_cases));
  }
  ++case_count_;
  const std::size_t factor_columns = options_.factors.size() + 1;
  values_.insert(values_.end(), row_values.begin(), row_values.begin() + static_cast<std::ptrdiff_t>(factor_columns));
  if (!options_.weights.empty()) weights_.push_back(row_values.back());
  if (cases_) {
    // Within what a side file keeps of a name.
    const std::string_view name = trimmed(record[cases_->index].text);
    const std::string_view kept = cut_at_character(name, max_case_name_bytes);
    if (kept.size() < name.size()) ++names_cut_;
    names_.emplace_back(kept);
  }
  return true;
}

// The comment texts that name a column: "A = DEVELOPED, CALIBRATED 400/550/900". When the
// name and the thresholds do not fit on one line, the name stands alone and the thresholds
// follow, each on a line of its own, so that they are always whole. A name too long for its
// own line is cut where a character ends (`cut_to` then says to how many bytes at most; 0 when
// it is whole).
std::vector<std::string> Maker::column_comment(const ChosenColumn& column, std::size_t position,
                                               std::size_t& cut_to) const {
  const auto with_name = [&](std::string_view name) {
    if (column.role == "--outcome") return outcome_comment(name);
    if (column.role == "--factors") return factor_comment(static_cast<int>(position), name);
    if (column.role == "--weights") return weights_comment(name);
    return cases_comment(name);
  };
  const std::string suffix = column.calibration ? calibration_words(*column.calibration) : std::string();
  const std::string name = comment_text(column.shown());
  cut_to = 0;
  if (with_name(name).size() + suffix.size() <= comment_width) return {with_name(name) + suffix};
  const std::size_t room = comment_width - std::min(comment_width, with_name("").size());
  if (name.size() > room) cut_to = room;
  std::vector<std::string> lines = {with_name(cut_at_character(name, room))};
  if (column.calibration) {
    const std::string key =
        column.role == "--outcome" ? "OUTCOME" : std::string(1, factor_letter(static_cast<int>(position)));
    for (std::string& line : calibration_lines(key, *column.calibration)) lines.push_back(std::move(line));
  }
  return lines;
}

// The comment lines of the sets: "SET STABLE = ~UNSTABLE; UNSTABLE CALIBRATED 5/9.5/15", with
// the calibration of each column the set is made of, never cut: a text longer than a comment
// line goes on in further lines, indented, broken at a blank or after a '*' where it can be.
std::vector<std::string> Maker::set_comments() const {
  std::vector<std::string> lines;
  for (const DerivedSet& set : sets_) {
    std::string text = "SET " + set.name + " = " + set.expression;
    std::vector<std::size_t> named;
    for (const SetSource& source : set.sources) {
      if (source.earlier_set || std::find(named.begin(), named.end(), source.index) != named.end()) continue;
      named.push_back(source.index);
      for (const ChosenColumn& column : set_columns_) {
        if (column.index == source.index && column.calibration) {
          text += "; " + column.name + calibration_words(*column.calibration).substr(1);
        }
      }
    }
    text = comment_text(text);
    std::string_view rest = text;
    std::string indent;
    while (indent.size() + rest.size() > comment_width) {
      // The line ends at the last blank (which the break takes the place of) or after the
      // last '*' that leaves it short enough; else between two characters.
      const std::size_t room = comment_width - indent.size();
      std::size_t cut = room;
      while (cut > 0 && rest[cut] != ' ' && rest[cut - 1] != '*') --cut;
      if (cut == 0) {
        cut = room;
        while (cut > 1 && (static_cast<unsigned char>(rest[cut]) & 0xC0) == 0x80) --cut;
      }
      lines.push_back(indent + std::string(rest.substr(0, cut)));
      rest.remove_prefix(cut + (rest[cut] == ' ' ? 1 : 0));
      indent = "    ";
    }
    lines.push_back(indent + std::string(rest));
  }
  return lines;
}

// What the side file records beside the command file: the name of the outcome, of each
// factor, of the weights and of the case names' column as the user wrote them (the CSV
// file's header, --set), which the CSVs and the page show while the report shows capitals.
std::vector<SideRecord> Maker::side_records() const {
  std::vector<SideRecord> records;
  for (std::size_t j = 0; j < numeric_.size(); ++j) {
    const std::string& role = numeric_[j].role;
    const std::string key = role == "--outcome"   ? "OUTCOME"
                            : role == "--weights" ? "WEIGHTS"
                                                  : std::string(1, factor_letter(static_cast<int>(j)));
    records.push_back(written_name_record(key, comment_text(numeric_[j].shown())));
  }
  if (cases_) records.push_back(written_name_record("CASES", comment_text(cases_->shown())));
  return records;
}

std::string Maker::build_text() const {
  std::string text;
  const auto comment = [&](std::string_view line) {
    const std::string clean = comment_text(line);
    text += "COM    " + std::string(cut_at_character(clean, comment_width)) + "\n";
  };
  for (const std::string& line : wrapped(options_.title)) comment(line);
  const std::string source = base_name(file_);
  std::string origin = "DATA: " + source + " (" + with_thousands(case_count_) + (case_count_ == 1 ? " CASE" : " CASES");
  if (!dropped_rows_.empty()) {
    origin += "; " + with_thousands(static_cast<long>(dropped_rows_.size())) + " WITH A MISSING VALUE LEFT OUT";
  }
  comment(origin + ")");
  std::size_t cut_to = 0;
  for (std::size_t j = 0; j < numeric_.size(); ++j) {
    for (const std::string& line : column_comment(numeric_[j], j, cut_to)) comment(line);
  }
  if (cases_) comment(column_comment(*cases_, 0, cut_to).front());
  for (const std::string& line : set_comments()) comment(line);
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
    csv_text = as_utf8(without_byte_order_mark(csv_text));
    const char declared = declared_separator(csv_text);
    separator_ = options_.separator != 0 ? options_.separator : declared != 0 ? declared : detect_separator(csv_text);
    decimal_comma_ = separator_ == ';';
    CsvReader reader(csv_text, separator_, declared != 0 ? 2 : 1);
    CsvRecord header;
    if (!reader.next(header)) refuse(0, 0, "the file is empty: a header row with the column names is needed");
    header_size_ = header.size();
    std::vector<std::string> column_names;
    for (const CsvField& field : header) column_names.emplace_back(trimmed(field.text));
    try {
      sets_ = read_derived_sets(options_.sets, column_names);
    } catch (const SetRefused& refusal) {
      refuse(0, 0, refusal.what());
    }
    choose_columns(header);
    choose_set_columns(header);
    choose_calibrations(header);
    warn_of_letters();

    CsvRecord record;
    long row = 0;
    while (reader.next(record)) {
      ++row;
      bool blank = true;
      for (const CsvField& field : record) blank = blank && trimmed(field.text).empty();
      if (blank) continue;  // an empty row, as spreadsheets write them
      check_row_length(record, header, row);
      read_row(record, row);
    }
  } catch (const CsvSyntaxError& error) {
    refuse(error.line(), error.column(), error.what());
  }

  if (!dropped_rows_.empty()) {
    std::string rows;
    for (std::size_t i = 0; i < dropped_rows_.size() && i < static_cast<std::size_t>(warnings_shown); ++i) {
      rows += (i == 0 ? "" : ", ") + std::to_string(dropped_rows_[i]);
    }
    if (dropped_rows_.size() > static_cast<std::size_t>(warnings_shown)) rows += ", ...";
    warn(0,
         0,
         with_thousands(static_cast<long>(dropped_rows_.size())) + " case" + (dropped_rows_.size() == 1 ? "" : "s") +
             " with a missing value left out (row" + (dropped_rows_.size() == 1 ? " " : "s ") + rows + "); " +
             with_thousands(case_count_) + " remain");
  }
  if (names_cut_ > 0) {
    warn(0,
         0,
         with_thousands(names_cut_) + (names_cut_ == 1 ? " case name is" : " case names are") + " longer than the " +
             std::to_string(max_case_name_bytes) +
             " bytes the side file keeps of a name, and cut there, where a character ends");
  }
  if (case_count_ == 0) {
    refuse(0,
           0,
           dropped_rows_.empty() ? "no case: the file has no rows after the header"
                                 : "no case left: every row has a missing value");
  }
  warn_of_thresholds_beyond_the_values();
  std::vector<const ChosenColumn*> named(numeric_.size());
  for (std::size_t j = 0; j < numeric_.size(); ++j) named[j] = &numeric_[j];
  if (cases_) named.push_back(&*cases_);
  for (std::size_t j = 0; j < named.size(); ++j) {
    std::size_t cut_to = 0;
    column_comment(*named[j], j, cut_to);
    if (cut_to > 0) {
      warn(0,
           0,
           "the column name " + quoted_text(named[j]->name) + " is too long for its comment line (" +
               std::to_string(cut_to) + " bytes) and is cut there, where a character ends");
    }
  }

  MadeCommandFile made;
  made.text = build_text();
  made.case_names = names_;
  made.records = side_records();
  made.case_count = case_count_;
  made.dropped = static_cast<int>(dropped_rows_.size());
  DataFingerprint fingerprint;
  for (const double value : values_) fingerprint.add(value);
  made.fingerprint = fingerprint.value();
  made.row_names = cases_ && options_.cases.empty();
  return made;
}

// The records the maker keeps in the side file after its origin line: the names as written,
// then the identity of the CSV file the command file was made from, when it was read from a
// file on disk whose identity lasts (not a file in the browser's memory).
std::vector<SideRecord> maker_records(const MadeCommandFile& made) {
  std::vector<SideRecord> records = made.records;
  if (made.source && platform::file_identities_outlive_the_process()) records.push_back(source_record(*made.source));
  return records;
}

}  // namespace

MadeCommandFile make_from_csv(std::string_view csv_text, const MakerOptions& options, const std::string& shown_name,
                              std::ostream& err) {
  return Maker(options, shown_name, err).make(csv_text);
}

MakerOutcome make_command_file(MakerOptions options, std::ostream& out, std::ostream& err) {
  CsvSource source;
  if (!read_csv_source(options.data_file, source, err)) return MakerOutcome::refused;
  // Messages name the file as given; the command file's comment names it without its
  // directories, so that the command file does not depend on where the CSV file was.
  const std::string shown_name = options.data_file == "-" ? std::string("standard input") : options.data_file;
  MadeCommandFile made;
  try {
    made = make_from_csv(source.text, options, shown_name, err);
  } catch (const ConversionRefused& refusal) {
    err << refusal.what() << '\n';
    return MakerOutcome::refused;
  }
  made.source = source.file;
  // The row names of R's write.csv name the cases as --cases would.
  if (made.row_names) options.cases = std::string(made.row_names_column);
  return write_made_command_file(options, made, maker_records(made), out, err);
}

}  // namespace morvit
