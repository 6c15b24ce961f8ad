#pragma once

#include <cstddef>
#include <string>

namespace morvit {

// Where the bytes of a command file come from: a file of the operating system, or text in
// memory.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `size` bytes into `dest`, waiting for at least one unless the source has
  // ended. Returns the number read, 0 at the end, or -1 when the read fails.
  virtual long read(char* dest, std::size_t size) = 0;
};

// Text held in memory, handed out in pieces of at most `piece` bytes, as a device might.
class TextSource final : public ByteSource {
 public:
  TextSource(std::string text, std::size_t piece) : text_(std::move(text)), piece_(piece) {}
  long read(char* dest, std::size_t size) override;

 private:
  std::string text_;
  std::size_t piece_;
  std::size_t position_ = 0;
};

}  // namespace morvit
