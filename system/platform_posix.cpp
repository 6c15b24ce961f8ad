// The operating system for Linux, macOS and other POSIX systems.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <exception>
#include <limits>

#include "system/platform.h"

namespace morvit::platform {
namespace {

// Which standard streams were closed when the process started (and now hold the null device).
std::array<bool, 3> closed_at_start{};

int descriptor(Handle file) { return static_cast<int>(file); }

bool is_directory(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
}

// A name the system can be asked about: not empty, without a zero byte inside.
bool usable_name(const std::string& name) { return !name.empty() && name.find('\0') == std::string::npos; }

FileStatus status_of(const struct stat& info) {
  FileStatus status;
  status.kind = S_ISREG(info.st_mode)   ? PathKind::regular
                : S_ISDIR(info.st_mode) ? PathKind::directory
                : S_ISLNK(info.st_mode) ? PathKind::link
                                        : PathKind::other;
  status.identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
  status.mode = static_cast<std::uint32_t>(info.st_mode & 07777);
  status.owner = static_cast<std::int64_t>(info.st_uid);
  status.group = static_cast<std::int64_t>(info.st_gid);
  status.size = static_cast<std::int64_t>(info.st_size);
  return status;
}

constexpr std::array<int, 5> interruption_signals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ};

std::atomic<InterruptionHandler> installed_handler{nullptr};

Interruption interruption_of(int signal_number) {
  switch (signal_number) {
    case SIGINT: return Interruption::keyboard;
    case SIGHUP: return Interruption::hangup;
    case SIGQUIT: return Interruption::quit;
    case SIGXFSZ: return Interruption::file_size;
    default: return Interruption::termination;
  }
}

extern "C" void on_signal(int signal_number) {
  if (InterruptionHandler handler = installed_handler.load()) handler(interruption_of(signal_number));
}

}  // namespace

bool file_identities_outlive_the_process() {
#ifdef __EMSCRIPTEN__
  return false;
#else
  return true;
#endif
}

void prepare_process() {
  for (int fd = 0; fd <= 2; ++fd) {
    const bool closed = ::fcntl(fd, F_GETFD) == -1 && errno == EBADF;
    closed_at_start[static_cast<std::size_t>(fd)] = closed;
    if (closed) {
      // The lowest free descriptor is this one, as every lower one is open.
      const int taken = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
      if (taken != fd && taken >= 0) ::close(taken);
    }
  }
  // A console that goes away (a closed pipe) must not end the run: the report file is still
  // to be written. Writes to the console then simply fail.
  ::signal(SIGPIPE, SIG_IGN);
}

Handle FileSystem::standard_input() { return closed_at_start[0] ? no_handle : STDIN_FILENO; }

Handle FileSystem::standard_output() { return closed_at_start[1] ? no_handle : STDOUT_FILENO; }

void write_standard_error(std::string_view text) noexcept {
  if (closed_at_start[2]) return;
  const char* data = text.data();
  std::size_t size = text.size();
  while (size > 0) {
    const ssize_t n = ::write(STDERR_FILENO, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

Handle FileSystem::open_command_file(const std::string& name, bool& created) {
  created = false;
  if (!usable_name(name)) return no_handle;
  // Read only: the run never writes to its command file, and a pipe or FIFO then ends
  // when its writer is done. A name that does not exist is created empty, and told.
  int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0 && errno == ENOENT) {
    fd = ::open(name.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    created = fd >= 0;
    // Another process made it in between: open what is there.
    if (fd < 0 && errno == EEXIST) fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  }
  if (fd < 0) return no_handle;
  if (is_directory(fd)) {
    ::close(fd);
    return no_handle;
  }
  return fd;
}

Handle FileSystem::open_for_reading(const std::string& name, int& error) {
  error = 0;
  if (!usable_name(name)) {
    error = ENOENT;
    return no_handle;
  }
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) error = errno;
  return fd < 0 ? no_handle : fd;
}

Handle FileSystem::open_report_file(const std::string& name, int& error) {
  error = 0;
  if (!usable_name(name)) {
    error = ENOENT;
    return no_handle;
  }
  const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) {
    error = errno;
    return no_handle;
  }
  if (is_directory(fd)) {
    ::close(fd);
    error = EISDIR;
    return no_handle;
  }
  return fd;
}

Handle FileSystem::create_new_file(const std::string& path, int& error) {
  error = 0;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) error = errno;
  return fd < 0 ? no_handle : fd;
}

