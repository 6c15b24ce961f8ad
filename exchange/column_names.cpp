#include "exchange/column_names.h"

#include "exchange/cell_text.h"

namespace morvit {
namespace {

// A COM line's text is columns 8 to 80.
constexpr std::size_t comment_text_width = 73;
constexpr std::string_view name_record_key = "NAME";
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

// The name in a comment, and what its line begins with, for the role of a NAME record
// ("OUTCOME", "A" to "J", "WEIGHTS", "CASES"); nothing for another role.
struct Role {
  std::string* written = nullptr;
  const std::string* in_comments = nullptr;
  std::string key;
};

Role role_of(std::string_view role, ColumnNames& names) {
  if (role == "OUTCOME") return {&names.as_written.outcome, &names.outcome, std::string(outcome_key)};
  if (role == "WEIGHTS") return {&names.as_written.weights, &names.weights, std::string(weights_key)};
  if (role == "CASES") return {&names.as_written.cases, &names.cases, std::string(cases_key)};
  if (role.size() == 1 && factor_of_letter(role[0]) != 0) {
    const auto index = static_cast<std::size_t>(factor_of_letter(role[0]) - 1);
    return {&names.as_written.factors[index], &names.factors[index], factor_comment(factor_of_letter(role[0]), "")};
  }
  return {};
}

// The name as written is the name in the comment: the same in capitals, or longer where the
// comment's line is full and the name was cut there.
bool agrees(std::string_view written, const Role& role, const std::vector<std::string>& comments) {
  const std::string& in_comments = *role.in_comments;
  const std::string upper = capitals(written);
  if (in_comments.empty() || upper == in_comments) return !in_comments.empty();
  if (!upper.starts_with(in_comments)) return false;
  for (const std::string& comment : comments) {
    if (comment.size() == comment_text_width && comment.starts_with(role.key + in_comments)) return true;
  }
  return false;
}

}  // namespace

const std::string& ColumnNames::shown_factor(int factor) const {
  const auto index = static_cast<std::size_t>(factor - 1);
  return as_written.factors[index].empty() ? factors[index] : as_written.factors[index];
}

std::string outcome_comment(std::string_view name) { return std::string(outcome_key) + std::string(name); }

std::string factor_comment(int factor, std::string_view name) {
  return std::string(1, factor_letter(factor)) + " = " + std::string(name);
}

std::string weights_comment(std::string_view name) { return std::string(weights_key) + std::string(name); }

std::string cases_comment(std::string_view name) { return std::string(cases_key) + std::string(name); }

std::string calibration_suffix(std::string_view exclusion, std::string_view crossover, std::string_view inclusion) {
  return std::string(calibration_key) + std::string(exclusion) + "/" + std::string(crossover) + "/" +
         std::string(inclusion);
}

void take_name_from_comment(std::string_view text, ColumnNames& names) {
  text = without_calibration(without_trailing_blanks(text));
  if (text.starts_with(outcome_key) && text.size() > outcome_key.size()) {
    names.outcome = std::string(text.substr(outcome_key.size()));
  } else if (text.starts_with(weights_key) && text.size() > weights_key.size()) {
    names.weights = std::string(text.substr(weights_key.size()));
  } else if (text.starts_with(cases_key) && text.size() > cases_key.size()) {
    names.cases = std::string(text.substr(cases_key.size()));
  } else if (text.size() > 4 && factor_of_letter(text[0]) != 0 && text.substr(1, 3) == " = ") {
    names.factors[static_cast<std::size_t>(factor_of_letter(text[0]) - 1)] = std::string(text.substr(4));
  }
}

int take_names_from_list(std::string_view list, ColumnNames& names) {
  int count = 0;
  for (;;) {
    const std::size_t comma = list.find(',');
    if (count < max_factors) {
      const std::string name(trimmed(list.substr(0, comma)));
      names.factors[static_cast<std::size_t>(count)] = name;
      names.as_written.factors[static_cast<std::size_t>(count)] = name;
    }
    ++count;
    if (comma == std::string_view::npos) return count;
    list.remove_prefix(comma + 1);
  }
}

std::string factor_letters(int factor_count) {
  if (factor_count <= 0) return "";
  if (factor_count == 1) return "A";
  return std::string("A") + (factor_count == 2 ? " and " : " to ") + factor_letter(factor_count);
}

SideRecord written_name_record(std::string_view role, std::string_view name) {
  return {std::string(name_record_key), std::string(role) + " " + std::string(name)};
}

void take_written_names(const std::vector<SideRecord>& records, const std::vector<std::string>& comments,
                        ColumnNames& names) {
  for (const SideRecord& record : records) {
    const std::size_t blank = record.value.find(' ');
    if (record.key != name_record_key || blank == std::string::npos) continue;
    const Role role = role_of(std::string_view(record.value).substr(0, blank), names);
    const std::string_view written = std::string_view(record.value).substr(blank + 1);
    if (role.written != nullptr && agrees(written, role, comments)) *role.written = std::string(written);
  }
}

std::string block_names(std::string_view block, const ColumnNames& names) {
  bool any = false;
  for (int factor = 1; factor <= max_factors; ++factor) any = any || !names.shown_factor(factor).empty();
  if (!any || block == "NONE") return "";
  std::string joined;
  for (const char letter : block) {
    if (factor_of_letter(letter) == 0) continue;
    if (!joined.empty()) joined += '*';
    const std::string& name = names.shown_factor(factor_of_letter(letter));
    joined += name.empty() ? std::string(1, letter) : name;
  }
  return joined;
}

}  // namespace morvit
