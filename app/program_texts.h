#pragma once

#include <string>

namespace morvit {

// The short usage lines that follow a usage error.
std::string usage_text();

// The --help text: usage, options, exit statuses and where the documentation is.
std::string help_text();

// The --version text: name, version, licence and how this program was built.
std::string version_text();

}  // namespace morvit
