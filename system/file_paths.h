#pragma once

#include <string>

namespace morvit {

// The path a name stands for once every symbolic link on the way is followed, the last one
// included even when it leads to nothing yet: absolute, with "." and ".." resolved. Two
// names that reach the same path reach the same file, whether it exists or not. After 40
// links (a loop) the path as far as it got.
std::string final_path(const std::string& name);

// The name of a file without its directories.
std::string base_name(const std::string& path);

}  // namespace morvit
