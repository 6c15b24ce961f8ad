#include "recordio/command_file.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

#include "limits/program_limits.h"

namespace morvit {

namespace {

constexpr std::size_t command_line_width = line_columns;
constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

}  // namespace

CommandFile::CommandFile(std::unique_ptr<ByteSource> source, std::size_t block_size)
    : source_(std::move(source)), block_size_(std::max<std::size_t>(block_size, 1)) {
  buffer_.resize(block_size_);
}

CommandFile CommandFile::from_text(std::string text, std::size_t block_size) {
  const std::size_t piece = std::max<std::size_t>(block_size, 1);
  return CommandFile(std::make_unique<TextSource>(std::move(text), piece), piece);
}

ReadStatus CommandFile::fetch() {
  if (failed_) return ReadStatus::read_failed;
  if (ended_) return ReadStatus::end_of_file;

  // Keep the unconsumed bytes, moved to the front of the buffer.
  const std::size_t unread = len_ - pos_;
  if (pos_ > 0) {
    if (unread > 0) std::memmove(buffer_.data(), buffer_.data() + pos_, unread);
    buffer_offset_ += pos_;
    pos_ = 0;
    len_ = unread;
  }
  // Callers hold back at most a few bytes, so the buffer grows only if a caller asks for more
  // while keeping a whole block unconsumed.
  if (len_ + block_size_ > buffer_.size()) buffer_.resize(len_ + block_size_);

  const long n = source_ ? source_->read(buffer_.data() + len_, block_size_) : 0;
  if (n > 0) {
    len_ += static_cast<std::size_t>(n);
    return ReadStatus::ok;
  }
  if (n == 0) {
    ended_ = true;
    return ReadStatus::end_of_file;
  }
  failed_ = true;
  return ReadStatus::read_failed;
}

void CommandFile::skip_byte_order_mark() {
  at_start_ = false;
  // Wait only as long as what has arrived could still be the mark.
  while (len_ - pos_ < byte_order_mark.size() && byte_order_mark.starts_with(std::string_view(cursor(), len_ - pos_)) &&
         fetch() == ReadStatus::ok) {
  }
  if (std::string_view(cursor(), len_ - pos_).starts_with(byte_order_mark)) {
    advance_to(cursor() + byte_order_mark.size());
    line_start_ = offset_of(cursor());
  }
}

ReadStatus CommandFile::read_command_line(std::string& line) {
  if (at_start_) skip_byte_order_mark();
  command_line_number_ = line_;
  line.assign(command_line_width, ' ');
  std::size_t length = 0;    // characters of the line seen so far (may exceed 80)
  bool last_was_cr = false;  // the last character seen was a CR
  for (;;) {
    const char* p = cursor();
    const char* const lim = limit();
    const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(lim - p));
    const char* const stop = lf != nullptr ? static_cast<const char*>(lf) : lim;
    const auto n = static_cast<std::size_t>(stop - p);
    if (length < command_line_width) {
      std::memcpy(line.data() + length, p, std::min(n, command_line_width - length));
    }
    if (n > 0) {
      length += n;
      last_was_cr = stop[-1] == '\r';
    }
    if (lf != nullptr) {
      advance_to(stop + 1);
      line_begins_at(stop + 1);
      // The CR of a CR LF belongs to the line end, not to the line.
      if (last_was_cr && length <= command_line_width) line[length - 1] = ' ';
      return ReadStatus::ok;
    }
    advance_to(lim);
    const ReadStatus status = fetch();
    if (status != ReadStatus::ok) return status;
  }
}

ReadStatus CommandFile::skip_line() {
  for (;;) {
    const char* const p = cursor();
    const char* const lim = limit();
    if (const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(lim - p))) {
      const char* const next = static_cast<const char*>(lf) + 1;
      advance_to(next);
      line_begins_at(next);
      return ReadStatus::ok;
    }
    advance_to(lim);
    const ReadStatus status = fetch();
    if (status != ReadStatus::ok) return status;
  }
}

}  // namespace morvit
