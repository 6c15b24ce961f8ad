#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "system/platform.h"

namespace morvit {

// A buffered file or stream that receives whole records, each ended by CR LF.
//
// Records are collected in a fixed buffer and written out when it fills up or on request.
// Because the buffer never moves and `committed_` only ever covers whole records, an
// interruption can write out exactly the records produced so far (save_from_signal), while
// the normal path marks its own writes as a critical section.
//
// A write that fails leaves the file holding whole records only (a file on disk is cut back
// to the end of the last whole record) and puts the channel out of service: later records
// are dropped.
class OutputChannel {
 public:
  OutputChannel() = default;
  OutputChannel(const OutputChannel&) = delete;
  OutputChannel& operator=(const OutputChannel&) = delete;

  // Starts writing to `file` (not owned) from its current position.
  void attach(platform::Handle file);
  // Writes out the buffered records (see flush) and forgets the file.
  int detach();

  // Adds a record; writes out the buffer first when the record does not fit. Returns 0, or
  // the system's error number when that write failed.
  int append_record(std::string_view record);
  // Writes out the buffered records. Returns 0, or the system's error number when a write
  // failed (also when one failed before).
  int flush();

  // Async-signal-safe: writes the buffered records without waiting on a full pipe, and cuts
  // a file on disk back to its last whole record.
  void save_from_signal() noexcept;

 private:
  int write_out();
  void cut_to_whole_records(std::size_t sent) noexcept;

  static constexpr std::size_t capacity = 64 * 1024;
  std::atomic<platform::Handle> file_{platform::no_handle};
  std::atomic<std::size_t> committed_{0};  // end of the whole records in the buffer
  std::atomic<std::size_t> sent_{0};       // how much of them has been written out
  std::int64_t base_ = -1;                 // file position of buffer_[0]; -1 for a stream
  int error_ = 0;                          // the failure that put the channel out of service
  char buffer_[capacity];
};

}  // namespace morvit
