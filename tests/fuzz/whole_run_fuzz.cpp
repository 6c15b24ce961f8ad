// Fuzz target: a whole run of MORVIT on arbitrary command-file bytes, in a private
// temporary directory. Any report and any exit path are allowed; a crash, a hang or a file
// written outside that directory is not. The first byte chooses the world the run meets:
// as usual, with standard output and standard error closed, with a morvit.out whose
// writes fail (a link to /dev/full), or with outputs beside the report (the table, the
// cases and the page) whose names are a link to a device, a link that leads to no file
// yet, or a report file the run writes through OUT. Afterwards the device is still a
// device, each link still a link, the report file still a report, and no temporary file is
// left.
//
// OUT names that contain "/" could legitimately point anywhere, so inputs with such a name
// are passed over, as are DAT lines with counts of four or more digits (large matrices only
// cost time under the sanitizers; their limits are covered by the tests).
#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "driver/run_driver.h"
#include "exchange/c_stream.h"
#include "exchange/output/exchange_listener.h"

namespace {

bool starts_with_keyword(std::string_view line, std::string_view keyword) {
  if (line.size() < 3) return false;
  for (std::size_t i = 0; i < 3; ++i) {
    if (std::toupper(static_cast<unsigned char>(line[i])) != keyword[i]) return false;
  }
  return true;
}

bool acceptable(std::string_view text) {
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    if (starts_with_keyword(line, "OUT") && line.substr(0, 80).find('/') != std::string_view::npos) return false;
    if (starts_with_keyword(line, "DAT")) {
      int run = 0;
      for (char c : line.substr(0, 80)) {
        run = std::isdigit(static_cast<unsigned char>(c)) ? run + 1 : 0;
        if (run >= 4) return false;
      }
    }
    start = end + 1;
  }
  return true;
}

std::filesystem::path work_directory() {
  static const std::filesystem::path directory = [] {
    char name[] = "/tmp/morvit-fuzz-XXXXXX";
    if (::mkdtemp(name) == nullptr) std::abort();
    // The console lines of every run would drown the fuzzer's own output.
    const int null_fd = ::open("/dev/null", O_WRONLY);
    ::dup2(null_fd, STDOUT_FILENO);
    return std::filesystem::path(name);
  }();
  return directory;
}

}  // namespace

enum class World { usual, closed_streams, failing_report, output_device, output_dangling_link, output_is_report };
constexpr int worlds = 6;

// The outputs of a run in the worlds that have them.
void run_with_outputs(World world, morvit::RunOptions options) {
  morvit::ExchangeOptions outputs;
  outputs.command_file = options.command_file;
  switch (world) {
    case World::output_device:
      std::filesystem::create_symlink("/dev/full", "device.html");
      outputs.html = "device.html";
      outputs.table_csv = "/dev/null";
      break;
    case World::output_dangling_link:
      std::filesystem::create_symlink("made.csv", "link.csv");
      outputs.cases_csv = "link.csv";
      outputs.html = "page.html";
      break;
    default:
      outputs.table_csv = "REP.OUT";
      outputs.html = "page.html";
      break;
  }
  morvit::CStream err(stderr);
  if (!morvit::check_output_names(outputs, err)) std::abort();  // none of these names clashes before the run
  morvit::ExchangeListener listener(outputs, err);
  options.listener = &listener;
  morvit::run_morvit(options);
}

bool temporary_file_left() {
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    if (entry.path().filename().string().ends_with(".tmp")) return true;
  }
  return false;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const auto world = static_cast<World>(data[0] % worlds);
  ++data;
  --size;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!acceptable(text)) return 0;
  const std::filesystem::path directory = work_directory();
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::remove_all(directory);
  std::filesystem::create_directory(directory);
  std::filesystem::current_path(directory);
  // The report file that an output names: the run writes into it through OUT first.
  const std::string_view report_first = world == World::output_is_report ? "OUT     REP.OUT\n" : "";
  {
    const int fd = ::open("run.cmd", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, report_first.data(), report_first.size()) != static_cast<ssize_t>(report_first.size()) ||
        ::write(fd, data, size) != static_cast<ssize_t>(size)) {
      std::abort();
    }
    ::close(fd);
  }
  size += report_first.size();
  if (world == World::failing_report) std::filesystem::create_symlink("/dev/full", "morvit.out");
  int saved_out = -1;
  int saved_err = -1;
  if (world == World::closed_streams) {
    saved_out = ::dup(STDOUT_FILENO);
    saved_err = ::dup(STDERR_FILENO);
    ::close(STDOUT_FILENO);
    ::close(STDERR_FILENO);
  }
  morvit::RunOptions options;
  options.command_file = "run.cmd";
  if (world == World::output_device || world == World::output_dangling_link || world == World::output_is_report) {
    run_with_outputs(world, options);
  } else {
    morvit::run_morvit(options);
  }
  if (world == World::closed_streams) {
    ::dup2(saved_out, STDOUT_FILENO);
    ::dup2(saved_err, STDERR_FILENO);
    ::close(saved_out);
    ::close(saved_err);
  }

  // The command file is only read, and the run stays in its directory.
  if (std::filesystem::current_path() != directory) std::abort();
  if (std::filesystem::file_size("run.cmd") != size) std::abort();
  // Nothing but a regular file is replaced, links stay links, a report is never written
  // over, and no temporary file is left.
  if (temporary_file_left()) std::abort();
  if (world == World::output_device &&
      (!std::filesystem::is_character_file("/dev/full") || !std::filesystem::is_symlink("device.html"))) {
    std::abort();
  }
  if (world == World::output_dangling_link && !std::filesystem::is_symlink("link.csv")) std::abort();
  if (world == World::output_is_report && std::filesystem::exists("REP.OUT")) {
    char first[6] = {};
    const int fd = ::open("REP.OUT", O_RDONLY);
    if (fd >= 0 && ::read(fd, first, sizeof first) == sizeof first && std::string_view(first, 6) == "block,")
      std::abort();
    if (fd >= 0) ::close(fd);
  }
  std::filesystem::current_path(previous);
  return 0;
}
