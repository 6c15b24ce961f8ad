#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace morvit {

// The editing of one data item into its field. Each function appends exactly
// `width` characters (or the whole item for an A edit without a width) to `out`.

// Iw (min_digits < 0) and Iw.m: right-justified, a minus sign only for negative values,
// w asterisks when the value does not fit.
void edit_integer(std::string& out, std::int64_t value, int width, int min_digits = -1);

// Fw.d: fixed point with `decimals` digits after the point, right-justified.
// A value that rounds to zero has no minus sign; a value one column too wide whose text
// starts with "0" loses that zero; anything wider is w asterisks.
void edit_fixed(std::string& out, double value, int width, int decimals);

// Aw (width >= 0): blanks in front of a short item, the first w characters of a long one.
// A (width < 0): the whole item.
void edit_text(std::string& out, std::string_view item, int width);

}  // namespace morvit