Handle FileSystem::open_existing_for_writing(const std::string& path, int& error) {
  error = 0;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) error = errno;
  return fd < 0 ? no_handle : fd;
}

bool FileSystem::may_write_in_place(const std::string& path, int& error) {
  error = 0;
  // Without waiting: a name that became a FIFO meanwhile must not hold the run.
  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    error = errno;
    return false;
  }
  ::close(fd);
  return true;
}

void FileSystem::close(Handle file) noexcept { ::close(descriptor(file)); }

long FileSystem::read(Handle file, char* dest, std::size_t size, int& error) {
  error = 0;
  for (;;) {
    const ssize_t n = ::read(descriptor(file), dest, size);
    if (n >= 0) return static_cast<long>(n);
    if (errno != EINTR) {
      error = errno;
      return -1;
    }
  }
}

WriteResult FileSystem::write(Handle file, const char* data, std::size_t size) noexcept {
  const int fd = descriptor(file);
  for (;;) {
    const ssize_t n = ::write(fd, data, size);
    if (n >= 0) return {static_cast<std::size_t>(n), WriteResult::Stop::none, 0};
    if (errno == EINTR) return {0, WriteResult::Stop::interrupted, 0};
    if (errno != EAGAIN && errno != EWOULDBLOCK) return {0, WriteResult::Stop::failed, errno};
    // A stream that someone else made non-blocking: wait until it takes more.
    struct pollfd ready {
      fd, POLLOUT, 0
    };
    if (::poll(&ready, 1, -1) < 0 && errno == EINTR) return {0, WriteResult::Stop::interrupted, 0};
  }
}

