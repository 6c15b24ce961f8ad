#include "system/output_replacement.h"

#include <atomic>
#include <cstdint>

#include "system/file_paths.h"
#include "system/interrupts.h"

namespace morvit {
namespace {

// The parts of a large content written by one call, so that an interruption is seen soon.
constexpr std::size_t piece_size = 1 << 20;
// Tries at a name for the temporary file that no other file has.
constexpr int name_tries = 100;
// The temporary file's name keeps at most this much of the target's, within the limits of
// file names.
constexpr std::size_t kept_name_length = 180;

std::atomic<std::uint64_t> temporary_count{0};

std::string hex(std::uint64_t value) {
  constexpr char digits[] = "0123456789abcdef";
  std::string text;
  do {
    text.insert(text.begin(), digits[value & 15]);
    value >>= 4;
  } while (value != 0);
  return text;
}

// ".page.html.1a2b-3.tmp" beside "page.html": hidden where a leading dot hides, and named
// after the file it is to become, so that a person who finds one left by a killed process
// knows what it was.
std::string temporary_name(const std::string& target, std::uint64_t attempt) {
  const std::string base = base_name(target);
  const std::string directory = target.substr(0, target.size() - base.size());
  return directory + "." + base.substr(0, kept_name_length) + "." + hex(platform::process_number()) + "-" +
         hex(attempt) + ".tmp";
}

}  // namespace

OutputReplacement::OutputReplacement(std::string name) : name_(std::move(name)) {}

OutputReplacement::~OutputReplacement() { abandon(); }

bool OutputReplacement::fail(std::string reason) {
  problem_ = std::move(reason);
  return false;
}

bool OutputReplacement::fail_with(int error) {
  if (platform::is_file_size_limit(error)) forget_file_size_interruption();
  return fail(platform::error_text(error));
}

bool OutputReplacement::write_all(platform::Handle file, std::string_view content) {
  std::size_t done = 0;
  while (done < content.size()) {
    if (interruption_pending()) {
      interrupted_ = true;
      return fail("interrupted");
    }
    const std::size_t size = content.size() - done < piece_size ? content.size() - done : piece_size;
    const platform::WriteResult result = platform::write(file, content.data() + done, size);
    done += result.written;
    switch (result.stop) {
      case platform::WriteResult::Stop::none:
        if (result.written == 0) return fail("the file takes no more data");
        break;
      case platform::WriteResult::Stop::interrupted: break;  // the loop looks at the interruption
      case platform::WriteResult::Stop::failed: return fail_with(result.error);
    }
  }
  return true;
}

bool OutputReplacement::prepare(std::string_view content) {
  problem_.clear();
  interrupted_ = false;
  target_ = final_path(name_);
  int error = 0;
  kind_ = platform::path_kind(target_, error);
  switch (kind_) {
    case platform::PathKind::unknown: return fail_with(error);
    case platform::PathKind::directory: return fail("it is a directory");
    case platform::PathKind::other: in_place_ = content; return true;
    case platform::PathKind::missing:
    case platform::PathKind::regular: break;
  }
  platform::Handle file = platform::no_handle;
  for (int attempt = 0; attempt < name_tries && file == platform::no_handle; ++attempt) {
    temporary_ = temporary_name(target_, temporary_count.fetch_add(1));
    file = platform::create_new_file(temporary_, kind_ == platform::PathKind::regular ? target_ : std::string(), error);
    if (file == platform::no_handle) temporary_.clear();
    if (file == platform::no_handle && !platform::is_name_taken(error)) return fail_with(error);
  }
  if (file == platform::no_handle) return fail_with(error);
  bool written = write_all(file, content);
  if (written && !platform::flush_to_disk(file, error)) written = fail_with(error);
  platform::close(file);
  if (!written) abandon();
  return written;
}

bool OutputReplacement::commit() {
  int error = 0;
  if (kind_ == platform::PathKind::other) {
    platform::Handle file = platform::open_existing_for_writing(target_, error);
    if (file == platform::no_handle) {
      if (interruption_pending()) {
        interrupted_ = true;
        return fail("interrupted");
      }
      return fail_with(error);
    }
    const bool written = write_all(file, in_place_);
    platform::close(file);
    return written;
  }
  if (temporary_.empty()) return fail("nothing was prepared");
  if (!platform::rename_replacing(temporary_, target_, error)) {
    abandon();
    return fail_with(error);
  }
  temporary_.clear();
  return true;
}

void OutputReplacement::abandon() noexcept {
  if (temporary_.empty()) return;
  platform::remove_file(temporary_.c_str());
  temporary_.clear();
}

std::string replace_output(const std::string& name, std::string_view content) {
  CriticalSection critical;
  OutputReplacement output(name);
  if (output.prepare(content) && output.commit()) return {};
  return output.problem();
}

}  // namespace morvit
