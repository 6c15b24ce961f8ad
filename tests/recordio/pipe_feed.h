#pragma once

// A pipe whose write end the test holds, to check that a reader returns as soon as the data it
// needs has arrived instead of waiting for more (as on a FIFO or a terminal).

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <memory>
#include <string_view>
#include <utility>

#include "recordio/command_file.h"

namespace morvit::testing {

// A command file read from a descriptor, which it closes at the end, as the program reads one.
class DescriptorSource final : public ByteSource {
 public:
  explicit DescriptorSource(int fd) : fd_(fd) {}
  ~DescriptorSource() override { ::close(fd_); }
  DescriptorSource(const DescriptorSource&) = delete;
  DescriptorSource& operator=(const DescriptorSource&) = delete;
  long read(char* dest, std::size_t size) override { return static_cast<long>(::read(fd_, dest, size)); }

 private:
  int fd_;
};

inline CommandFile file_on(int fd, std::size_t block_size = CommandFile::default_block_size) {
  return CommandFile(std::make_unique<DescriptorSource>(fd), block_size);
}

class PipeFeed {
 public:
  PipeFeed() {
    int fds[2];
    if (::pipe(fds) != 0) ADD_FAILURE() << "pipe() failed";
    read_fd_ = fds[0];
    write_fd_ = fds[1];
  }
  ~PipeFeed() {
    close_writer();
    if (read_fd_ >= 0) ::close(read_fd_);
  }
  PipeFeed(const PipeFeed&) = delete;
  PipeFeed& operator=(const PipeFeed&) = delete;

  // The read end, handed over to its new owner.
  int take_read_end() { return std::exchange(read_fd_, -1); }

  void write(std::string_view text) {
    ASSERT_EQ(::write(write_fd_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  void close_writer() {
    if (write_fd_ >= 0) ::close(std::exchange(write_fd_, -1));
  }

  // Runs `read` on another thread. If it has not returned within a few seconds it is blocked
  // waiting for data that was never needed: the write end is closed to release it and the test
  // fails.
  template <class Read>
  auto returns_without_more_data(Read read) {
    auto result = std::async(std::launch::async, read);
    if (result.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
      close_writer();
      ADD_FAILURE() << "the read waited for data it did not need";
    }
    return result.get();
  }

 private:
  int read_fd_ = -1;
  int write_fd_ = -1;
};

}  // namespace morvit::testing
