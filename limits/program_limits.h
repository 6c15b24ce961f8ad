#pragma once

// The program's fixed limits, in one place: every room takes them from here, and what
// depends on them is tied to them below, so that a change of one limit cannot leave another
// place behind.

#include <string_view>

namespace morvit {

// A command line: 80 columns; a COM line's text stands in columns 8 to 80.
inline constexpr int line_columns = 80;
inline constexpr int comment_columns = line_columns - 7;

// A run: at most 100,000 cases and 10 factors (columns 1 to 10 beside the outcome, column 0).
inline constexpr int max_cases = 100000;
inline constexpr std::string_view max_cases_text = "100,000";  // as messages and the report write it
inline constexpr int max_factors = 10;
inline constexpr int max_columns = max_factors + 1;

// A case name, as the maker keeps it beside a command file: at most this many bytes of
// UTF-8 (longer names are cut where a character ends).
inline constexpr int max_case_name_bytes = 256;

// The table: single factors, then combinations of two to six factors.
inline constexpr int max_combination_size = 6;

// Factor j (1 to max_factors) is named by the capital letter 'A' + j - 1.
inline constexpr char first_factor_letter = 'A';
inline constexpr char last_factor_letter = first_factor_letter + max_factors - 1;
constexpr char factor_letter(int factor) { return static_cast<char>(first_factor_letter + factor - 1); }
// The factor (1 to max_factors) that a capital letter names, or 0 when it names none.
constexpr int factor_of_letter(char letter) {
  return letter >= first_factor_letter && letter <= last_factor_letter ? letter - first_factor_letter + 1 : 0;
}

// n over k, 0 outside 0 <= k <= n.
constexpr int binomial(int n, int k) {
  if (k < 0 || k > n) return 0;
  int value = 1;
  for (int i = 1; i <= k; ++i) value = value * (n - k + i) / i;
  return value;
}

// The most combinations of one size: 10 over 5.
inline constexpr int max_combinations_of_a_size = [] {
  int most = 0;
  for (int size = 2; size <= max_combination_size; ++size) {
    if (binomial(max_factors, size) > most) most = binomial(max_factors, size);
  }
  return most;
}();

static_assert(max_combination_size <= max_factors, "a combination holds distinct factors");
static_assert(last_factor_letter == 'J', "the report labels factors A to J");
static_assert(max_combinations_of_a_size == 252, "ten factors give at most 252 combinations of one size");
static_assert(max_cases_text == "100,000" && max_cases == 100000, "the messages quote the case limit");

}  // namespace morvit
