#include "exchange/output/output_names.h"

#include "system/file_paths.h"
#include "exchange/case_names.h"
#include "driver/diagnostics.h"
#include "exchange/cell_text.h"
#include "exchange/output_file.h"

namespace morvit {
namespace {

constexpr std::string_view data_key = "DATA: ";

// The directory part of a final path, with its separator.
std::string directory_of(const std::string& path) { return path.substr(0, path.size() - base_name(path).size()); }

}  // namespace

bool check_output_names(const std::vector<NamedOutput>& outputs, const std::string& command_file,
                        std::ostream& err) {
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const std::string& name = outputs[i].name;
    std::string clash;
    if (!command_file.empty() && same_file(name, command_file)) clash = "is the command file";
    if (!command_file.empty() && same_file(name, case_names_file(command_file))) clash = "is the file of the case names";
    if (same_file(name, "morvit.out")) clash = "is the report file morvit.out";
    if (same_file(name, "fort.6")) clash = "is the report file fort.6, which a run writes when it has no other";
    for (std::size_t j = 0; j < i; ++j) {
      if (same_file(name, outputs[j].name)) clash = "is named by " + std::string(outputs[j].option) + " too";
    }
    if (!clash.empty()) {
      report(err, Place{}, Severity::error,
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
  const std::string path = final_path(name);
  platform::FileIdentity identity;
  const bool exists = platform::path_identity(name, identity);
  for (const WrittenReport& report : reports_) {
    if ((exists && identity == report.identity) || path == report.path) {
      return "is the report file " + report.name + " that the run wrote";
    }
  }
  // The CSV file sits beside the command file, or in the working directory, where the
  // maker was run; the comment gives its name in capitals.
  if (!data_file_.empty() && capitals(base_name(path)) == data_file_) {
    const std::string directory = directory_of(path);
    if (directory == directory_of(final_path(command_file_)) || directory == directory_of(final_path("x"))) {
      return "is the CSV file that the command file was made from";
    }
  }
  return {};
}

}  // namespace morvit
