#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/case_names.h"
#include "limits/program_limits.h"

namespace morvit {

// The names as the user wrote them, small and capital letters as in the CSV file's header,
// --set or --names; empty where not known.
struct WrittenNames {
  std::string outcome;
  std::array<std::string, max_factors> factors;  // factors[0] is A
  std::string weights;
  std::string cases;  // the column of the case names
};

// The names of the columns behind a run's outcome, factor letters, weights and case names,
// when they are known: from the comment lines that a command file made from a CSV file
// carries ("OUTCOME = SURVIVED", "A = DEVELOPED", "WEIGHTS = W", "CASES = CASE"; a
// hand-written file may use them too), in capitals as the report shows them, or as --names
// gives the factors' names.
struct ColumnNames {
  std::string outcome;
  std::array<std::string, max_factors> factors;  // factors[0] is A; empty when not known
  std::string weights;
  std::string cases;
  // The same names as the user wrote them: from the side file's NAME records that agree
  // with the comments (take_written_names), or from --names. The report keeps capitals;
  // the CSVs and the page show these where they are known.
  WrittenNames as_written;

  // The name the outputs beside the report show: as written where known, else as above.
  const std::string& shown_outcome() const { return as_written.outcome.empty() ? outcome : as_written.outcome; }
  const std::string& shown_factor(int factor) const;  // factor 1 is A
};

// The room a factor's name has in its comment line "A = NAME": columns 12 to 80, in bytes.
inline constexpr std::size_t max_factor_name_bytes = comment_columns - 4;

// The comment texts (columns 8 to 80 of a COM line) that name the columns.
std::string outcome_comment(std::string_view name);
std::string factor_comment(int factor, std::string_view name);  // factor 1 is A
std::string weights_comment(std::string_view name);
std::string cases_comment(std::string_view name);

// What a comment above adds after the name of a calibrated column: ", CALIBRATED 400/550/900"
// (the thresholds as given, exclusion/crossover/inclusion).
std::string calibration_suffix(std::string_view exclusion, std::string_view crossover, std::string_view inclusion);

// Takes a name from a comment text of one of the forms above, if it is one; a calibration
// suffix is not part of the name. The run passes the text in capitals, so names read back
// this way are in capitals too.
void take_name_from_comment(std::string_view text, ColumnNames& names);

// Sets the factor names, as the comments give them and as written, from a --names list
// (comma-separated, in letter order, blanks around each name dropped). Returns the number of
// names in the list.
int take_names_from_list(std::string_view list, ColumnNames& names);

// "A", "A and B", "A to E": the letters of a run's factors, for messages.
std::string factor_letters(int factor_count);

// The side file's record of a name as the user wrote it, made by the maker:
//   #MORVIT NAME OUTCOME jsr        (OUTCOME, A to J, WEIGHTS or CASES, then the name)
SideRecord written_name_record(std::string_view role, std::string_view name);

// Takes the names of NAME records into names.as_written where they are the names that the
// comments give (`comments` as the run passed them, in capitals): the same in capitals,
// or longer where the comment line is full (the maker cuts a name too long for it). A
// comment edited after the side file was made keeps its own name.
void take_written_names(const std::vector<SideRecord>& records, const std::vector<std::string>& comments,
                        ColumnNames& names);

// The names behind a block label joined by '*' ("AC": "DEVELOPED*LITERATE"), each as
// shown_factor gives it, a letter standing for a factor without a name; empty for "NONE" and
// when no factor of the run has a name.
std::string block_names(std::string_view block, const ColumnNames& names);

}  // namespace morvit
