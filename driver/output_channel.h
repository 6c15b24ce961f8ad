#pragma once

#include <atomic>
#include <cstddef>
#include <string_view>

namespace morvit {

// A buffered descriptor that receives whole records, each ended by CR LF.
//
// Records are collected in a fixed buffer and written out when it fills up or on
// request. Because the buffer never moves and `committed_` only ever covers whole
// records, an interrupt handler can write out exactly the records produced so far
// (flush_from_signal) while the normal path blocks the interrupts around its own writes.
class OutputChannel {
 public:
  OutputChannel() = default;
  OutputChannel(const OutputChannel&) = delete;
  OutputChannel& operator=(const OutputChannel&) = delete;

  // Starts writing to `fd` (not owned) from its current position.
  void attach(int fd);
  // Writes out the buffered records and forgets the descriptor.
  void detach();

  void append_record(std::string_view record);
  void flush();

  // Async-signal-safe: writes the buffered records with write(2) only.
  void flush_from_signal() noexcept;

 private:
  void write_out(const char* data, std::size_t size) noexcept;

  static constexpr std::size_t capacity = 64 * 1024;
  std::atomic<int> fd_{-1};
  std::atomic<std::size_t> committed_{0};
  char buffer_[capacity];
};

}  // namespace morvit
