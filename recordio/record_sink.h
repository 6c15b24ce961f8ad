#pragma once

#include <string>
#include <string_view>

namespace morvit {

// Receiver of finished output records (lines without their line terminator).
// The report file, the console and the tests' string buffers implement it.
class RecordSink {
 public:
  virtual ~RecordSink() = default;
  virtual void write_record(std::string_view record) = 0;
};

// Collects records in memory, each ended by CR LF as in the report file.
class StringSink final : public RecordSink {
 public:
  void write_record(std::string_view record) override {
    text_.append(record);
    text_.append("\r\n");
  }
  const std::string& text() const { return text_; }
  void clear() { text_.clear(); }

 private:
  std::string text_;
};

}  // namespace morvit
