#include "exchange/input/derived_sets.h"

#include "driver/diagnostics.h"
#include "exchange/input/set_expression.h"
#include "recordio/capitals.h"

namespace morvit {
namespace {

// What is wrong with the name of a set, or nothing.
std::string name_problem(const std::string& name, const std::vector<std::string>& columns,
                         const std::vector<DerivedSet>& earlier) {
  if (name.starts_with('~')) {
    return "name the set without a tilde; ~" + name.substr(1) + " in --outcome or --factors takes its negation";
  }
  if (name.find(',') != std::string::npos)
    return "a set's name cannot hold a comma, which separates the names of --factors";
  for (const std::string& column : columns) {
    if (capitals(column) == capitals(name))
      return "the CSV file has a column " + column + " already; give the set a name of its own";
  }
  if (find_derived_set(earlier, name) < earlier.size()) return "the set " + name + " is made twice";
  return {};
}

}  // namespace

std::size_t find_derived_set(const std::vector<DerivedSet>& sets, const std::string& name) {
  const std::string key = capitals(name);
  for (std::size_t i = 0; i < sets.size(); ++i) {
    if (capitals(sets[i].name) == key) return i;
  }
  return sets.size();
}

std::vector<DerivedSet> read_derived_sets(const std::vector<SetOption>& options,
                                          const std::vector<std::string>& columns) {
  std::vector<DerivedSet> sets;
  for (std::size_t s = 0; s < options.size(); ++s) {
    const SetOption& option = options[s];
    const std::string given = "--set " + option.name + "=" + option.expression + ": ";
    if (const std::string problem = name_problem(option.name, columns, sets); !problem.empty())
      throw SetRefused(given + problem);
    SetFormula formula;
    try {
      formula = parse_set_expression(option.expression);
    } catch (const SetExpressionError& error) {
      throw SetRefused(given + error.what());
    }
    DerivedSet set{option.name, {}, std::move(formula.steps), {}};
    std::vector<std::string> spelled;
    for (const SetOperand& operand : formula.operands) {
      const std::string at = " (position " + std::to_string(operand.position) + ")";
      if (const std::size_t earlier = find_derived_set(sets, operand.name); earlier < sets.size()) {
        set.sources.push_back({true, earlier});
        spelled.push_back(sets[earlier].name);
        continue;
      }
      std::vector<std::size_t> found;
      for (std::size_t i = 0; i < columns.size(); ++i) {
        if (capitals(columns[i]) == capitals(operand.name)) found.push_back(i);
      }
      if (found.size() > 1) {
        throw SetRefused(given + "the column name " + quoted_text(operand.name) + at +
                         " stands twice in the header (columns " + std::to_string(found[0] + 1) + " and " +
                         std::to_string(found[1] + 1) + ")");
      }
      if (found.empty()) {
        const bool itself = capitals(operand.name) == capitals(option.name);
        bool later = false;
        for (std::size_t t = s + 1; t < options.size(); ++t)
          later = later || capitals(options[t].name) == capitals(operand.name);
        throw SetRefused(
            given + (itself  ? "a set cannot be made of itself" + at
                     : later ? quoted_text(operand.name) + at +
                                   " is made by a later --set; give the sets in the order they build on one another"
                             : "no column or earlier set " + quoted_text(operand.name) + at +
                                   "; a set is made of the CSV file's columns and of the sets given before it"));
      }
      set.sources.push_back({false, found[0]});
      spelled.push_back(columns[found[0]]);
    }
    set.expression = set_expression_text(set.steps, spelled);
    sets.push_back(std::move(set));
  }
  return sets;
}

void derived_memberships(const std::vector<DerivedSet>& sets, const std::vector<double>& columns,
                         std::vector<double>& memberships) {
  memberships.resize(sets.size());
  std::vector<double> inputs;
  for (std::size_t s = 0; s < sets.size(); ++s) {
    inputs.clear();
    for (const SetSource& source : sets[s].sources)
      inputs.push_back(source.earlier_set ? memberships[source.index] : columns[source.index]);
    memberships[s] = derived_membership(sets[s].steps, inputs);
  }
}

}  // namespace morvit
