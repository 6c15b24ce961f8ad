#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "recordio/read_status.h"

namespace morvit {

// Sequential reader of the command file: whole lines for the interpreter, characters for the
// free-form reader.
//
// The file is read with read(2) in blocks of up to block_size bytes into one buffer. A read(2) is
// made only when a request cannot be completed from what is already buffered, and its result is
// used as soon as it arrives, so a FIFO or terminal works: a line is returned as soon as its line
// end has arrived.
//
// A line ends at LF or at CR LF; the CR directly before an LF is not part of the line. A CR
// anywhere else is an ordinary character, and so are tabs, NUL bytes and every other byte.
class CommandFile {
 public:
  static constexpr std::size_t default_block_size = 64 * 1024;

  // Takes ownership of an open descriptor and closes it in the destructor.
  explicit CommandFile(int fd);
  // As above, with read(2) requests of at most block_size bytes (at least 1).
  CommandFile(int fd, std::size_t block_size);

  // Reads from memory instead of a descriptor (tests, fuzzing). With a block size, the text is
  // handed out in pieces of at most that many bytes, as read(2) would, so that tests can put a
  // block boundary at every position of the text.
  static CommandFile from_text(std::string text);
  static CommandFile from_text(std::string text, std::size_t block_size);

  CommandFile(CommandFile&& other) noexcept;
  CommandFile& operator=(CommandFile&& other) noexcept;
  CommandFile(const CommandFile&) = delete;
  CommandFile& operator=(const CommandFile&) = delete;
  ~CommandFile();

  // Format "(A80)": the next line as exactly 80 characters, padded with blanks; characters after
  // column 80 are skipped with the rest of the line. A tab or any other byte is an ordinary
  // character.
  // end_of_file at the end of the file, also inside a last line that has no line terminator;
  // read_failed when the underlying read fails (e.g. the descriptor is a directory).
  // On end_of_file and read_failed the contents of line are unspecified.
  ReadStatus read_command_line(std::string& line);

  // Skips the rest of the current line including its line end. end_of_file if the file ends
  // first, read_failed if a read fails.
  ReadStatus skip_line();

  // --- Character-level access, for scanners that walk the buffer with pointers ---
  //
  // The buffered, not yet consumed bytes are [cursor(), limit()). These pointers stay valid
  // until the next call of fetch(), read_command_line() or skip_line().
  const char* cursor() const noexcept { return buffer_.data() + pos_; }
  const char* limit() const noexcept { return buffer_.data() + len_; }
  // Consumes the bytes before p; p must lie in [cursor(), limit()].
  void advance_to(const char* p) noexcept { pos_ = static_cast<std::size_t>(p - buffer_.data()); }

  // Makes more of the file available behind the unconsumed bytes, which are kept (and may move:
  // reload cursor() and limit() afterwards). ok: at least one new byte was buffered;
  // end_of_file: the file has ended; read_failed: the read failed. Both end states are sticky:
  // once met, later calls return them again without reading.
  ReadStatus fetch();

  // True once a read of the underlying file has failed.
  bool failed() const noexcept { return failed_; }

 private:
  CommandFile() = default;
  void release() noexcept;

  int fd_ = -1;               // owned descriptor, -1 when reading from memory
  std::string text_;          // the text when reading from memory
  std::size_t text_pos_ = 0;  // how much of text_ has been handed out
  std::size_t block_size_ = default_block_size;
  std::vector<char> buffer_;
  std::size_t pos_ = 0;  // first unconsumed byte
  std::size_t len_ = 0;  // end of the buffered bytes
  bool ended_ = false;
  bool failed_ = false;
};

}  // namespace morvit
