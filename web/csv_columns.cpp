// What the browser app shows of a CSV file before it asks the program for a command file:
// the survey of its columns (exchange/input/csv_survey.h: the separator, each column's name,
// how many of its cells hold a number, the smallest and the largest of them), as JSON for
// the app's choices. The file is read and surveyed as `morvit --make-command-file` reads it;
// every check and message about the file stays the maker's.
#include <sstream>
#include <string>

#include "exchange/input/csv_reader.h"
#include "exchange/input/csv_source.h"
#include "exchange/input/csv_survey.h"
#include "exchange/json_text.h"
#include "recordio/number_text.h"

namespace {

std::string error_json(const std::string& what) { return "{\"error\":" + morvit::json_string(what) + "}"; }

std::string describe(const std::string& path, char separator) {
  std::ostringstream said;
  morvit::CsvSource source;
  if (!morvit::read_csv_source(path, source, said)) return error_json(said.str());
  morvit::CsvSurvey survey;
  try {
    survey = morvit::survey_csv(source.text, separator);
  } catch (const morvit::CsvSyntaxError& error) {
    return error_json("line " + std::to_string(error.line()) + ", column " + std::to_string(error.column()) + ": " +
                      error.what());
  }
  std::ostringstream out;
  out << "{\"separator\":" << morvit::json_string(std::string(1, survey.separator)) << ",\"rows\":" << survey.rows
      << ",\"columns\":[";
  for (std::size_t i = 0; i < survey.columns.size(); ++i) {
    const morvit::SurveyedColumn& column = survey.columns[i];
    out << (i == 0 ? "" : ",") << "{\"name\":" << morvit::json_string(column.name) << ",\"numbers\":" << column.numbers
        << ",\"missing\":" << column.missing << ",\"other\":" << column.other;
    if (column.numbers > 0) {
      out << ",\"min\":" << morvit::json_string(morvit::number_text(column.smallest))
          << ",\"max\":" << morvit::json_string(morvit::number_text(column.largest));
    }
    out << "}";
  }
  out << "]}";
  return out.str();
}

}  // namespace

// The description of the CSV file at `path` as JSON text (an "error" when the file cannot be
// read as CSV), valid until the next call. `separator`: the character of --separator, or 0
// to find it as the maker does.
extern "C" __attribute__((used, visibility("default"))) const char* morvit_csv_columns(const char* path,
                                                                                       int separator) {
  static std::string description;
  description = describe(path, static_cast<char>(separator));
  return description.c_str();
}
