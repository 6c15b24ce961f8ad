#pragma once

// The operating system as the program uses it.
//
// Every access to a file goes through one FileSystem, files(): the command file and the
// report files of a run, standard input and output as files, the CSV file the maker reads,
// the side file of the case names, the outputs beside the report and their replacement, and
// every question about a name (what it is, where its links lead, whether two names are one
// file). Nothing else in the program opens, reads, writes, names or examines a file. The
// class itself is the system's implementation (platform_posix.cpp, platform_windows.cpp);
// every member is virtual, so that a test can put a variant in its place within the
// process (ReplacedFiles) and make the system refuse, fail or show what the test needs.
//
// The process's own affairs stay free functions below: the standard streams closed at
// start, messages on standard error, the clock, interruptions and the end of the process.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "system/byte_source.h"

namespace morvit::platform {

// An open file: a descriptor, or a handle on Windows. Not owned; see FileSystem::close().
using Handle = std::intptr_t;
inline constexpr Handle no_handle = -1;

// Identity of a file, the same for every name and link of it.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
};

// What a name or an open file stands for.
enum class PathKind {
  missing,    // nothing of that name
  regular,    // a file on disk
  directory,  // a directory
  link,       // a symbolic link (only when links are not followed)
  other,      // a device, a FIFO, a socket
  unknown,    // the system cannot tell (`error` says why)
};

// Permission bits as POSIX writes them: the user's, the group's and the others' read, write
// and search bits (0777), the set-user-ID (04000), set-group-ID (02000) and sticky (01000)
// bits.
inline constexpr std::uint32_t permission_bits = 0777;
inline constexpr std::uint32_t group_bits = 0070;
inline constexpr std::uint32_t others_write_bit = 0002;
inline constexpr std::uint32_t sticky_bit = 01000;

// What the system knows of a file. Owners and permissions are those of POSIX; a system
// without them says -1 and 0.
struct FileStatus {
  PathKind kind = PathKind::missing;
  FileIdentity identity;
  std::uint32_t mode = 0;   // permission bits with set-ID and sticky bits (07777)
  std::int64_t owner = -1;  // user ID
  std::int64_t group = -1;  // group ID
  std::int64_t size = 0;    // bytes, for a regular file
  int error = 0;            // the system's error number when kind is unknown
};

// The outcome of one write: how many bytes went out, and why the rest did not.
struct WriteResult {
  std::size_t written = 0;
  enum class Stop { none, interrupted, failed } stop = Stop::none;
  int error = 0;  // the system's error number when failed
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The standard streams, or no_handle when the program was started with one closed.
  virtual Handle standard_input();
  virtual Handle standard_output();

  // The command file: opened for reading only, created empty when it does not exist
  // (`created` then says so). no_handle for an empty name, a directory, or a file that can be
  // neither read nor created.
  virtual Handle open_command_file(const std::string& name, bool& created);
  // An existing file opened for reading. no_handle when it cannot be; `error` says why.
  virtual Handle open_for_reading(const std::string& name, int& error);
  // A report file: opened for reading and writing without truncation, created empty when it
  // does not exist. no_handle for a directory or a file that cannot be opened for writing;
  // `error` says why.
  virtual Handle open_report_file(const std::string& name, int& error);
  // Creates the file `path`, which must not exist yet, for writing, with the usual
  // permissions of a new file. no_handle when it cannot be made; `error` says why.
  virtual Handle create_new_file(const std::string& path, int& error);
  // Opens an existing file for writing where it is, the name taken as given (links followed
  // as the system follows them for any program), neither created nor truncated: what a shell
  // does for `> NAME` before it truncates. A FIFO without a reader is waited for.
  virtual Handle open_existing_for_writing(const std::string& path, int& error);
  // Whether open_existing_for_writing would be allowed for an existing regular file, asked of
  // the system by opening it so and closing it again; never waits. False with the system's
  // reason in `error` when it refuses.
  virtual bool may_write_in_place(const std::string& path, int& error);
  virtual void close(Handle file) noexcept;

