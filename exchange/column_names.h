#pragma once

#include <array>
#include <string>
#include <string_view>

#include "limits/program_limits.h"

namespace morvit {

// The names of the columns behind a run's outcome, factor letters and weights, when they
// are known: from the comment lines that a command file made from a CSV file carries
// ("OUTCOME = SURVIVED", "A = DEVELOPED", "WEIGHTS = W"; a hand-written file may use them
// too), or from --names.
struct ColumnNames {
  std::string outcome;
  std::array<std::string, max_factors> factors;  // factors[0] is A; empty when not known
  std::string weights;
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

// Sets the factor names from a --names list (comma-separated, in letter order, blanks
// around each name dropped). Returns the number of names in the list.
int take_names_from_list(std::string_view list, ColumnNames& names);

// The names behind a block label joined by '*' ("AC": "DEVELOPED*LITERATE"), a letter
// standing for a factor without a name; empty for "NONE" and when no factor of the run
// has a name.
std::string block_names(std::string_view block, const ColumnNames& names);

}  // namespace morvit
