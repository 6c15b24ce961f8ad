#include "exchange/case_names.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace morvit {

std::string case_names_file(const std::string& command_file) { return command_file + ".cases"; }

void write_case_names(std::ostream& out, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    for (const char c : name) out << (c == '\n' || c == '\r' ? ' ' : c);
    out << '\n';
  }
}

std::optional<std::vector<std::string>> read_case_names(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(std::filesystem::path(path), error)) return std::nullopt;
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  std::string text = content.str();
  if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string name = text.substr(start, end - start);
    if (!name.empty() && name.back() == '\r') name.pop_back();
    names.push_back(std::move(name));
    start = end + 1;
  }
  return names;
}

}  // namespace morvit
