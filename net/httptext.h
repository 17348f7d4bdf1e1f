// Byte-string helpers of the HTTP client: ASCII upper- and lower-casing, trimming, the text before
// and after a delimiter, and strict number reading. Tested through tests/net/httpresponse_test.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brevak::http {

// ASCII letters only.
inline std::string Upper(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}
inline std::string Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

// Removes control characters and spaces at both ends.
inline std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

inline std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

// The text before / after the first delim; both are the whole text when delim does not occur.
inline std::string_view Before(std::string_view s, std::string_view delim) {
  std::size_t p = s.find(delim);
  return p == std::string_view::npos ? s : s.substr(0, p);
}
inline std::string_view After(std::string_view s, std::string_view delim) {
  std::size_t p = s.find(delim);
  return p == std::string_view::npos ? s : s.substr(p + delim.size());
}

inline bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// A decimal integer with an optional sign, nothing else; fallback when s is not one or does not
// fit.
inline int64_t ToInt64(std::string_view s, int64_t fallback) {
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  if (s.empty()) return fallback;
  uint64_t value = 0;
  const uint64_t limit = negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
  for (char c : s) {
    if (c < '0' || c > '9') return fallback;
    uint64_t digit = static_cast<uint64_t>(c - '0');
    if (value > (limit - digit) / 10) return fallback;
    value = value * 10 + digit;
  }
  return negative ? static_cast<int64_t>(0 - value) : static_cast<int64_t>(value);
}

inline int ToInt(std::string_view s, int fallback) {
  int64_t v = ToInt64(s, fallback);
  return v < INT32_MIN || v > INT32_MAX ? fallback : static_cast<int>(v);
}

}  // namespace brevak::http
