// Finding a run of UTF-16 code units inside a text: the one search loop behind TextPos and the
// matcher's literal scans. Tested by tests/text/textops_test.cpp and tests/text/matcher_test.cpp.
#pragma once

#include <cstddef>
#include <string_view>

namespace brevak {

// Offset (0-based) of the first occurrence of needle in haystack, or npos. An empty needle is
// found at offset 0. Exact comparison, unit for unit.
size_t FindUnits(std::u16string_view haystack, std::u16string_view needle);

// Offset of the first unit equal to unit, or npos.
size_t FindUnit(std::u16string_view haystack, char16_t unit);

// Copies source to target (room for source.size() units) and returns the offset of the first
// unit equal to unit in it, or npos: one pass where a copy and a search would take two.
size_t CopyFindUnit(char16_t* target, std::u16string_view source, char16_t unit);

}  // namespace brevak
