#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "recordio/read_status.h"
#include "system/byte_source.h"

namespace morvit {

// A place in the command file: line and column, both counted from 1 (columns in bytes).
struct FilePosition {
  std::uint64_t line = 1;
  std::uint64_t column = 1;
};

// Sequential reader of the command file: whole lines for the interpreter, characters for the
// free-form reader.
//
// The file is read in blocks of up to block_size bytes into one buffer. A read is made only
// when a request cannot be completed from what is already buffered, and its result is used as
// soon as it arrives, so a FIFO or terminal works: a line is returned as soon as its line end
// has arrived.
//
// A line ends at LF or at CR LF; the CR directly before an LF is not part of the line. A CR
// anywhere else is an ordinary character, and so are tabs, NUL bytes and every other byte. A
// UTF-8 byte-order mark at the very start of the file is not part of the first line.
class CommandFile {
 public:
  static constexpr std::size_t default_block_size = 64 * 1024;

  explicit CommandFile(std::unique_ptr<ByteSource> source, std::size_t block_size = default_block_size);

  // Reads from memory (tests, fuzzing). The text is handed out in pieces of at most
  // block_size bytes, as a device would, so that tests can put a block boundary at every
  // position of the text.
  static CommandFile from_text(std::string text, std::size_t block_size = default_block_size);

  CommandFile(CommandFile&& other) noexcept = default;
  CommandFile& operator=(CommandFile&& other) noexcept = default;
  CommandFile(const CommandFile&) = delete;
  CommandFile& operator=(const CommandFile&) = delete;
  ~CommandFile() = default;

  // Format "(A80)": the next line as exactly 80 characters, padded with blanks; characters after
  // column 80 are skipped with the rest of the line. A tab or any other byte is an ordinary
  // character.
  // end_of_file at the end of the file, also inside a last line that has no line terminator;
  // read_failed when the underlying read fails (e.g. the file is a directory).
  // On end_of_file and read_failed the contents of line are unspecified.
  ReadStatus read_command_line(std::string& line);

  // Skips the rest of the current line including its line end. end_of_file if the file ends
  // first, read_failed if a read fails.
  ReadStatus skip_line();

  // The line number of the line that read_command_line returned last (0 before the first).
  std::uint64_t command_line_number() const noexcept { return command_line_number_; }

  // --- Character-level access, for scanners that walk the buffer with pointers ---
  //
  // The buffered, not yet consumed bytes are [cursor(), limit()). These pointers stay valid
  // until the next call of fetch(), read_command_line() or skip_line().
  const char* cursor() const noexcept { return buffer_.data() + pos_; }
  const char* limit() const noexcept { return buffer_.data() + len_; }
  // Consumes the bytes before p; p must lie in [cursor(), limit()].
  void advance_to(const char* p) noexcept { pos_ = static_cast<std::size_t>(p - buffer_.data()); }
  // A scanner that consumes a line end tells where the next line begins (p just after the LF).
  void line_begins_at(const char* p) noexcept {
    ++line_;
    line_start_ = offset_of(p);
  }
  // Where the buffered byte p, or the byte at a file offset, on the current line stands.
  FilePosition position_of(const char* p) const noexcept { return position_at(offset_of(p)); }
  FilePosition position_at(std::uint64_t offset) const noexcept { return {line_, offset - line_start_ + 1}; }
  // The offset in the file of the buffered byte p, and the byte at a file offset while it is
  // still buffered (null once it has been dropped).
  std::uint64_t offset_of(const char* p) const noexcept {
    return buffer_offset_ + static_cast<std::uint64_t>(p - buffer_.data());
  }
  const char* buffered_at(std::uint64_t offset) const noexcept {
    return offset >= buffer_offset_ && offset <= buffer_offset_ + len_
               ? buffer_.data() + static_cast<std::size_t>(offset - buffer_offset_)
               : nullptr;
  }

  // Makes more of the file available behind the unconsumed bytes, which are kept (and may move:
  // reload cursor() and limit() afterwards). ok: at least one new byte was buffered;
  // end_of_file: the file has ended; read_failed: the read failed. Both end states are sticky:
  // once met, later calls return them again without reading.
  ReadStatus fetch();

  // True once a read of the underlying file has failed.
  bool failed() const noexcept { return failed_; }

 private:
  void skip_byte_order_mark();

  std::unique_ptr<ByteSource> source_;
  std::size_t block_size_ = default_block_size;
  std::vector<char> buffer_;
  std::size_t pos_ = 0;              // first unconsumed byte
  std::size_t len_ = 0;              // end of the buffered bytes
  std::uint64_t buffer_offset_ = 0;  // offset in the file of buffer_[0]
  std::uint64_t line_ = 1;           // line of the cursor
  std::uint64_t line_start_ = 0;     // offset in the file where that line begins
  std::uint64_t command_line_number_ = 0;
  bool at_start_ = true;
  bool ended_ = false;
  bool failed_ = false;
};

}  // namespace morvit
