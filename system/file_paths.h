#pragma once

#include <string>

#include "system/platform.h"

namespace morvit {

// A name with every symbolic link on the way followed, as far as the links may be followed.
struct ResolvedPath {
  // Absolute, with "." and ".." resolved; the last link included even when it leads to
  // nothing yet. Two names that reach the same path reach the same file, whether it exists
  // or not. After 40 links (a loop), the path as far as it got.
  std::string path;
  // A link on the way that link protection refuses to follow (see link_protection_refuses),
  // as reached; `path` then ends with it. Empty when every link could be followed.
  std::string refused_link;
};
ResolvedPath resolve_links(const std::string& name);

// The path of resolve_links, links followed whether protection refuses them or not: for
// telling whether two names reach one file.
std::string final_path(const std::string& name);

// Link protection, as Linux applies it by default (fs.protected_symlinks): a symbolic link
// in a folder that is sticky and that every user may write (/tmp) is followed only by its
// owner, or when it belongs to the folder's owner. A link planted there by another user
// cannot lead a program to a file of the planter's choosing. Systems without owners refuse
// nothing.
bool link_protection_refuses(const platform::FileStatus& link, const platform::FileStatus& folder, std::int64_t runner);

// The name of a file without its directories.
std::string base_name(const std::string& path);

// The directories of a path without its last name ("/a/b" for "/a/b/c"); "." for a name
// without any.
std::string folder_of(const std::string& path);

}  // namespace morvit
