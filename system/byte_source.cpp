#include "system/byte_source.h"

#include <algorithm>
#include <cstring>

namespace morvit {

long TextSource::read(char* dest, std::size_t size) {
  const std::size_t n = std::min({size, piece_, text_.size() - position_});
  std::memcpy(dest, text_.data() + position_, n);
  position_ += n;
  return static_cast<long>(n);
}

}  // namespace morvit
