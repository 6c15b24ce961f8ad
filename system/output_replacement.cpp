#include "system/output_replacement.h"

#include <atomic>
#include <cstdint>
#include <memory>

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
  if (platform::files().is_file_size_limit(error)) forget_file_size_interruption();
  return fail(platform::files().error_text(error));
}

bool OutputReplacement::folder_refused(int error) {
  return fail("the folder " + folder_of(target_) + ": " + platform::files().error_text(error));
}

bool OutputReplacement::write_all(platform::Handle file, std::string_view content) {
  std::size_t done = 0;
  while (done < content.size()) {
    if (interruption_pending()) {
      interrupted_ = true;
      return fail("interrupted");
    }
    const std::size_t size = content.size() - done < piece_size ? content.size() - done : piece_size;
    const platform::WriteResult result = platform::files().write(file, content.data() + done, size);
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

void OutputReplacement::keep_owner_and_mode(platform::Handle file, const platform::FileStatus& old) {
  platform::FileSystem& system = platform::files();
  const platform::FileStatus made = system.status(file);
  bool group_kept = old.group < 0 || made.group == old.group;
  if (old.owner >= 0 && (made.owner != old.owner || !group_kept)) {
    // Both where the runner may (root), else the group alone (a group the runner is in).
    group_kept = system.set_owner(file, old.owner, old.group) || system.set_owner(file, -1, old.group) || group_kept;
  }
  std::uint32_t mode = old.mode & platform::permission_bits;
  if (!group_kept) mode &= ~platform::group_bits;
  (void)system.set_mode(file, mode);
}

bool OutputReplacement::prepare(std::string_view content) {
  platform::FileSystem& system = platform::files();
  problem_.clear();
  interrupted_ = false;
  const ResolvedPath resolved = resolve_links(name_);
  target_ = resolved.path;
  if (!resolved.refused_link.empty()) {
    return fail("the link " + resolved.refused_link +
                " is not followed: it belongs neither to you nor to the owner of its folder, which is sticky and open "
                "to every user");
  }
  const platform::FileStatus old = system.status(target_, /*follow_links=*/false);
  kind_ = old.kind;
  int error = 0;
  switch (kind_) {
    case platform::PathKind::unknown: return fail_with(old.error);
    case platform::PathKind::directory: return fail("it is a directory");
    case platform::PathKind::other: in_place_ = content; return true;
    case platform::PathKind::link: return fail("too many levels of symbolic links");
    case platform::PathKind::regular:
      // Where the system would not let the file be written in place, it is not replaced.
      if (!system.may_write_in_place(name_, error)) return fail_with(error);
      break;
    case platform::PathKind::missing: break;
  }
  platform::Handle file = platform::no_handle;
  for (int attempt = 0; attempt < name_tries && file == platform::no_handle; ++attempt) {
    temporary_ = temporary_name(target_, temporary_count.fetch_add(1));
    file = system.create_new_file(temporary_, error);
    if (file == platform::no_handle) temporary_.clear();
    if (file == platform::no_handle && !system.is_name_taken(error)) return folder_refused(error);
  }
  if (file == platform::no_handle) return folder_refused(error);
  if (kind_ == platform::PathKind::regular) keep_owner_and_mode(file, old);
  bool written = write_all(file, content);
  if (written && !system.flush_to_disk(file, error)) written = fail_with(error);
  system.close(file);
  if (!written) abandon();
  return written;
}

bool OutputReplacement::commit() {
  platform::FileSystem& system = platform::files();
  int error = 0;
  if (kind_ == platform::PathKind::other) {
    platform::Handle file = system.open_existing_for_writing(target_, error);
    if (file == platform::no_handle) {
      if (interruption_pending()) {
        interrupted_ = true;
        return fail("interrupted");
      }
      return fail_with(error);
    }
    const bool written = write_all(file, in_place_);
    system.close(file);
    return written;
  }
  if (temporary_.empty()) return fail("nothing was prepared");
  if (!system.rename_replacing(temporary_, target_, error)) {
    abandon();
    return folder_refused(error);
  }
  temporary_.clear();
  return true;
}

void OutputReplacement::abandon() noexcept {
  if (temporary_.empty()) return;
  platform::files().remove_file(temporary_.c_str());
  temporary_.clear();
}

TogetherOutcome replace_together(const std::vector<OutputContent>& outputs) {
  CriticalSection critical;
  std::vector<std::unique_ptr<OutputReplacement>> replacements;
  TogetherOutcome outcome;
  outcome.replaced.assign(outputs.size(), false);
  const auto failed = [&](std::size_t index) {
    outcome.written = false;
    outcome.failed = index;
    outcome.problem = replacements[index]->problem();
    outcome.interrupted = replacements[index]->interrupted();
    for (const auto& replacement : replacements) replacement->abandon();
    return outcome;
  };
  for (const OutputContent& output : outputs) {
    replacements.push_back(std::make_unique<OutputReplacement>(output.name));
    if (!replacements.back()->prepare(output.content)) return failed(replacements.size() - 1);
  }
  // Devices and FIFOs first, which may wait or fail while every file on disk is still old;
  // then the renames, which neither wait nor, after the checks above, fail but rarely.
  for (const bool in_place : {true, false}) {
    for (std::size_t i = 0; i < replacements.size(); ++i) {
      if (replacements[i]->in_place() != in_place) continue;
      if (!replacements[i]->commit()) return failed(i);
      outcome.replaced[i] = true;
    }
  }
  return outcome;
}

std::string replace_output(const std::string& name, std::string_view content) {
  const TogetherOutcome outcome = replace_together({{name, content}});
  return outcome.written ? std::string() : outcome.problem;
}

}  // namespace morvit
