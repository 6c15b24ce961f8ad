#pragma once

#include <ostream>
#include <streambuf>

#include "system/platform.h"

namespace morvit {

// An output stream over an open file (standard output, say), written through the files in
// use. A write that fails puts the stream in a failed state; error() then says why.
class FileStream : public std::ostream {
 public:
  explicit FileStream(platform::Handle file) : std::ostream(nullptr), buffer_(file) { rdbuf(&buffer_); }
  int error() const { return buffer_.error(); }

 private:
  class Buffer : public std::streambuf {
   public:
    explicit Buffer(platform::Handle file) : file_(file) {}
    int error() const { return error_; }

   protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;

   private:
    platform::Handle file_;
    int error_ = 0;
  };

  Buffer buffer_;
};

}  // namespace morvit
