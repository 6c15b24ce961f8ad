#include "exchange/input/csv_survey.h"

#include "exchange/cell_text.h"
#include "exchange/input/csv_reader.h"

namespace morvit {

CsvSurvey survey_csv(std::string_view text, char separator) {
  CsvSurvey survey;
  text = without_byte_order_mark(text);
  const char declared = declared_separator(text);
  survey.separator = separator != 0 ? separator : declared != 0 ? declared : detect_separator(text);
  CsvReader reader(text, survey.separator, declared != 0 ? 2 : 1);
  CsvRecord record;
  if (reader.next(record)) {
    for (const CsvField& field : record) survey.columns.push_back({std::string(trimmed(field.text))});
  }
  while (reader.next(record)) {
    bool blank = true;
    for (const CsvField& field : record) blank = blank && trimmed(field.text).empty();
    if (blank) continue;
    ++survey.rows;
    for (std::size_t i = 0; i < record.size() && i < survey.columns.size(); ++i) {
      const CellValue cell = read_cell(record[i].text, survey.separator == ';');
      SurveyedColumn& column = survey.columns[i];
      if (cell.kind == CellKind::number) {
        ++column.numbers;
        if (cell.value < column.smallest) column.smallest = cell.value;
        if (cell.value > column.largest) column.largest = cell.value;
      } else if (cell.kind == CellKind::missing) {
        ++column.missing;
      } else {
        ++column.other;
      }
    }
  }
  return survey;
}

}  // namespace morvit
