#pragma once

#include <stdexcept>
#include <string>

namespace morvit {

// A stop that ends the run at once: the report keeps what was written (no trailer), the
// diagnostic goes to standard error and the process ends with a failure status.
class FatalStop : public std::runtime_error {
 public:
  explicit FatalStop(const std::string& diagnostic) : std::runtime_error(diagnostic) {}
};

inline constexpr int fatal_stop_status = 2;

}  // namespace morvit
