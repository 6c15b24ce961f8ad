#include "standard_streams.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

namespace {

// Puts the file `path` in the place of the descriptor `stream`; returns a copy of what was
// there before, or -1 when the stream stays as it was.
int divert(int stream, const std::string& path) {
  const int saved = ::dup(stream);
  if (saved < 0) return -1;
  const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (file < 0) {
    ::close(saved);
    return -1;
  }
  const bool moved = ::dup2(file, stream) >= 0;
  ::close(file);
  if (!moved) {
    ::close(saved);
    return -1;
  }
  return saved;
}

void restore(int stream, int saved) {
  if (saved < 0) return;
  ::dup2(saved, stream);
  ::close(saved);
}

}  // namespace

StandardStreamsCapture::StandardStreamsCapture(const std::string& output_file, const std::string& error_file)
    : saved_output_(divert(STDOUT_FILENO, output_file)), saved_error_(divert(STDERR_FILENO, error_file)) {}

StandardStreamsCapture::~StandardStreamsCapture() {
  restore(STDERR_FILENO, saved_error_);
  restore(STDOUT_FILENO, saved_output_);
}

#else

StandardStreamsCapture::StandardStreamsCapture(const std::string&, const std::string&) {}
StandardStreamsCapture::~StandardStreamsCapture() = default;

#endif
