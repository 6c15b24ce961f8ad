#include "exchange/output/output_names.h"

#include "driver/diagnostics.h"
#include "driver/run_driver.h"
#include "exchange/case_names.h"
#include "exchange/cell_text.h"
#include "exchange/output_file.h"
#include "system/file_paths.h"
#include "system/platform.h"

namespace morvit {
namespace {

constexpr std::string_view data_key = "DATA: ";

// The directory part of a final path, with its separator.
std::string directory_of(const std::string& path) { return path.substr(0, path.size() - base_name(path).size()); }

// The file on disk that the name stands for, if there is one.
std::optional<platform::FileIdentity> file_on_disk(const std::string& name) {
  const platform::FileStatus status = platform::files().status(name, /*follow_links=*/true);
  if (status.kind != platform::PathKind::regular) return std::nullopt;
  return status.identity;
}

// True when the name stands for the file on disk that standard input reads.
bool is_standard_input(const std::string& name) {
  platform::FileSystem& system = platform::files();
  const platform::Handle input = system.standard_input();
  if (input == platform::no_handle) return false;
  const platform::FileStatus status = system.status(input);
  const std::optional<platform::FileIdentity> output = file_on_disk(name);
  return status.kind == platform::PathKind::regular && output && *output == status.identity;
}

}  // namespace

bool check_output_names(const std::vector<NamedOutput>& outputs, const std::string& command_file, std::ostream& err) {
  const bool from_standard_input = command_file == standard_input_name;
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const std::string& name = outputs[i].name;
    std::string clash;
    if (from_standard_input && is_standard_input(name)) clash = "is the command file (standard input)";
    if (!from_standard_input && !command_file.empty()) {
      if (same_file(name, command_file)) clash = "is the command file";
      if (same_file(name, case_names_file(command_file))) clash = "is the file of the case names";
    }
    if (same_file(name, "morvit.out")) clash = "is the report file morvit.out";
    if (same_file(name, "fort.6")) clash = "is the report file fort.6, which a run writes when it has no other";
    for (std::size_t j = 0; j < i; ++j) {
      if (same_file(name, outputs[j].name)) clash = "is named by " + std::string(outputs[j].option) + " too";
    }
    if (!clash.empty()) {
      report(err,
             Place{},
             Severity::error,
             std::string(outputs[i].option) + " " + name + ": this " + clash + "; choose another file name");
      return false;
    }
  }
  return true;
}

void FilesInUse::report_file(std::string_view name, const platform::FileIdentity& identity) {
  reports_.push_back({std::string(name), identity, final_path(std::string(name))});
}

void FilesInUse::comment(std::string_view text) {
  if (!text.starts_with(data_key)) return;
  text.remove_prefix(data_key.size());
  const std::size_t counts = text.rfind(" (");
  if (counts != std::string_view::npos) text = text.substr(0, counts);
  data_file_ = capitals(text);
}

std::string FilesInUse::clash(const std::string& name) const {
  // A device or FIFO is no file of the run's: the report onto /dev/null leaves it free.
  if (platform::files().status(name, /*follow_links=*/true).kind == platform::PathKind::other) return {};
  const std::string path = final_path(name);
  const std::optional<platform::FileIdentity> identity = file_on_disk(name);
  for (const WrittenReport& report : reports_) {
    if ((identity && *identity == report.identity) || path == report.path) {
      return "is the report file " + report.name + " that the run wrote";
    }
  }
  if (source_) {
    return identity && *identity == *source_ ? "is the CSV file that the command file was made from" : std::string();
  }
  // Without the side file's record: the CSV file sits beside the command file, or in the
  // working directory, where the maker was run; the comment gives its name in capitals.
  if (!data_file_.empty() && capitals(base_name(path)) == data_file_) {
    const std::string directory = directory_of(path);
    if (directory == directory_of(final_path(command_file_)) || directory == directory_of(final_path("x"))) {
      return "is the CSV file that the command file was made from";
    }
  }
  return {};
}

}  // namespace morvit
