#pragma once

// A pipe whose write end the test holds, to check that a reader returns as soon as the data it
// needs has arrived instead of waiting for more (as on a FIFO or a terminal).

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string_view>
#include <utility>

namespace morvit::testing {

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
