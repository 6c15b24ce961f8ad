#include "recordio/free_form_reader.h"

#include <algorithm>

#include "recordio/decimal_conversion.h"

namespace morvit {

namespace {

using Item = FreeFormReader::Item;

constexpr int no_char = -1;  // the file has ended, or a read failed
constexpr long long max_exponent = 99999999;

bool is_blank(int c) { return c == ' ' || c == '\t'; }
bool is_digit(int c) { return c >= '0' && c <= '9'; }
bool is_sign(int c) { return c == '+' || c == '-'; }
bool is_exponent_letter(int c) { return c == 'E' || c == 'e' || c == 'D' || c == 'd'; }

// A scanning position in the command file's buffer, kept in registers while one target is
// served and handed back to the file when the cursor goes out of scope.
class Cursor {
 public:
  explicit Cursor(CommandFile& file) : file_(file), p_(file.cursor()), lim_(file.limit()) {}
  ~Cursor() { file_.advance_to(p_); }
  Cursor(const Cursor&) = delete;
  Cursor& operator=(const Cursor&) = delete;

  // The character at the cursor (as unsigned char), or no_char.
  int peek() { return p_ != lim_ ? static_cast<unsigned char>(*p_) : refill(); }
  // Consumes n characters that peek() (and line_end()) have shown.
  void skip(int n = 1) { p_ += n; }

  // The buffered characters from the cursor on, for scanning without fetching more.
  const char* position() const { return p_; }
  const char* limit() const { return lim_; }
  // Consumes the characters before p, which lies in [position(), limit()].
  void skip_to(const char* p) { p_ = p; }
  // The cursor has just passed a line end.
  void line_begins_here() { file_.line_begins_at(p_); }
  std::uint64_t file_offset() const { return file_.offset_of(p_); }
  // The character after the one at the cursor if it is buffered, without reading more.
  int buffered_second() const { return lim_ - p_ >= 2 ? static_cast<unsigned char>(p_[1]) : no_char; }

  // Length of the line end that starts at the cursor, c being peek(): 1 for LF, 2 for CR LF,
  // 0 when no line end starts here (a lone CR is an ordinary character).
  int line_end(int c) {
    if (c == '\n') return 1;
    if (c == '\r' && second() == '\n') return 2;
    return 0;
  }

 private:
  int refill() {
    file_.advance_to(p_);
    const ReadStatus status = file_.fetch();
    p_ = file_.cursor();
    lim_ = file_.limit();
    return status == ReadStatus::ok ? static_cast<unsigned char>(*p_) : no_char;
  }

  // The character after the one at the cursor; fetches more when the buffer ends between them.
  int second() {
    if (lim_ - p_ < 2) {
      file_.advance_to(p_);
      const ReadStatus status = file_.fetch();
      p_ = file_.cursor();
      lim_ = file_.limit();
      if (status != ReadStatus::ok) return no_char;
    }
    return static_cast<unsigned char>(p_[1]);
  }

