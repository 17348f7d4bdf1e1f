// The filter for outside text in messages. Tested by tests/base/showntext_test.cpp.
#include "base/showntext.h"

#include <cstdint>

namespace brevak {
namespace {

// The length of the valid UTF-8 sequence at the start of s and its code point, or 0 when s does
// not start with one (a stray continuation byte, an overlong form, a surrogate, past U+10FFFF or
// cut short).
std::size_t DecodeUtf8(std::string_view s, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[0]);
  std::size_t n = 0;
  char32_t min = 0;
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    n = 2, cp = b0 & 0x1Fu, min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    n = 3, cp = b0 & 0x0Fu, min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    n = 4, cp = b0 & 0x07u, min = 0x10000;
  } else {
    return 0;
  }
  if (s.size() < n) return 0;
  for (std::size_t i = 1; i < n; ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3Fu);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

bool IsBidiControl(char32_t cp) {
  return cp == 0x061C || cp == 0x200E || cp == 0x200F || (cp >= 0x202A && cp <= 0x202E) ||
         (cp >= 0x2066 && cp <= 0x2069);
}

void AppendEscape(std::string& out, const char* prefix, std::uint32_t value, int digits) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += prefix;
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kHex[(value >> shift) & 0xF];
}

}  // namespace

std::string ShownText(std::string_view text) {
  std::string out;
  std::size_t shown = 0;
  while (!text.empty()) {
    if (shown == kShownTextMax) {
      out += "...";
      break;
    }
    char32_t cp = 0;
    const std::size_t n = DecodeUtf8(text, cp);
    if (n == 0) {
      AppendEscape(out, "\\x", static_cast<unsigned char>(text[0]), 2);
      text.remove_prefix(1);
    } else {
      if (cp < 0x20 || cp == 0x7F)
        AppendEscape(out, "\\x", cp, 2);
      else if ((cp >= 0x80 && cp <= 0x9F) || IsBidiControl(cp))
        AppendEscape(out, "\\u", cp, 4);
      else
        out.append(text.substr(0, n));
      text.remove_prefix(n);
    }
    ++shown;
  }
  return out;
}

}  // namespace brevak
