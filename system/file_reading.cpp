#include "system/file_reading.h"

namespace morvit {

WholeRead read_to_end(platform::Handle file, std::string& text, std::size_t limit, int& error) {
  constexpr std::size_t block = 1 << 16;
  text.clear();
  error = 0;
  for (;;) {
    const std::size_t had = text.size();
    // One byte more than the limit tells a file of exactly `limit` bytes from a larger one.
    text.resize(had + (limit - had < block ? limit - had + 1 : block));
    const long got = platform::files().read(file, text.data() + had, text.size() - had, error);
    text.resize(had + (got > 0 ? static_cast<std::size_t>(got) : 0));
    if (got < 0) return WholeRead::failed;
    if (got == 0) return WholeRead::read;
    if (text.size() > limit) {
      text.resize(limit);
      return WholeRead::too_large;
    }
  }
}

}  // namespace morvit
