// The operating system for Windows.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <limits>

#include "system/platform.h"

namespace morvit::platform {
namespace {

HANDLE as_handle(Handle file) { return reinterpret_cast<HANDLE>(file); }
Handle as_platform_handle(HANDLE file) { return reinterpret_cast<Handle>(file); }

bool usable(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

// The standard streams as the process found them; a missing one stays missing.
HANDLE standard_output_handle = nullptr;
HANDLE standard_error_handle = nullptr;

bool is_directory(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  return GetFileInformationByHandle(file, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A name the system can be asked about: not empty, without a zero byte inside.
bool usable_name(const std::string& name) { return !name.empty() && name.find('\0') == std::string::npos; }

// What an open file on disk is. Windows has no owners or permission bits of POSIX.
FileStatus status_of(const BY_HANDLE_FILE_INFORMATION& info) {
  FileStatus status;
  status.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::directory : PathKind::regular;
  const std::uint64_t index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  status.identity = {info.dwVolumeSerialNumber, index};
  status.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
  return status;
}

// The byte that a run locks to mark a report file as its own: far beyond any end of file,
// so that the lock never stands in the way of the run's own writes.
constexpr DWORD lock_offset_low = 0xFFFFFFFEu;
constexpr DWORD lock_offset_high = 0x7FFFFFFFu;

std::atomic<InterruptionHandler> installed_handler{nullptr};
HANDLE main_thread = nullptr;

// Console events arrive on a thread of their own. The main thread is held while the event
// is handled, so that the handler meets it at one point, as a signal would.
BOOL WINAPI on_console_event(DWORD event) {
  InterruptionHandler handler = installed_handler.load();
  if (handler == nullptr) return FALSE;
  Interruption kind = Interruption::termination;
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) kind = Interruption::keyboard;
  if (main_thread != nullptr) SuspendThread(main_thread);
  handler(kind);  // ends the process, or leaves the interruption pending
  if (main_thread != nullptr) ResumeThread(main_thread);
  return TRUE;
}

}  // namespace

bool file_identities_outlive_the_process() { return true; }

void prepare_process() {
  standard_output_handle = GetStdHandle(STD_OUTPUT_HANDLE);
  standard_error_handle = GetStdHandle(STD_ERROR_HANDLE);
}

Handle FileSystem::standard_input() {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  return usable(input) ? as_platform_handle(input) : no_handle;
}

Handle FileSystem::standard_output() {
  return usable(standard_output_handle) ? as_platform_handle(standard_output_handle) : no_handle;
}

void write_standard_error(std::string_view text) noexcept {
  if (!usable(standard_error_handle)) return;
  const char* data = text.data();
  std::size_t size = text.size();
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(standard_error_handle, data, static_cast<DWORD>(size), &written, nullptr) || written == 0) return;
    data += written;
    size -= written;
  }
}

Handle FileSystem::open_command_file(const std::string& name, bool& created) {
  created = false;
  if (!usable_name(name)) return no_handle;
  // Read only: the run never writes to its command file. Others may go on writing it.
  HANDLE file = CreateFileA(name.c_str(),
                            GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr,
                            OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (!usable(file)) return no_handle;
  // OPEN_ALWAYS tells a file it had to create by leaving ERROR_SUCCESS.
  created = GetLastError() != ERROR_ALREADY_EXISTS;
  if (is_directory(file)) {
    CloseHandle(file);
    return no_handle;
  }
  return as_platform_handle(file);
}

Handle FileSystem::open_for_reading(const std::string& name, int& error) {
  error = 0;
  if (!usable_name(name)) {
    error = ERROR_FILE_NOT_FOUND;
    return no_handle;
  }
  HANDLE file = CreateFileA(name.c_str(),
                            GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr,
                            OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS,
                            nullptr);
  if (!usable(file)) {
    error = static_cast<int>(GetLastError());
    return no_handle;
  }
  return as_platform_handle(file);
}

Handle FileSystem::open_report_file(const std::string& name, int& error) {
  error = 0;
  if (!usable_name(name)) {
    error = ERROR_FILE_NOT_FOUND;
    return no_handle;
  }
  HANDLE file = CreateFileA(name.c_str(),
                            GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr,
                            OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (!usable(file)) {
    error = static_cast<int>(GetLastError());
    return no_handle;
  }
  if (is_directory(file)) {
    CloseHandle(file);
    error = ERROR_DIRECTORY;
    return no_handle;
  }
  return as_platform_handle(file);
}

Handle FileSystem::create_new_file(const std::string& path, int& error) {
  error = 0;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (!usable(file)) {
    error = static_cast<int>(GetLastError());
    return no_handle;
  }
  return as_platform_handle(file);
}

Handle FileSystem::open_existing_for_writing(const std::string& path, int& error) {
  error = 0;
  HANDLE file = CreateFileA(path.c_str(),
                            GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr,
                            OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (!usable(file)) {
    error = static_cast<int>(GetLastError());
    return no_handle;
  }
  return as_platform_handle(file);
}

bool FileSystem::may_write_in_place(const std::string& path, int& error) {
  // A read-only file, or one another program holds open against writers, refuses.
  const Handle file = open_existing_for_writing(path, error);
  if (file == no_handle) return false;
  CloseHandle(as_handle(file));
  return true;
}

void FileSystem::close(Handle file) noexcept { CloseHandle(as_handle(file)); }

long FileSystem::read(Handle file, char* dest, std::size_t size, int& error) {
  error = 0;
  const DWORD wanted = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
  DWORD got = 0;
  if (ReadFile(as_handle(file), dest, wanted, &got, nullptr)) return static_cast<long>(got);
  // The writer of a pipe has closed its end: that is the end of the file.
  const DWORD code = GetLastError();
  if (code == ERROR_BROKEN_PIPE) return 0;
  error = static_cast<int>(code);
  return -1;
}

WriteResult FileSystem::write(Handle file, const char* data, std::size_t size) noexcept {
  const DWORD wanted = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
  DWORD written = 0;
  if (WriteFile(as_handle(file), data, wanted, &written, nullptr)) {
    return {written, WriteResult::Stop::none, 0};
  }
  const DWORD error = GetLastError();
  if (error == ERROR_OPERATION_ABORTED) return {written, WriteResult::Stop::interrupted, 0};
  return {written, WriteResult::Stop::failed, static_cast<int>(error)};
}

std::size_t FileSystem::write_without_waiting(Handle file, const char* data, std::size_t size) noexcept {
  // A pipe may wait for its reader without end: what it has not taken is left out.
  if (GetFileType(as_handle(file)) == FILE_TYPE_PIPE) return 0;
  std::size_t done = 0;
  while (done < size) {
    const WriteResult result = write(file, data + done, size - done);
    done += result.written;
    if (result.stop != WriteResult::Stop::none || result.written == 0) break;
  }
  return done;
}

bool FileSystem::flush_to_disk(Handle file, int& error) {
  error = 0;
  if (FlushFileBuffers(as_handle(file))) return true;
  error = static_cast<int>(GetLastError());
  return false;
}

std::int64_t FileSystem::position(Handle file) noexcept {
  if (GetFileType(as_handle(file)) != FILE_TYPE_DISK) return -1;
  LARGE_INTEGER zero{};
  LARGE_INTEGER now{};
  if (!SetFilePointerEx(as_handle(file), zero, &now, FILE_CURRENT)) return -1;
  return now.QuadPart;
}

void FileSystem::position_at_end(Handle file) {
  LARGE_INTEGER zero{};
  SetFilePointerEx(as_handle(file), zero, nullptr, FILE_END);
}

void FileSystem::truncate(Handle file, std::int64_t size) noexcept {
  // The end of file is set where the file pointer stands; the pointer then goes back to
  // where it was, as the run expects of a cut.
  LARGE_INTEGER zero{};
  LARGE_INTEGER before{};
  if (!SetFilePointerEx(as_handle(file), zero, &before, FILE_CURRENT)) return;
  LARGE_INTEGER at{};
  at.QuadPart = size;
  if (SetFilePointerEx(as_handle(file), at, nullptr, FILE_BEGIN)) SetEndOfFile(as_handle(file));
  SetFilePointerEx(as_handle(file), before, nullptr, FILE_BEGIN);
}

bool FileSystem::lock_exclusively(Handle file) {
  OVERLAPPED where{};
  where.Offset = lock_offset_low;
  where.OffsetHigh = lock_offset_high;
  if (LockFileEx(as_handle(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where)) return true;
  // Only a lock held elsewhere refuses; devices and pipes without locks let the run go on.
  return GetLastError() != ERROR_LOCK_VIOLATION;
}

FileStatus FileSystem::status(Handle file) {
  FileStatus status;
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(as_handle(file)) != FILE_TYPE_DISK || !GetFileInformationByHandle(as_handle(file), &info)) {
    // A pipe or a device: like no other file.
    status.kind = PathKind::other;
    status.identity = {std::numeric_limits<std::uint64_t>::max(), static_cast<std::uint64_t>(file)};
    return status;
  }
  return status_of(info);
}

FileStatus FileSystem::status(const std::string& path, bool /*follow_links*/) {
  // Links are not told apart here: a name stands for what it leads to.
  FileStatus status;
  if (!usable_name(path)) return status;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD code = GetLastError();
    if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND && code != ERROR_INVALID_NAME) {
      status.kind = PathKind::unknown;
      status.error = static_cast<int>(code);
    }
    return status;
  }
  if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
    status.kind = PathKind::other;
    return status;
  }
  HANDLE file = CreateFileA(path.c_str(),
                            0,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr,
                            OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS,
                            nullptr);
  BY_HANDLE_FILE_INFORMATION info{};
  if (usable(file) && GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info)) {
    status = status_of(info);
  } else {
    // Reserved device names (NUL, CON) are no files on disk.
    status.kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::directory : PathKind::other;
  }
  if (usable(file)) CloseHandle(file);
  return status;
}

