#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "exchange/input/maker_options.h"
#include "measures/derived_set.h"

namespace morvit {

// Where an input of a set's formula takes its membership from: a column of the CSV file
// (its index in the header) or a set made before it (its index among the sets).
struct SetSource {
  bool earlier_set = false;
  std::size_t index = 0;
};

// A set of --set NAME=EXPRESSION, read against the header of the CSV file.
struct DerivedSet {
  std::string name;        // as --set gives it, without the blanks around it
  std::string expression;  // the formula written again, the names as the header and --set spell them
  std::vector<SetStep> steps;
  std::vector<SetSource> sources;  // the source of each input of the steps
};

// A --set that cannot be made; what() is the whole text of the message ("--set NAME=EXPRESSION: WHAT").
class SetRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the --set options in their order. `columns` are the names of the header's columns
// (without the blanks around them); names are compared in capitals, as the maker chooses
// columns. A set's name must be new (no column, no earlier set) and must neither begin with
// a tilde nor hold a comma; its expression may name the columns and the sets before it.
std::vector<DerivedSet> read_derived_sets(const std::vector<SetOption>& options,
                                          const std::vector<std::string>& columns);

// The index of the set named `name` (in capitals alike), or sets.size() when none is.
std::size_t find_derived_set(const std::vector<DerivedSet>& sets, const std::string& name);

// A case's membership in each set in turn, from its memberships in the header's columns
// (`columns[i]` for column i; only those that the sets name need a value).
void derived_memberships(const std::vector<DerivedSet>& sets, const std::vector<double>& columns,
                         std::vector<double>& memberships);

}  // namespace morvit