  // Reads up to `size` bytes: the number read, 0 at the end, -1 when the read fails
  // (`error` then says why). May wait for at least one byte.
  virtual long read(Handle file, char* dest, std::size_t size, int& error);
  // Writes as much of `data` as the file takes in one call. May wait (a full pipe); an
  // interruption ends the wait with Stop::interrupted.
  virtual WriteResult write(Handle file, const char* data, std::size_t size) noexcept;
  // As write(), but never waits longer than a moment: for saving records while the process
  // ends on an interruption. Returns the number of bytes written. Async-signal-safe.
  virtual std::size_t write_without_waiting(Handle file, const char* data, std::size_t size) noexcept;
  // Writes what the system holds of a file out to its disk.
  virtual bool flush_to_disk(Handle file, int& error);
  // Position of the next write, or -1 when the file has none (a device or pipe).
  virtual std::int64_t position(Handle file) noexcept;
  // Moves the next write to the end of the file.
  virtual void position_at_end(Handle file);
  // Cuts the file to `size` bytes.
  virtual void truncate(Handle file, std::int64_t size) noexcept;
  // Takes the lock that keeps other runs from writing into the same file. False when
  // another process holds it; true also where the system offers no such lock.
  virtual bool lock_exclusively(Handle file);

  // What an open file is. A file whose identity cannot be read is like no other.
  virtual FileStatus status(Handle file);
  // What a name stands for: its links followed, or, without `follow_links`, the name itself
  // (a link is then PathKind::link).
  virtual FileStatus status(const std::string& path, bool follow_links);
  // Where the symbolic link `path` leads, as written in the link. False when it cannot be
  // read; `error` says why.
  virtual bool link_target(const std::string& path, std::string& target, int& error);
  // The directory that names without one are taken in, absolute.
  virtual std::string current_directory();
  // The user the program runs as (its effective user ID), -1 where the system has none.
  virtual std::int64_t runner();
  // Gives an open file the owner and group (-1: unchanged). False when the system refuses.
  virtual bool set_owner(Handle file, std::int64_t owner, std::int64_t group);
  // Gives an open file the permission bits `mode`. False when the system refuses.
  virtual bool set_mode(Handle file, std::uint32_t mode);

  // Gives the file `from` the name `to` in one step, replacing what `to` named.
  virtual bool rename_replacing(const std::string& from, const std::string& to, int& error);
  // Removes a file; async-signal-safe.
  virtual void remove_file(const char* path) noexcept;

  // The system's description of an error number.
  virtual std::string error_text(int error);
  // A failed create_new_file met a file of that name.
  virtual bool is_name_taken(int error);
  // A failed write met the process's file size limit.
  virtual bool is_file_size_limit(int error);
};

// The FileSystem in use: the system's own, or a test's while a ReplacedFiles lives.
FileSystem& files() noexcept;

// Puts `replacement` in the place of the system's files for as long as it lives (tests).
class ReplacedFiles {
 public:
  explicit ReplacedFiles(FileSystem& replacement) noexcept;
  ~ReplacedFiles();
  ReplacedFiles(const ReplacedFiles&) = delete;
  ReplacedFiles& operator=(const ReplacedFiles&) = delete;

 private:
  FileSystem* previous_;
};

// Reads the command file through a handle that the source owns and closes (standard input
// is never closed).
std::unique_ptr<ByteSource> file_source(Handle file);

// Whether a file's identity still names that file after the process ends: true on a
// computer's own file systems; false in the browser, whose files live in memory for one run.
bool file_identities_outlive_the_process();

// Makes the process safe to run in whatever state it was started: a standard stream that
// was closed is taken by the null device, so that no file the run opens takes its place
// (and a console line can never land in the command file); a console that goes away does
// not end the run. Call first, once.
void prepare_process();

// Writes to standard error, if it is open; async-signal-safe.
void write_standard_error(std::string_view text) noexcept;

// A number that tells this process from others running at the same time.
std::uint64_t process_number();

// The local date and time.
struct LocalTime {
  int year = 1970;
  int month = 1;  // 1 to 12
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};
LocalTime local_time();

// What ended the run from outside.
enum class Interruption {
  keyboard,     // Ctrl-C, Ctrl-Break
  termination,  // a termination request, a console window closed
  hangup,       // the terminal went away
  quit,         // the quit key
  file_size,    // the process's file size limit was passed
};
// Called when an interruption arrives; may run at any point of the main thread (POSIX
// signals) or on a thread of its own (Windows console events).
using InterruptionHandler = void (*)(Interruption);
void install_interruption_handler(InterruptionHandler handler);
void remove_interruption_handler();
// Wakes the main thread out of a write that waits, so that it can see a pending interruption.
void interrupt_waiting_write() noexcept;

// Ends the process at once with `status`, without unwinding or closing anything.
[[noreturn]] void exit_now(int status) noexcept;

}  // namespace morvit::platform
