// What the processor can do. Used by the vector loops that have AVX2 steps.
#include "base/cpu.h"

namespace brevak::cpu_detail {

extern const bool kHasAvx2 = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
}();

}  // namespace brevak::cpu_detail
