#include "exchange/output_file.h"

#include "system/file_paths.h"
#include "system/output_replacement.h"
#include "system/platform.h"

namespace morvit {

bool same_file(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  platform::FileSystem& system = platform::files();
  const platform::FileStatus left = system.status(a, /*follow_links=*/true);
  const platform::FileStatus right = system.status(b, /*follow_links=*/true);
  if (left.kind == platform::PathKind::other || right.kind == platform::PathKind::other) return false;
  const bool both_exist = left.kind != platform::PathKind::missing && left.kind != platform::PathKind::unknown &&
                          right.kind != platform::PathKind::missing && right.kind != platform::PathKind::unknown;
  if (both_exist && left.identity == right.identity) return true;
  return final_path(a) == final_path(b);
}

std::string cannot_write(const std::string& name, const std::string& reason) {
  return "morvit: cannot write " + printable(name) + ": " + printable(reason);
}

void report_not_written(std::ostream& err, const Place& place, std::string_view why,
                        const std::vector<std::string>& shown) {
  if (shown.empty()) return;
  std::string list;
  for (const std::string& output : shown) list += (list.empty() ? "" : ", ") + output;
  const char* kept =
      shown.size() == 1 ? "; the file of this name is as it was" : "; the files of these names are as they were";
  report(err, place, Severity::error, std::string(why) + "; not written: " + list + kept);
  err.flush();
}

bool write_together(const std::vector<PlannedOutput>& outputs, std::ostream& err) {
  std::vector<OutputContent> contents;
  for (const PlannedOutput& output : outputs) contents.push_back({output.name, output.content});
  const TogetherOutcome outcome = replace_together(contents);
  if (outcome.written) return true;
  err << cannot_write(outputs[outcome.failed].name, outcome.problem) << '\n';
  std::vector<std::string> not_written;
  std::vector<std::string> written;
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    (outcome.replaced[i] ? written : not_written).push_back(outputs[i].shown);
  }
  std::string why = "the outputs are written together or not at all";
  if (!written.empty()) {
    why = "written before the failure:";
    for (const std::string& output : written) why += " " + output;
  }
  report_not_written(err, Place{}, why, not_written);
  return false;
}

}  // namespace morvit
