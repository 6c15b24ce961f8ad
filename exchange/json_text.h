#pragma once

#include <string>
#include <string_view>

namespace morvit {

// A JSON string of `text`: quotes, backslashes and control characters escaped, and '<', '>'
// and '&' too, so that the text can stand in a page's data block without ending or changing
// it ("</script", "<!--").
std::string json_string(std::string_view text);

}  // namespace morvit
