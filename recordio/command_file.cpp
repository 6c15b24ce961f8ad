#include "recordio/command_file.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace morvit {

namespace {

constexpr std::size_t command_line_width = 80;

}  // namespace

CommandFile::CommandFile(int fd) : CommandFile(fd, default_block_size) {}

CommandFile::CommandFile(int fd, std::size_t block_size) : fd_(fd), block_size_(std::max<std::size_t>(block_size, 1)) {
  buffer_.resize(block_size_);
}

CommandFile CommandFile::from_text(std::string text) { return from_text(std::move(text), default_block_size); }

CommandFile CommandFile::from_text(std::string text, std::size_t block_size) {
  CommandFile file;
  file.text_ = std::move(text);
  file.block_size_ = std::max<std::size_t>(block_size, 1);
  file.buffer_.resize(file.block_size_);
  return file;
}

CommandFile::CommandFile(CommandFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      text_(std::move(other.text_)),
      text_pos_(other.text_pos_),
      block_size_(other.block_size_),
      buffer_(std::move(other.buffer_)),
      pos_(std::exchange(other.pos_, 0)),
      len_(std::exchange(other.len_, 0)),
      ended_(other.ended_),
      failed_(other.failed_) {}

CommandFile& CommandFile::operator=(CommandFile&& other) noexcept {
  if (this != &other) {
    release();
    fd_ = std::exchange(other.fd_, -1);
    text_ = std::move(other.text_);
    text_pos_ = other.text_pos_;
    block_size_ = other.block_size_;
    buffer_ = std::move(other.buffer_);
    pos_ = std::exchange(other.pos_, 0);
    len_ = std::exchange(other.len_, 0);
    ended_ = other.ended_;
    failed_ = other.failed_;
  }
  return *this;
}

CommandFile::~CommandFile() { release(); }

void CommandFile::release() noexcept {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

ReadStatus CommandFile::fetch() {
  if (failed_) return ReadStatus::read_failed;
  if (ended_) return ReadStatus::end_of_file;

  // Keep the unconsumed bytes, moved to the front of the buffer.
  const std::size_t unread = len_ - pos_;
  if (pos_ > 0) {
    if (unread > 0) std::memmove(buffer_.data(), buffer_.data() + pos_, unread);
    pos_ = 0;
    len_ = unread;
  }
  // Callers hold back at most a few bytes, so the buffer grows only if a caller asks for more
  // while keeping a whole block unconsumed.
  if (len_ + block_size_ > buffer_.size()) buffer_.resize(len_ + block_size_);

  char* const dest = buffer_.data() + len_;
  if (fd_ < 0) {
    const std::size_t n = std::min(block_size_, text_.size() - text_pos_);
    if (n == 0) {
      ended_ = true;
      return ReadStatus::end_of_file;
    }
    std::memcpy(dest, text_.data() + text_pos_, n);
    text_pos_ += n;
    len_ += n;
    return ReadStatus::ok;
  }

  for (;;) {
    const ssize_t n = ::read(fd_, dest, block_size_);
    if (n > 0) {
      len_ += static_cast<std::size_t>(n);
      return ReadStatus::ok;
    }
    if (n == 0) {
      ended_ = true;
      return ReadStatus::end_of_file;
    }
    if (errno != EINTR) {
      failed_ = true;
      return ReadStatus::read_failed;
    }
  }
}

ReadStatus CommandFile::read_command_line(std::string& line) {
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
      advance_to(static_cast<const char*>(lf) + 1);
      return ReadStatus::ok;
    }
    advance_to(lim);
    const ReadStatus status = fetch();
    if (status != ReadStatus::ok) return status;
  }
}

}  // namespace morvit
