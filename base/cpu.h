// What the processor can do beyond the baseline the program is built for, and the marks around
// code built for more.
#pragma once

namespace brevak {

namespace cpu_detail {
extern const bool kHasAvx2;
}

// Whether the processor has AVX2. Settled once at start-up: code that runs before that (from
// another file's start-up code) sees false and takes its SSE2 steps, which give the same results.
inline bool HasAvx2() {
  return cpu_detail::kHasAvx2;  // inline: a search asks before every scan
}

}  // namespace brevak

// The functions between BREVAK_AVX2_BEGIN and BREVAK_AVX2_END are built for AVX2; call them only
// where HasAvx2(). Code a header defines for both, included between them, is built for AVX2 too.
#if defined(__clang__)
#define BREVAK_AVX2_BEGIN \
  _Pragma("clang attribute push(__attribute__((target(\"avx2\"))), apply_to = function)")
#define BREVAK_AVX2_END _Pragma("clang attribute pop")
#elif defined(__GNUC__)
#define BREVAK_AVX2_BEGIN _Pragma("GCC push_options") _Pragma("GCC target(\"avx2\")")
#define BREVAK_AVX2_END _Pragma("GCC pop_options")
#endif