std::size_t FileSystem::write_without_waiting(Handle file, const char* data, std::size_t size) noexcept {
  const int fd = descriptor(file);
  std::size_t written = 0;
  while (written < size) {
    // A pipe that reports room takes PIPE_BUF bytes without blocking; a file on disk
    // always does.
    struct pollfd ready {
      fd, POLLOUT, 0
    };
    if (::poll(&ready, 1, 100) <= 0 || (ready.revents & POLLOUT) == 0) break;
    const std::size_t chunk = size - written < PIPE_BUF ? size - written : PIPE_BUF;
    const ssize_t n = ::write(fd, data + written, chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  return written;
}

bool FileSystem::flush_to_disk(Handle file, int& error) {
  error = 0;
  for (;;) {
    if (::fsync(descriptor(file)) == 0) return true;
    if (errno == EINTR) continue;
    // A file system that cannot sync (some network and special ones) has nothing to add.
    if (errno == EINVAL || errno == ENOTSUP) return true;
    error = errno;
    return false;
  }
}

std::int64_t FileSystem::position(Handle file) noexcept {
  return static_cast<std::int64_t>(::lseek(descriptor(file), 0, SEEK_CUR));
}

void FileSystem::position_at_end(Handle file) { (void)::lseek(descriptor(file), 0, SEEK_END); }

void FileSystem::truncate(Handle file, std::int64_t size) noexcept {
  // A cut that fails leaves the file longer; the records before the cut are whole either way.
  if (::ftruncate(descriptor(file), static_cast<off_t>(size)) != 0) return;
}

bool FileSystem::lock_exclusively(Handle file) {
  for (;;) {
    if (::flock(descriptor(file), LOCK_EX | LOCK_NB) == 0) return true;
    if (errno == EINTR) continue;
    // Only a lock held elsewhere refuses; file systems without locks let the run go on.
    return errno != EWOULDBLOCK;
  }
}

FileStatus FileSystem::status(Handle file) {
  struct stat info {};
  if (::fstat(descriptor(file), &info) != 0) {
    FileStatus unknown;
    unknown.kind = PathKind::unknown;
    unknown.error = errno;
    unknown.identity = {std::numeric_limits<std::uint64_t>::max(), static_cast<std::uint64_t>(file)};
    return unknown;
  }
  return status_of(info);
}

FileStatus FileSystem::status(const std::string& path, bool follow_links) {
  struct stat info {};
  const int result = follow_links ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info);
  if (result != 0) {
    FileStatus failed;
    if (errno != ENOENT && errno != ENOTDIR) {
      failed.kind = PathKind::unknown;
      failed.error = errno;
    }
    return failed;
  }
  return status_of(info);
}

bool FileSystem::link_target(const std::string& path, std::string& target, int& error) {
  error = 0;
  std::string buffer(256, '\0');
  for (;;) {
    const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (n < 0) {
      error = errno;
      return false;
    }
    if (static_cast<std::size_t>(n) < buffer.size()) {
      target.assign(buffer.data(), static_cast<std::size_t>(n));
      return true;
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string FileSystem::current_directory() {
  std::string buffer(256, '\0');
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return "/";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.c_str();
}

std::int64_t FileSystem::runner() { return static_cast<std::int64_t>(::geteuid()); }

bool FileSystem::set_owner(Handle file, std::int64_t owner, std::int64_t group) {
  return ::fchown(descriptor(file), static_cast<uid_t>(owner), static_cast<gid_t>(group)) == 0;
}

bool FileSystem::set_mode(Handle file, std::uint32_t mode) {
  return ::fchmod(descriptor(file), static_cast<mode_t>(mode)) == 0;
}

bool FileSystem::rename_replacing(const std::string& from, const std::string& to, int& error) {
  error = 0;
  if (::rename(from.c_str(), to.c_str()) == 0) return true;
  error = errno;
  return false;
}

void FileSystem::remove_file(const char* path) noexcept { (void)::unlink(path); }

bool FileSystem::is_name_taken(int error) { return error == EEXIST; }

bool FileSystem::is_file_size_limit(int error) { return error == EFBIG; }

std::string FileSystem::error_text(int error) { return std::strerror(error); }

std::uint64_t process_number() { return static_cast<std::uint64_t>(::getpid()); }

LocalTime local_time() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return {};
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

void install_interruption_handler(InterruptionHandler handler) {
  installed_handler.store(handler);
  struct sigaction action {};
  action.sa_handler = on_signal;
  // No SA_RESTART: a write that waits on a full pipe returns, so that the run can end.
  action.sa_flags = 0;
  sigemptyset(&action.sa_mask);
  for (int signal_number : interruption_signals) sigaddset(&action.sa_mask, signal_number);
  for (int signal_number : interruption_signals) {
    struct sigaction previous {};
    sigaction(signal_number, nullptr, &previous);
    // A signal ignored by whoever started the run (nohup, a background job) stays ignored.
    if (previous.sa_handler == SIG_IGN && signal_number != SIGXFSZ) continue;
    sigaction(signal_number, &action, nullptr);
  }
}

void remove_interruption_handler() {
  for (int signal_number : interruption_signals) {
    struct sigaction current {};
    sigaction(signal_number, nullptr, &current);
    if (current.sa_handler != on_signal) continue;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal_number, &action, nullptr);
  }
  installed_handler.store(nullptr);
}

void interrupt_waiting_write() noexcept {
  // The signal that brought the interruption has already ended the waiting write.
}

#ifdef MORVIT_HOSTED_BUILD
// A build whose runs are all hosted (the R package: RunOptions::hosted) installs no
// interruption handlers, so nothing calls this; nor does it call _exit, which a library
// loaded into R must not.
[[noreturn]] void exit_now(int /*status*/) noexcept { std::terminate(); }
#else
[[noreturn]] void exit_now(int status) noexcept { ::_exit(status); }
#endif

}  // namespace morvit::platform
