#include "exchange/output_file.h"

#include <sstream>

#include "driver/diagnostics.h"
#include "system/file_paths.h"
#include "system/output_replacement.h"
#include "system/platform.h"

namespace morvit {

bool same_file(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  platform::FileIdentity left;
  platform::FileIdentity right;
  if (platform::path_identity(a, left) && platform::path_identity(b, right) && left == right) return true;
  return final_path(a) == final_path(b);
}

std::string cannot_write(const std::string& name, const std::string& reason) {
  return "morvit: cannot write " + printable(name) + ": " + printable(reason);
}

bool write_file(const std::string& name, const std::function<void(std::ostream&)>& body, std::ostream& err) {
  std::ostringstream content;
  body(content);
  const std::string text = content.str();
  const std::string problem = replace_output(name, text);
  if (problem.empty()) return true;
  err << cannot_write(name, problem) << '\n';
  err.flush();
  return false;
}

}  // namespace morvit