  CommandFile& file_;
  const char* p_;
  const char* lim_;
};

// Skips blanks and line ends; returns the character after them (not consumed) or no_char.
int skip_blanks_and_line_ends(Cursor& cur) {
  for (;;) {
    const int c = cur.peek();
    if (is_blank(c)) {
      cur.skip();
      continue;
    }
    const int n = cur.line_end(c);
    if (n == 0) return c;
    cur.skip(n);
    cur.line_begins_here();
  }
}

struct Field {
  Item item = Item::null;  // number or null
  double value = 0.0;
  std::uint64_t repeat = 1;   // how many targets the field serves
  bool whole_number = false;  // digits only (after an optional sign): no point, no exponent
};

// The common field, read without the general rules: an optional sign and at most 15
// digits with an optional point ("0.25", "-3", "12.", ".5"), ended by a blank, a comma or
// a line end, all already buffered. Its value is exact_decimal, which is what the general
// path's conversion gives for the same digits. Returns false, consuming nothing, for any
// other field, which the general path then reads.
bool read_plain_number(Cursor& cur, Field& field) {
  const char* p = cur.position();
  const char* const lim = cur.limit();
  bool negative = false;
  if (p != lim && is_sign(*p)) {
    negative = *p == '-';
    ++p;
  }
  std::uint64_t integer = 0;
  std::size_t digits = 0;
  int decimals = 0;
  for (; p != lim && is_digit(*p) && digits <= max_exact_digits; ++p, ++digits) {
    integer = integer * 10 + static_cast<std::uint64_t>(*p - '0');
  }
  if (p != lim && *p == '.') {
    for (++p; p != lim && is_digit(*p) && digits <= max_exact_digits; ++p, ++digits, ++decimals) {
      integer = integer * 10 + static_cast<std::uint64_t>(*p - '0');
    }
  }
  if (digits == 0 || digits > max_exact_digits || p == lim) return false;
  if (!is_blank(*p) && *p != ',' && *p != '\n' && *p != '\r') return false;

  const double value = exact_decimal(integer, decimals);
  field.item = Item::number;
  field.value = negative ? -value : value;
  field.repeat = 1;
  field.whole_number = decimals == 0 && p[-1] != '.';
  cur.skip_to(p);
  return true;
}

// Reads one field that begins at the cursor: a number, an empty value, or (where allowed)
// r*value / r*. Stops before the first character that does not fit. Returns false for a
// malformed field.
bool read_field(Cursor& cur, bool repeat_allowed, Field& field) {
  int c = cur.peek();
  bool negative = false;
  bool has_sign = false;
  if (is_sign(c)) {
    negative = c == '-';
    has_sign = true;
    cur.skip();
    c = cur.peek();
  }

  SignificantDigits mantissa;
  bool has_digits = false;
  int integer_digits = 0;
  while (is_digit(c)) {
    mantissa.add_integer_digit(static_cast<char>(c));
    has_digits = true;
    ++integer_digits;
    cur.skip();
    c = cur.peek();
  }

  if (c == '*' && repeat_allowed) {
    // A repeat count: an unsigned integer, not all zeros, of at most 40 digits (leading zeros
    // included), directly before the "*".
    if (has_sign || !mantissa.any() || integer_digits > SignificantDigits::max_digits) return false;
    field.repeat = mantissa.saturated_integer();
    cur.skip();
    c = cur.peek();
    if (c == no_char || is_blank(c) || c == ',' || c == '/' || cur.line_end(c) != 0) {
      field.item = Item::null;  // "r*" alone: r empty values
      return true;
    }
    return read_field(cur, false, field);
  }

  bool has_point = false;
  if (c == '.') {
    has_point = true;
    cur.skip();
    c = cur.peek();
    while (is_digit(c)) {
      mantissa.add_fraction_digit(static_cast<char>(c));
      has_digits = true;
      cur.skip();
      c = cur.peek();
    }
  }

  if (!has_digits) {
    // Only a sign and/or a point: an empty value when a comma or "/" follows directly.
    if (c == ',' || c == '/') {
      field.item = Item::null;
      return true;
    }
    return false;
  }

  // Exponent: a letter with an optional sign, or a sign directly after the mantissa; at least
  // one digit in either case.
  long long exponent = 0;
  bool exponent_negative = false;
  bool has_exponent = false;
  if (is_exponent_letter(c)) {
    has_exponent = true;
    cur.skip();
    c = cur.peek();
    if (is_sign(c)) {
      exponent_negative = c == '-';
      cur.skip();
      c = cur.peek();
    }
  } else if (is_sign(c)) {
    has_exponent = true;
    exponent_negative = c == '-';
    cur.skip();
    c = cur.peek();
  }
  if (has_exponent) {
    if (!is_digit(c)) return false;
    do {
      if (exponent <= max_exponent) exponent = exponent * 10 + (c - '0');
      cur.skip();
      c = cur.peek();
    } while (is_digit(c));
    if (exponent > max_exponent) return false;
  }

  // The number ends at the first character that does not fit, also at a "*" (a repeat
  // count that is signed, fractional or scaled, or one inside the value of a repeat): the
  // "*" stays for the next target, which it cannot begin.
  field.item = Item::number;
  field.whole_number = !has_point && !has_exponent;
  field.value =
      decimal_to_double(negative, mantissa.digits(), mantissa.exponent() + (exponent_negative ? -exponent : exponent));
  return true;
}

}  // namespace

ReadStatus FreeFormReader::next(Item& item, double& value) {
  if (quit_) {
    item = Item::quit;
    return ReadStatus::ok;
  }
  if (status_ != ReadStatus::ok) return status_;
  bool whole_number = false;
  {
    Cursor cur(in_);
    if (repeat_left_ == 0) {
      const int c = skip_blanks_and_line_ends(cur);
      if (c == no_char) {
        return fail(in_.failed() ? ReadStatus::read_failed : ReadStatus::end_of_file);
      }
      if (c == ',') {
        cur.skip();
        item = Item::null;
        return ReadStatus::ok;
      }
      if (c == '/') {
        cur.skip();
        quit_ = true;
        item = Item::quit;
        return ReadStatus::ok;
      }
      field_offset_ = cur.file_offset();
      Field field;
      if (!read_plain_number(cur, field) && !read_field(cur, true, field)) {
        note_failed_field(cur.position(), cur.limit());
        return fail(ReadStatus::read_failed);
      }
      current_item_ = field.item;
      current_value_ = field.value;
      repeat_left_ = field.repeat;
      whole_number = field.whole_number && field.repeat == 1;
    }
    item = current_item_;
    value = current_value_;

    int c = cur.peek();
    // "0,8": digits, a comma and a digit without a blank, as a decimal comma is written.
    decimal_comma_ = whole_number && c == ',' && is_digit(cur.buffered_second());
    // Blanks after the field are skipped; a comma there is the separator of the field and is
    // consumed by the last target that the field serves.
    while (is_blank(c)) {
      cur.skip();
      c = cur.peek();
    }
    if (c == ',' && repeat_left_ == 1) cur.skip();
    --repeat_left_;
  }
  if (in_.failed()) return fail(ReadStatus::read_failed);
  return ReadStatus::ok;
}

void FreeFormReader::note_failed_field(const char* stop, const char* limit) {
  const char* start = in_.buffered_at(field_offset_);
  if (start == nullptr || start > stop) start = stop;
  // The field up to the first blank, separator or line end after it, at most 24 characters.
  const char* end = stop;
  while (end != limit && !is_blank(*end) && *end != ',' && *end != '/' && *end != '\n' && *end != '\r') ++end;
  failed_text_.assign(start, static_cast<std::size_t>(std::min<std::ptrdiff_t>(end - start, 24)));
}

ReadStatus FreeFormReader::finish() {
  if (status_ != ReadStatus::ok) return status_;
  return fail(in_.skip_line());
}

ReadStatus free_form_read(CommandFile& in, std::span<double> targets) {
  FreeFormReader reader(in);
  for (double& target : targets) {
    FreeFormReader::Item item{};
    double value = 0.0;
    const ReadStatus status = reader.next(item, value);
    if (status != ReadStatus::ok) return status;
    if (item == FreeFormReader::Item::quit) break;
    if (item == FreeFormReader::Item::number) target = value;
  }
  return reader.finish();
}

}  // namespace morvit
