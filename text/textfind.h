// Finding a run of UTF-16 code units inside a text: the one search loop behind TextPos and the
// matcher's literal scans. Tested by tests/text/textops_test.cpp and tests/text/matcher_test.cpp.
#pragma once

#include <cstddef>
#include <string_view>

namespace brevak {

// Offset (0-based) of the first occurrence of needle in haystack, or npos. An empty needle is
// found at offset 0. Exact comparison, unit for unit.
size_t FindUnits(std::u16string_view haystack, std::u16string_view needle);

}  // namespace brevak
