#pragma once

// The vectors of the passes over the cases that are compiled twice: for two lanes a vector
// (SSE2 on x86-64, NEON on arm64, whatever the compiler makes of them elsewhere) and, on
// x86-64, also for four (AVX2), chosen at run time. Both variants perform the same IEEE
// operations in the same order on every lane, without fused multiply-adds, so they give the
// same bits; the choice exists for speed, and so that the tests can hold each variant to the
// plain computation.
//
// Vectors move through memcpy (load, store), and no function takes or returns one by value:
// the variants do not share a calling convention.

#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define MORVIT_FOUR_LANES 1
#else
#define MORVIT_FOUR_LANES 0
#endif

namespace morvit {

// Which compiled variant of a pass runs.
enum class VectorCode {
  best_supported,  // four lanes where an x86-64 processor has AVX2, else two
  two_lanes,       // two lanes everywhere
};

struct TwoLanes {
  static constexpr int width = 2;
  using Vec = double __attribute__((vector_size(16)));
  using Mask = std::int64_t __attribute__((vector_size(16)));
  using Floats = float __attribute__((vector_size(8)));
};

struct FourLanes {
  static constexpr int width = 4;
  using Vec = double __attribute__((vector_size(32)));
  using Mask = std::int64_t __attribute__((vector_size(32)));
  using Floats = float __attribute__((vector_size(16)));
};

template <class V, class T>
[[gnu::always_inline]] inline void load(V& v, const T* from) {
  std::memcpy(&v, from, sizeof v);
}

template <class V, class T>
[[gnu::always_inline]] inline void store(T* to, const V& v) {
  std::memcpy(to, &v, sizeof v);
}

// True when the four-lane variant is to run: asked for, compiled in, and the processor has it.
inline bool four_lanes_run(VectorCode code) {
#if MORVIT_FOUR_LANES
  return code == VectorCode::best_supported && __builtin_cpu_supports("avx2");
#else
  (void)code;
  return false;
#endif
}

// Runs a pass over the cases with the lanes that four_lanes_run chooses:
// pass.template operator()<Lanes>(), e.g. with the lambda [&]<class Lanes>() ALWAYS_INLINE {...}.
// The four-lane call is compiled for AVX2; the pass's body must be inlined into it (mark the
// lambda and what it calls always_inline) for the AVX2 instructions to be used.
template <class Pass>
void with_two_lanes(Pass& pass) {
  pass.template operator()<TwoLanes>();
}

#if MORVIT_FOUR_LANES
template <class Pass>
__attribute__((target("avx2"))) void with_four_lanes(Pass& pass) {
  pass.template operator()<FourLanes>();
}
#endif

template <class Pass>
void with_lanes(VectorCode code, Pass&& pass) {
#if MORVIT_FOUR_LANES
  if (four_lanes_run(code)) return with_four_lanes(pass);
#else
  (void)code;  // only two lanes on this processor family
#endif
  with_two_lanes(pass);
}

// What the processor running this program gets from with_lanes(best_supported), in words.
inline const char* best_lanes_name() {
  return four_lanes_run(VectorCode::best_supported) ? "AVX2" : "two-lane vectors";
}

}  // namespace morvit
