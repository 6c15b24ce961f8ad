#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace morvit::testing {

// A fresh temporary working directory, removed with everything in it at the end.
class WorkDir {
 public:
  WorkDir();
  ~WorkDir();
  WorkDir(const WorkDir&) = delete;
  WorkDir& operator=(const WorkDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  void write(const std::string& name, const std::string& content) const;
  std::string read(const std::string& name) const;
  bool exists(const std::string& name) const;
  // Names of the entries of the directory, sorted.
  std::vector<std::string> entries() const;

 private:
  std::filesystem::path path_;
};

struct ProcessResult {
  int status = -1;  // exit status, or 128 + signal number
  std::string out;
  std::string err;
};

enum class RunAs {
  invoking_user,
  // An unprivileged user when the tests run as root (as in CI), so that file permissions
  // apply; the working directory is opened to everyone for it.
  unprivileged_user,
};

// A started MORVIT process; finish() waits for it and collects its output.
class RunningMorvit {
 public:
  // `program` replaces the MORVIT executable (a shell, for run_script).
  RunningMorvit(const WorkDir& dir, const std::vector<std::string>& args, RunAs as = RunAs::invoking_user,
                const std::string& program = {});
  ~RunningMorvit();
  RunningMorvit(const RunningMorvit&) = delete;
  RunningMorvit& operator=(const RunningMorvit&) = delete;

  int pid() const { return pid_; }
  // Sends a signal to the process.
  void signal(int signal_number) const;
  // True while the process waits in the kernel (sleeping), e.g. for more input.
  bool sleeping() const;
  // What the process has written to standard output so far.
  std::string output_so_far() const;
  // True when the process has ended within `milliseconds` (finish() then collects it).
  bool ends_within(int milliseconds);
  ProcessResult finish();

 private:
  int pid_ = -1;
  int out_fd_ = -1;
  int err_fd_ = -1;
  bool finished_ = false;
  int wait_status_ = 0;
  bool reaped_ = false;
};

// The command line that starts the MORVIT executable with `args`: where the tests run on
// an emulated processor, the emulator's command (MORVIT_LAUNCHER) comes first.
std::vector<std::string> morvit_command_line(const std::vector<std::string>& args);

// True when the executable runs under an emulator (another processor's build).
bool runs_under_emulator();

// True when `ulimit -v` limits the program alone: not under the sanitizers or an emulator,
// which need far more address space than the program itself.
bool address_space_limits_apply();

// Runs the MORVIT executable in `dir` with `args`; standard input is empty.
ProcessResult run_morvit(const WorkDir& dir, const std::vector<std::string>& args, RunAs as = RunAs::invoking_user);

// Runs a bash script in `dir`, with $MORVIT naming the executable; standard input is empty.
// For the situations a shell sets up: closed streams, limits, pipes, links.
ProcessResult run_script(const WorkDir& dir, const std::string& script);

// True when the tests run as root, so that unprivileged runs change the user.
bool running_as_root();

// The records of a report (CR LF ends), with the digits of the banner's and the trailer's
// clock readings replaced by '#'.
std::vector<std::string> report_lines(const std::string& report);

// `count` lines from the first line that begins with `prefix` (fewer at the end of the
// lines, none when no line begins with it).
std::vector<std::string> section(const std::vector<std::string>& lines, const std::string& prefix, std::size_t count);

}  // namespace morvit::testing
