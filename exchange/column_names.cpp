#include "exchange/column_names.h"

#include "exchange/cell_text.h"

namespace morvit {
namespace {

constexpr std::string_view outcome_key = "OUTCOME = ";
constexpr std::string_view weights_key = "WEIGHTS = ";
constexpr std::string_view cases_key = "CASES = ";
constexpr std::string_view calibration_key = ", CALIBRATED ";

std::string_view without_trailing_blanks(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// The name of a comment text without its calibration suffix. The suffix is recognised by its
// form, three thresholds between slashes, so that a name that happens to hold the words
// stays whole.
std::string_view without_calibration(std::string_view text) {
  const std::size_t at = text.rfind(calibration_key);
  if (at == std::string_view::npos || at == 0) return text;
  const std::string_view thresholds = text.substr(at + calibration_key.size());
  std::size_t slashes = 0;
  for (const char c : thresholds) {
    if (c == '/') {
      ++slashes;
    } else if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'E' || c == 'e')) {
      return text;
    }
  }
  return slashes == 2 ? text.substr(0, at) : text;
}

}  // namespace

std::string outcome_comment(std::string_view name) { return std::string(outcome_key) + std::string(name); }

std::string factor_comment(int factor, std::string_view name) {
  return std::string(1, factor_letter(factor)) + " = " + std::string(name);
}

std::string weights_comment(std::string_view name) { return std::string(weights_key) + std::string(name); }

std::string cases_comment(std::string_view name) { return std::string(cases_key) + std::string(name); }

std::string calibration_suffix(std::string_view exclusion, std::string_view crossover, std::string_view inclusion) {
  return std::string(calibration_key) + std::string(exclusion) + "/" + std::string(crossover) + "/" + std::string(inclusion);
}

void take_name_from_comment(std::string_view text, ColumnNames& names) {
  text = without_calibration(without_trailing_blanks(text));
  if (text.starts_with(outcome_key) && text.size() > outcome_key.size()) {
    names.outcome = std::string(text.substr(outcome_key.size()));
  } else if (text.starts_with(weights_key) && text.size() > weights_key.size()) {
    names.weights = std::string(text.substr(weights_key.size()));
  } else if (text.size() > 4 && factor_of_letter(text[0]) != 0 && text.substr(1, 3) == " = ") {
    names.factors[static_cast<std::size_t>(factor_of_letter(text[0]) - 1)] = std::string(text.substr(4));
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
    if (factor_of_letter(letter) == 0) continue;
    if (!joined.empty()) joined += '*';
    const std::string& name = names.factors[static_cast<std::size_t>(factor_of_letter(letter) - 1)];
    joined += name.empty() ? std::string(1, letter) : name;
  }
  return joined;
}

}  // namespace morvit
