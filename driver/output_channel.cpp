#include "driver/output_channel.h"

#include <cstring>

#include "system/interrupts.h"

namespace morvit {

void OutputChannel::attach(platform::Handle file) {
  CriticalSection critical;
  committed_.store(0);
  sent_.store(0);
  error_ = 0;
  platform::FileSystem& system = platform::files();
  const bool on_disk = file != platform::no_handle && system.status(file).kind == platform::PathKind::regular;
  base_ = on_disk ? system.position(file) : -1;
  file_.store(file);
}

int OutputChannel::detach() {
  const int error = flush();
  CriticalSection critical;
  file_.store(platform::no_handle);
  return error;
}

int OutputChannel::append_record(std::string_view record) {
  if (error_ != 0) return error_;
  const std::size_t size = record.size() + 2;
  std::size_t used = committed_.load(std::memory_order_relaxed);
  if (used + size > capacity) {
    if (const int error = flush(); error != 0) return error;
    used = 0;
  }
  if (size > capacity) {
    // Longer than the whole buffer (no report record is): out in pieces, then the line end.
    for (std::size_t at = 0; at < record.size(); at += capacity - 2) {
      const std::string_view piece = record.substr(at, capacity - 2);
      std::memcpy(buffer_, piece.data(), piece.size());
      committed_.store(piece.size(), std::memory_order_release);
      if (const int error = flush(); error != 0) return error;
    }
    std::memcpy(buffer_, "\r\n", 2);
    committed_.store(2, std::memory_order_release);
    return 0;
  }
  std::memcpy(buffer_ + used, record.data(), record.size());
  buffer_[used + record.size()] = '\r';
  buffer_[used + record.size() + 1] = '\n';
  committed_.store(used + size, std::memory_order_release);
  return 0;
}

int OutputChannel::flush() {
  CriticalSection critical;
  if (error_ != 0) return error_;
  return write_out();
}

int OutputChannel::write_out() {
  const platform::Handle file = file_.load();
  const std::size_t end = committed_.load();
  std::size_t sent = sent_.load();
  while (sent < end) {
    const platform::WriteResult result = platform::files().write(file, buffer_ + sent, end - sent);
    sent += result.written;
    sent_.store(sent);
    if (result.stop == platform::WriteResult::Stop::interrupted) {
      // The interruption ends the run when the critical section ends; the rest of the
      // buffer is saved then, without waiting.
      if (interruption_pending()) return 0;
      continue;
    }
    if (result.stop == platform::WriteResult::Stop::failed) {
      if (platform::files().is_file_size_limit(result.error)) forget_file_size_interruption();
      cut_to_whole_records(sent);
      error_ = result.error;
      return error_;
    }
  }
  if (base_ >= 0) base_ += static_cast<std::int64_t>(end);
  sent_.store(0);
  committed_.store(0);
  return 0;
}

void OutputChannel::cut_to_whole_records(std::size_t sent) noexcept {
  if (base_ < 0) return;
  std::size_t whole = sent;
  while (whole > 0 && buffer_[whole - 1] != '\n') --whole;
  const platform::Handle file = file_.load();
  platform::files().truncate(file, base_ + static_cast<std::int64_t>(whole));
  platform::files().position_at_end(file);
}

void OutputChannel::save_from_signal() noexcept {
  const platform::Handle file = file_.load();
  if (file == platform::no_handle || error_ != 0) return;
  const std::size_t end = committed_.load(std::memory_order_acquire);
  const std::size_t sent = sent_.load();
  if (sent >= end) return;
  const std::size_t written = platform::files().write_without_waiting(file, buffer_ + sent, end - sent);
  if (sent + written < end) cut_to_whole_records(sent + written);
  sent_.store(end);
  committed_.store(0);
  sent_.store(0);
}

}  // namespace morvit
