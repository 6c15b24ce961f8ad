#include "system/file_paths.h"

#include <filesystem>
#include <vector>

namespace morvit {

namespace fs = std::filesystem;

namespace {

constexpr int most_links = 40;

// The names of a relative path, last one first, to be taken from the back.
void push_names(const fs::path& relative, std::vector<fs::path>& pending) {
  std::vector<fs::path> names;
  for (const fs::path& name : relative) {
    if (!name.empty()) names.push_back(name);
  }
  pending.insert(pending.end(), names.rbegin(), names.rend());
}

}  // namespace

bool link_protection_refuses(const platform::FileStatus& link, const platform::FileStatus& folder,
                             std::int64_t runner) {
  if (runner < 0 || link.owner < 0) return false;
  const bool open_to_all = (folder.mode & platform::sticky_bit) != 0 && (folder.mode & platform::others_write_bit) != 0;
  return open_to_all && link.owner != runner && link.owner != folder.owner;
}

ResolvedPath resolve_links(const std::string& name) {
  platform::FileSystem& system = platform::files();
  const fs::path given(name);
  const fs::path absolute = given.has_root_directory() ? given : fs::path(system.current_directory()) / given;
  std::vector<fs::path> pending;
  push_names(absolute.relative_path(), pending);
  // The part walked so far, free of links: ".." within it is its parent.
  fs::path walked = absolute.root_path();
  int links = 0;
  while (!pending.empty()) {
    const fs::path part = pending.back();
    pending.pop_back();
    if (part == ".") continue;
    if (part == "..") {
      walked = walked.parent_path();
      continue;
    }
    const fs::path here = walked / part;
    if (links < most_links) {
      const platform::FileStatus status = system.status(here.string(), /*follow_links=*/false);
      std::string target;
      int error = 0;
      if (status.kind == platform::PathKind::link && system.link_target(here.string(), target, error)) {
        ++links;
        if (link_protection_refuses(status, system.status(walked.string(), false), system.runner())) {
          return {here.lexically_normal().string(), here.string()};
        }
        const fs::path leads_to(target);
        if (leads_to.has_root_directory()) walked = leads_to.root_path();
        push_names(leads_to.relative_path(), pending);
        continue;
      }
    }
    walked = here;
  }
  return {walked.lexically_normal().string(), {}};
}

std::string final_path(const std::string& name) {
  // A refused link is a place like any other for telling names apart.
  return resolve_links(name).path;
}

std::string base_name(const std::string& path) { return fs::path(path).filename().string(); }

std::string folder_of(const std::string& path) {
  const fs::path folder = fs::path(path).parent_path();
  return folder.empty() ? std::string(".") : folder.string();
}

}  // namespace morvit
