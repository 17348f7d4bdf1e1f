// What the processor can do. Used by the vector loops that have AVX2 steps.
#include "base/cpu.h"

namespace brevak {
namespace {

const bool kHasAvx2 = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
}();

}  // namespace

bool HasAvx2() { return kHasAvx2; }

}  // namespace brevak
