// Pattern text to node program: a recursive-descent parser followed by the analysis that finds
// regstart, regmust and the skip hints. Tested by tests/text/matcher_test.cpp.
#pragma once

#include <string_view>

#include "text/matcher_program.h"

namespace brevak::matcher {

struct TCompileResult {
  TProgram Program;
  int ErrorCode = 0;  // 0 on success, else one of the compile codes (below 1000)
  int ErrorPos = 0;   // 1-based position in the pattern where parsing stopped
};

// Compiles expression for the given modifiers. Constructs outside the supported set (alternation,
// anchors, classes, counted repetition, repetition of a group, escapes other than \d and escaped
// punctuation) fail with the "unsupported" code and their position.
TCompileResult CompileProgram(std::u16string_view expression, const TModifiers& modifiers);

}  // namespace brevak::matcher
