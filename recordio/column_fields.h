#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvit {

// Reads of fixed-width fields from a record: a stretch of the 80-column command line, given as
// the characters from the field's first column to the record's end. A field never reads past
// its record: the positions after the record's end act as the line end, which ends a numeric
// field and reads as a blank in a text field.
//
// In the numeric fields, blanks (space, tab) count for nothing wherever they stand.

// "(BN,Fw.0)": a real field of `width` columns. Optional sign, digits with an optional point
// (a value without a point is taken as written), and an optional exponent: E, e, D or d with an
// optional sign and digits, or a sign and digits after the mantissa ("2.5-1" is 0.25). A comma
// ends the field early. A field of blanks, or a sign or point alone, reads as 0. At most 40
// significant digits are used. nullopt: a character the field does not allow, an exponent
// without digits or without a mantissa before it, or an exponent above 99999999 on a value with
// significant digits.
// `stop`, when given, receives the index in the record where a field that cannot be read
// stopped.
std::optional<double> read_real_field(std::string_view record, int width, std::size_t* stop = nullptr);

// "(BN,Iw)": an integer field of up to `width` characters, stopping early at a comma or the end
// of the record. Optional sign, then digits; digits on both sides of a blank join ("1 2" is 12).
// Blanks only, or a sign alone, read as 0. nullopt: any other character (a point, a letter, a
// second sign), or a value outside the 32-bit range.
std::optional<std::int32_t> read_integer_field(std::string_view record, int width, std::size_t* stop = nullptr);

// "(Aw)" into a target of target_length characters: the width characters are taken unchanged
// (blanks past the record's end); a narrower field is padded with blanks on the right, a wider
// one keeps its last target_length characters.
std::string read_text_field(std::string_view record, int width, int target_length);

}  // namespace morvit
