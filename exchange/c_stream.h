#pragma once

#include <cstdio>
#include <ostream>
#include <streambuf>

namespace morvit {

// An output stream over a C stream (stdout, stderr). The program does not include
// <iostream>: that header initialises the standard streams at the start of every process,
// which costs milliseconds before a run can even install its interrupt handlers. This
// stream costs something only where it is made: in the converter and beside runs with
// outputs.
class CStream : public std::ostream {
 public:
  explicit CStream(std::FILE* file) : std::ostream(nullptr), buffer_(file) { rdbuf(&buffer_); }

 private:
  class Buffer : public std::streambuf {
   public:
    explicit Buffer(std::FILE* file) : file_(file) {}

   protected:
    int_type overflow(int_type c) override {
      if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
      return std::fputc(c, file_) == EOF ? traits_type::eof() : c;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
      return static_cast<std::streamsize>(std::fwrite(text, 1, static_cast<std::size_t>(count), file_));
    }
    int sync() override { return std::fflush(file_) == 0 ? 0 : -1; }

   private:
    std::FILE* file_;
  };

  Buffer buffer_;
};

}  // namespace morvit
