#include "support/morvit_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace morvit::testing {
namespace fs = std::filesystem;

WorkDir::WorkDir() {
  std::random_device seed;
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate = base / ("morvit-test-" + std::to_string(seed()));
    if (fs::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary directory");
}

WorkDir::~WorkDir() {
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

void WorkDir::write(const std::string& name, const std::string& content) const {
  std::ofstream file(path_ / name, std::ios::binary | std::ios::trunc);
  file << content;
}

std::string WorkDir::read(const std::string& name) const {
  std::ifstream file(path_ / name, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

bool WorkDir::exists(const std::string& name) const { return fs::exists(path_ / name); }

std::vector<std::string> WorkDir::entries() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

std::string slurp(int fd) {
  std::string text;
  (void)::lseek(fd, 0, SEEK_SET);
  char block[4096];
  for (ssize_t n; (n = ::read(fd, block, sizeof block)) > 0;) text.append(block, static_cast<std::size_t>(n));
  return text;
}

}  // namespace

bool running_as_root() { return ::geteuid() == 0; }

namespace {

// The executable as another user can run it: the build tree may lie below folders that
// only its owner may enter, so a copy is made once in a folder open to everyone, and
// removed when the tests end.
class ExecutableCopy {
 public:
  ExecutableCopy() {
    char name[] = "/tmp/morvit-bin-XXXXXX";
    if (::mkdtemp(name) == nullptr) throw std::runtime_error("cannot create a folder for the executable");
    folder_ = name;
    path_ = (folder_ / "morvit").string();
    fs::copy_file(MORVIT_BINARY, path_);
    const auto everyone = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                          fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(folder_, everyone);
    fs::permissions(path_, everyone);
  }
  ~ExecutableCopy() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  fs::path folder_;
  std::string path_;
};

const std::string& executable_for_everyone() {
  static const ExecutableCopy copy;
  return copy.path();
}

// An emulated build names the emulator and its options as a list of string literals,
// each followed by a comma.
#ifndef MORVIT_LAUNCHER
#define MORVIT_LAUNCHER
#endif

std::vector<std::string> command_line(const std::string& executable, const std::vector<std::string>& args) {
  std::vector<std::string> line = {MORVIT_LAUNCHER executable};
  line.insert(line.end(), args.begin(), args.end());
  return line;
}

// The executable as a shell script starts it: itself, or where it runs under an emulator
// a script beside the copy for everyone that starts the emulator with it.
std::string executable_for_scripts() {
  const std::vector<std::string> line = command_line(MORVIT_BINARY, {});
  if (line.size() == 1) return line.front();
  static const std::string script = [&] {
    const fs::path path = fs::path(executable_for_everyone()).parent_path() / "morvit-emulated";
    std::ofstream file(path);
    file << "#!/bin/sh\nexec";
    for (const std::string& word : line) file << " '" << word << "'";
    file << " \"$@\"\n";
    file.close();
    fs::permissions(path,
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                        fs::perms::others_exec);
    return path.string();
  }();
  return script;
}

}  // namespace

std::vector<std::string> morvit_command_line(const std::vector<std::string>& args) {
  return command_line(MORVIT_BINARY, args);
}

bool runs_under_emulator() { return command_line(MORVIT_BINARY, {}).size() > 1; }

RunningMorvit::RunningMorvit(const WorkDir& dir, const std::vector<std::string>& args, RunAs as,
                             const std::string& program) {
  char out_name[] = "/tmp/morvit-out-XXXXXX";
  char err_name[] = "/tmp/morvit-err-XXXXXX";
  out_fd_ = ::mkstemp(out_name);
  err_fd_ = ::mkstemp(err_name);
  ::unlink(out_name);
  ::unlink(err_name);
  const bool drop_privileges = as == RunAs::unprivileged_user && running_as_root();
  if (drop_privileges) {
    fs::permissions(dir.path(), fs::perms::all, fs::perm_options::replace);
  }

  std::vector<std::string> argv_text = args;
  if (!program.empty()) {
    argv_text.insert(argv_text.begin(), program);
  } else {
    argv_text = command_line(drop_privileges ? executable_for_everyone() : std::string(MORVIT_BINARY), args);
  }
  std::vector<char*> argv;
  for (std::string& arg : argv_text) argv.push_back(arg.data());
  argv.push_back(nullptr);

  pid_ = ::fork();
  if (pid_ == 0) {
    const int null_fd = ::open("/dev/null", O_RDONLY);
    ::dup2(null_fd, STDIN_FILENO);
    ::dup2(out_fd_, STDOUT_FILENO);
    ::dup2(err_fd_, STDERR_FILENO);
    if (drop_privileges && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(125);
    if (::chdir(dir.path().c_str()) != 0) ::_exit(126);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
}

RunningMorvit::~RunningMorvit() {
  if (!finished_ && pid_ > 0) {
    ::kill(pid_, SIGKILL);
    finish();
  }
}

void RunningMorvit::signal(int signal_number) const { ::kill(pid_, signal_number); }

bool RunningMorvit::sleeping() const {
  std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
  std::string text;
  std::getline(stat, text);
  const std::size_t close = text.rfind(')');
  return close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'S';
}

std::string RunningMorvit::output_so_far() const {
  // pread leaves the offset alone, which the process shares for its writes.
  std::string text;
  char block[4096];
  for (ssize_t n; (n = ::pread(out_fd_, block, sizeof block, static_cast<off_t>(text.size()))) > 0;) {
    text.append(block, static_cast<std::size_t>(n));
  }
  return text;
}

bool RunningMorvit::ends_within(int milliseconds) {
  for (int waited = 0; !reaped_; waited += 5) {
    if (::waitpid(pid_, &wait_status_, WNOHANG) == pid_) {
      reaped_ = true;
      break;
    }
    if (waited >= milliseconds) return false;
    ::usleep(5000);
  }
  return true;
}

ProcessResult RunningMorvit::finish() {
  if (!reaped_) ::waitpid(pid_, &wait_status_, 0);
  reaped_ = true;
  const int wait_status = wait_status_;
  finished_ = true;
  ProcessResult result;
  result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
  result.out = slurp(out_fd_);
  result.err = slurp(err_fd_);
  ::close(out_fd_);
  ::close(err_fd_);
  return result;
}

bool address_space_limits_apply() {
#if defined(MORVIT_SANITIZED)
  return false;
#else
  return !runs_under_emulator();
#endif
}

ProcessResult run_script(const WorkDir& dir, const std::string& script) {
  ::setenv("MORVIT", executable_for_scripts().c_str(), 1);
  RunningMorvit process(dir, {"-c", script}, RunAs::invoking_user, "/bin/bash");
  return process.finish();
}

ProcessResult run_morvit(const WorkDir& dir, const std::vector<std::string>& args, RunAs as) {
  RunningMorvit process(dir, args, as);
  return process.finish();
}

std::vector<std::string> report_lines(const std::string& report) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < report.size()) {
    std::size_t end = report.find("\r\n", start);
    if (end == std::string::npos) end = report.size();
    std::string line = report.substr(start, end - start);
    if (line.starts_with(" SYSTEM DATE AND TIME:") || line.starts_with(" MORVIT FINISHED ON")) {
      std::replace_if(
          line.begin(), line.end(), [](char c) { return c >= '0' && c <= '9'; }, '#');
    }
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

std::vector<std::string> section(const std::vector<std::string>& lines, const std::string& prefix, std::size_t count) {
  auto begin =
      std::find_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.starts_with(prefix); });
  auto end =
      begin + static_cast<std::ptrdiff_t>(std::min<std::size_t>(count, static_cast<std::size_t>(lines.end() - begin)));
  return {begin, end};
}

}  // namespace morvit::testing
