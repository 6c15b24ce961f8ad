#include "system/file_paths.h"

#include <filesystem>
#include <system_error>

namespace morvit {

namespace fs = std::filesystem;

std::string final_path(const std::string& name) {
  constexpr int most_links = 40;
  std::error_code error;
  fs::path path = fs::absolute(fs::path(name), error);
  if (error) path = fs::path(name);
  for (int link = 0; link <= most_links; ++link) {
    // The directories on the way, their links followed; the last part is looked at alone,
    // so that a link that leads nowhere is followed too.
    fs::path directory = fs::weakly_canonical(path.parent_path(), error);
    if (error) directory = path.parent_path().lexically_normal();
    fs::path here = directory / path.filename();
    if (link == most_links || !fs::is_symlink(fs::symlink_status(here, error))) return here.lexically_normal().string();
    const fs::path target = fs::read_symlink(here, error);
    if (error) return here.lexically_normal().string();
    path = target.is_absolute() ? target : directory / target;
  }
  return path.lexically_normal().string();
}

std::string base_name(const std::string& path) { return fs::path(path).filename().string(); }

}  // namespace morvit