bool FileSystem::link_target(const std::string& /*path*/, std::string& /*target*/, int& error) {
  error = ERROR_NOT_SUPPORTED;
  return false;
}

std::string FileSystem::current_directory() {
  char buffer[MAX_PATH + 1];
  const DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
  if (length == 0 || length > MAX_PATH) return ".";
  return std::string(buffer, length);
}

std::int64_t FileSystem::runner() { return -1; }

bool FileSystem::set_owner(Handle /*file*/, std::int64_t /*owner*/, std::int64_t /*group*/) { return true; }

bool FileSystem::set_mode(Handle /*file*/, std::uint32_t /*mode*/) { return true; }

bool FileSystem::rename_replacing(const std::string& from, const std::string& to, int& error) {
  error = 0;
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  error = static_cast<int>(GetLastError());
  return false;
}

void FileSystem::remove_file(const char* path) noexcept { DeleteFileA(path); }

bool FileSystem::is_name_taken(int error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

bool FileSystem::is_file_size_limit(int error) { return error == ERROR_FILE_TOO_LARGE; }

std::string FileSystem::error_text(int error) {
  char text[512];
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr,
                                      static_cast<DWORD>(error),
                                      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                      text,
                                      sizeof text,
                                      nullptr);
  std::string message(text, length);
  // The system's texts end with a full stop and a line end.
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
    message.pop_back();
  }
  if (message.empty()) message = "system error " + std::to_string(error);
  return message;
}

std::uint64_t process_number() { return GetCurrentProcessId(); }

LocalTime local_time() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

void install_interruption_handler(InterruptionHandler handler) {
  if (main_thread == nullptr) {
    DuplicateHandle(
        GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &main_thread, 0, FALSE, DUPLICATE_SAME_ACCESS);
  }
  installed_handler.store(handler);
  SetConsoleCtrlHandler(on_console_event, TRUE);
}

void remove_interruption_handler() {
  SetConsoleCtrlHandler(on_console_event, FALSE);
  installed_handler.store(nullptr);
}

void interrupt_waiting_write() noexcept {
  // Ends a write of the main thread that waits on a pipe; it then sees the interruption.
  if (main_thread != nullptr) CancelSynchronousIo(main_thread);
}

[[noreturn]] void exit_now(int status) noexcept { ExitProcess(static_cast<UINT>(status)); }

}  // namespace morvit::platform
