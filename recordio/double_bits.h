#pragma once

#include <cstdint>
#include <cstring>

namespace morvit {

// The 64 bits of a double, as std::bit_cast<std::uint64_t> gives them. Copied with memcpy,
// which every C++ library offers (the libc++ of emscripten 3.1.6, which builds the
// WebAssembly program, has no std::bit_cast).
inline std::uint64_t double_bits(double value) noexcept {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

}  // namespace morvit
