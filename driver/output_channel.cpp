#include "driver/output_channel.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "driver/interrupts.h"

namespace morvit {
void OutputChannel::attach(int fd) {
  flush();
  fd_.store(fd);
}

void OutputChannel::detach() {
  flush();
  fd_.store(-1);
}

void OutputChannel::write_out(const char* data, std::size_t size) noexcept {
  const int fd = fd_.load();
  while (size > 0 && fd >= 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return;  // a failing device: nothing more can be done for these records
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
}

void OutputChannel::append_record(std::string_view record) {
  const std::size_t size = record.size() + 2;
  std::size_t used = committed_.load(std::memory_order_relaxed);
  if (used + size > capacity) {
    flush();
    used = 0;
    if (size > capacity) {  // longer than the whole buffer: goes out directly
      InterruptsBlocked guard;
      write_out(record.data(), record.size());
      write_out("\r\n", 2);
      return;
    }
  }
  std::memcpy(buffer_ + used, record.data(), record.size());
  buffer_[used + record.size()] = '\r';
  buffer_[used + record.size() + 1] = '\n';
  committed_.store(used + size, std::memory_order_release);
}

void OutputChannel::flush() {
  InterruptsBlocked guard;
  write_out(buffer_, committed_.load());
  committed_.store(0);
}

void OutputChannel::flush_from_signal() noexcept {
  write_out(buffer_, committed_.load(std::memory_order_acquire));
  committed_.store(0);
}

}  // namespace morvit
