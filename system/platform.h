#pragma once

// The operating system as the run driver uses it: files, the standard streams, the clock
// and interruptions. One implementation per system (platform_posix.cpp,
// platform_windows.cpp); nothing else in the program calls the system directly.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "system/byte_source.h"

namespace morvit::platform {

// An open file: a descriptor, or a handle on Windows. Not owned; see close().
using Handle = std::intptr_t;
inline constexpr Handle no_handle = -1;

// Makes the process safe to run in whatever state it was started: a standard stream that
// was closed is taken by the null device, so that no file the run opens takes its place
// (and a console line can never land in the command file); a console that goes away does
// not end the run. Call first.
void prepare_process();

// Standard output, or no_handle when the program was started with it closed.
Handle standard_output();

// Writes to standard error, if it is open; safe inside an interruption.
void write_standard_error(std::string_view text) noexcept;

// The command file: opened for reading only, created empty when it does not exist
// (`created` then says so). no_handle for an empty name, a directory, or a file that can be
// neither read nor created.
Handle open_command_file(const std::string& name, bool& created);

// A report file: opened for reading and writing without truncation, created empty when it
// does not exist. no_handle for an empty name, a directory, or a file that cannot be opened
// for writing; `reason` then says why.
Handle open_report_file(const std::string& name, std::string& reason);

// Reads the command file through a handle that the source owns and closes.
std::unique_ptr<ByteSource> command_file_source(Handle file);

// Identity of an open file, the same for every name and link of it.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
};
FileIdentity identity(Handle file);

// True for a file on disk (not a device, pipe or FIFO).
bool is_regular_file(Handle file);

// Files beside the report (the outputs of a run, the command files made from CSV files),
// which are replaced whole: a new file is written beside the old one and takes its name
// only when it is complete.

// What a name stands for, symbolic links followed.
enum class PathKind {
  missing,    // nothing of that name (or a link that leads nowhere)
  regular,    // a file on disk
  directory,  // a directory
  other,      // a device, a FIFO, a socket
  unknown,    // the system cannot tell (`error` says why)
};
PathKind path_kind(const std::string& path, int& error);

// Identity of the file a name stands for (links followed); false when there is none.
bool path_identity(const std::string& path, FileIdentity& identity);

// Creates the file `path`, which must not exist yet, for writing. It takes the permissions
// of the regular file `like` when there is one (the file it is to replace), the usual ones
// for a new file otherwise. no_handle when it cannot be made; `error` then says why.
Handle create_new_file(const std::string& path, const std::string& like, int& error);

// True when a failed create_new_file met a file of that name.
bool is_name_taken(int error);

// Opens an existing file that is not on disk (a device, a FIFO) for writing where it is.
Handle open_existing_for_writing(const std::string& path, int& error);

// Writes what the system holds of a file out to its disk.
bool flush_to_disk(Handle file, int& error);

// Gives the file `from` the name `to` in one step, replacing what `to` named.
bool rename_replacing(const std::string& from, const std::string& to, int& error);

// Removes a file; safe inside an interruption.
void remove_file(const char* path) noexcept;

// A number that tells this process from others running at the same time.
std::uint64_t process_number();

// Takes the lock that keeps other runs from writing into the same report. False when
// another process holds it; true also where the system offers no such lock.
bool lock_exclusively(Handle file);

// Position of the next write, or -1 when the file has none (a device or pipe).
std::int64_t position(Handle file);
// Moves the next write to the end of the file.
void position_at_end(Handle file);
// Cuts the file to `size` bytes.
void truncate(Handle file, std::int64_t size) noexcept;
void close(Handle file) noexcept;

// The outcome of one write: how many bytes went out, and why the rest did not.
struct WriteResult {
  std::size_t written = 0;
  enum class Stop { none, interrupted, failed } stop = Stop::none;
  int error = 0;  // the system's error number when failed
};
// Writes as much of `data` as the file takes in one call. May wait (a full pipe); an
// interruption ends the wait with Stop::interrupted.
WriteResult write(Handle file, const char* data, std::size_t size) noexcept;
// As write(), but never waits longer than a moment: for saving records while the process
// ends on an interruption. Returns the number of bytes written.
std::size_t write_without_waiting(Handle file, const char* data, std::size_t size) noexcept;
// The system's description of an error number.
std::string error_text(int error);
// True when a failed write means the file is too large for the process's limit.
bool is_file_size_limit(int error);

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
