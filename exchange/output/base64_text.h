#pragma once

#include <string>
#include <string_view>

namespace morvit {

// The bytes in base64 (RFC 4648, with '=' padding), as a page carries binary data in text.
std::string base64_text(std::string_view bytes);

}  // namespace morvit
