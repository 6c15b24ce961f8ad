#include "exchange/output_file.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "exchange/diagnostics.h"

namespace morvit {

namespace fs = std::filesystem;

bool same_file(const std::string& a, const std::string& b) {
  std::error_code error;
  if (fs::equivalent(fs::path(a), fs::path(b), error) && !error) return true;
  const fs::path left = fs::weakly_canonical(fs::absolute(fs::path(a), error), error);
  const fs::path right = fs::weakly_canonical(fs::absolute(fs::path(b), error), error);
  return !left.empty() && left == right;
}

bool write_file(const std::string& path, const std::function<void(std::ostream&)>& body, std::ostream& err) {
  errno = 0;
  std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
  if (!out) {
    const std::string reason = errno != 0 ? std::generic_category().message(errno) : "cannot be opened";
    report(err, Place{path}, Severity::error, "cannot write the file: " + reason);
    return false;
  }
  body(out);
  out.flush();
  const int write_errno = errno;
  out.close();
  if (out.fail()) {
    const std::string reason =
        write_errno != 0 ? std::generic_category().message(write_errno) : "a write failed";
    report(err, Place{path}, Severity::error, "cannot write the file: " + reason);
    std::error_code ignored;
    fs::remove(fs::path(path), ignored);
    return false;
  }
  return true;
}

}  // namespace morvit
