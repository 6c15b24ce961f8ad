#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace morvit {

// Names as a message lists them, separated by commas: at most `most` of them and no more
// than fit in a screenful (about 1,000 bytes), each cut after 60 bytes with "..." (never
// within a character); "and 999,990 more" counts the rest.
std::string listed_names(const std::vector<std::string_view>& names,
                         std::size_t most = std::numeric_limits<std::size_t>::max());

}  // namespace morvit
