#include "exchange/column_names.h"

#include "exchange/number_text.h"

namespace morvit {
namespace {

constexpr std::string_view outcome_key = "OUTCOME = ";
constexpr std::string_view weights_key = "WEIGHTS = ";
constexpr std::string_view cases_key = "CASES = ";

std::string_view without_trailing_blanks(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

std::string outcome_comment(std::string_view name) { return std::string(outcome_key) + std::string(name); }

std::string factor_comment(int factor, std::string_view name) {
  return std::string(1, static_cast<char>('A' + factor - 1)) + " = " + std::string(name);
}

std::string weights_comment(std::string_view name) { return std::string(weights_key) + std::string(name); }

std::string cases_comment(std::string_view name) { return std::string(cases_key) + std::string(name); }

void take_name_from_comment(std::string_view text, ColumnNames& names) {
  text = without_trailing_blanks(text);
  if (text.starts_with(outcome_key) && text.size() > outcome_key.size()) {
    names.outcome = std::string(text.substr(outcome_key.size()));
  } else if (text.starts_with(weights_key) && text.size() > weights_key.size()) {
    names.weights = std::string(text.substr(weights_key.size()));
  } else if (text.size() > 4 && text[0] >= 'A' && text[0] < 'A' + max_factors && text.substr(1, 3) == " = ") {
    names.factors[static_cast<std::size_t>(text[0] - 'A')] = std::string(text.substr(4));
  }
}

int take_names_from_list(std::string_view list, ColumnNames& names) {
  int count = 0;
  for (;;) {
    const std::size_t comma = list.find(',');
    if (count < max_factors) names.factors[static_cast<std::size_t>(count)] = std::string(trimmed(list.substr(0, comma)));
    ++count;
    if (comma == std::string_view::npos) return count;
    list.remove_prefix(comma + 1);
  }
}

std::string block_names(std::string_view block, const ColumnNames& names) {
  bool any = false;
  for (const std::string& name : names.factors) any = any || !name.empty();
  if (!any || block == "NONE") return "";
  std::string joined;
  for (const char letter : block) {
    if (letter < 'A' || letter >= 'A' + max_factors) continue;
    if (!joined.empty()) joined += '*';
    const std::string& name = names.factors[static_cast<std::size_t>(letter - 'A')];
    joined += name.empty() ? std::string(1, letter) : name;
  }
  return joined;
}

}  // namespace morvit
