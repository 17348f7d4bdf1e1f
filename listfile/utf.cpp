// UTF-8 and UTF-16 conversions. The UTF-8 decoder takes runs of ASCII eight bytes at a time; a
// document is mostly ASCII.
#include "listfile/utf.h"

#include <cstdint>
#include <cstring>

namespace brevak {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Reads one multi-byte sequence at p (p < end, *p >= 0x80). Returns its length and sets cp, or
// returns 0 when the sequence is invalid. The ranges of the second byte rule out overlong forms,
// surrogates and values above U+10FFFF.
std::size_t DecodeSequence(const unsigned char* p, const unsigned char* end, char32_t& cp) {
  unsigned char b0 = p[0];
  std::size_t len;
  unsigned char lo = 0x80, hi = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2;
    cp = b0 & 0x1Fu;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3;
    cp = b0 & 0x0Fu;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4;
    cp = b0 & 0x07u;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (static_cast<std::size_t>(end - p) < len) return 0;
  if (p[1] < lo || p[1] > hi) return 0;
  for (std::size_t i = 1; i < len; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (p[i] & 0x3Fu);
  }
  return len;
}

char16_t* PutCodePoint(char32_t cp, char16_t* out) {
  if (cp < 0x10000) {
    *out++ = static_cast<char16_t>(cp);
  } else {
    cp -= 0x10000;
    *out++ = static_cast<char16_t>(0xD800 + (cp >> 10));
    *out++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  }
  return out;
}

enum class TInvalid { Fail, Replace };

// The one decoding loop behind both entry points. Output never exceeds one unit per input byte:
// a 4-byte sequence gives two units, shorter ones one.
char16_t* Utf8DecodeLoop(std::string_view bytes, char16_t* out, TInvalid invalid) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const unsigned char* end = p + bytes.size();
  while (p != end) {
    if (end - p >= 8) {
      std::uint64_t chunk;
      std::memcpy(&chunk, p, 8);
      if ((chunk & 0x8080808080808080ull) == 0) {
        for (int i = 0; i < 8; ++i) out[i] = p[i];
        out += 8;
        p += 8;
        continue;
      }
    }
    if (*p < 0x80) {
      *out++ = *p++;
      continue;
    }
    char32_t cp = 0;
    std::size_t len = DecodeSequence(p, end, cp);
    if (len == 0) {
      if (invalid == TInvalid::Fail) return nullptr;
      *out++ = kReplacement;
      ++p;
      continue;
    }
    out = PutCodePoint(cp, out);
    p += len;
  }
  return out;
}

}  // namespace

char16_t* Utf8DecodeStrictTo(std::string_view bytes, char16_t* out) {
  return Utf8DecodeLoop(bytes, out, TInvalid::Fail);
}

std::u16string Utf8Decode(std::string_view bytes) {
  std::u16string text(bytes.size(), u'\0');
  text.resize(static_cast<std::size_t>(Utf8DecodeLoop(bytes, text.data(), TInvalid::Replace) -
                                       text.data()));
  return text;
}

char* Utf8EncodeTo(std::u16string_view text, char* out) {
  const char16_t* p = text.data();
  const char16_t* end = p + text.size();
  while (p != end) {
    char32_t cp = *p++;
    if (cp < 0x80) {
      *out++ = static_cast<char>(cp);
      continue;
    }
    if (IsHighSurrogate(static_cast<char16_t>(cp)) && p != end && IsLowSurrogate(*p)) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (*p++ - 0xDC00u);
    } else if (IsHighSurrogate(static_cast<char16_t>(cp)) ||
               IsLowSurrogate(static_cast<char16_t>(cp))) {
      cp = kReplacement;
    }
    if (cp < 0x800) {
      *out++ = static_cast<char>(0xC0 | (cp >> 6));
    } else if (cp < 0x10000) {
      *out++ = static_cast<char>(0xE0 | (cp >> 12));
      *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    } else {
      *out++ = static_cast<char>(0xF0 | (cp >> 18));
      *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    }
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

std::string Utf8Encode(std::u16string_view text) {
  std::string bytes(3 * text.size(), '\0');
  bytes.resize(static_cast<std::size_t>(Utf8EncodeTo(text, bytes.data()) - bytes.data()));
  return bytes;
}

char16_t* Utf16DecodeTo(std::string_view bytes, TByteOrder order, char16_t* out) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const unsigned char* end = p + (bytes.size() & ~std::size_t{1});
  int first = order == TByteOrder::LittleEndian ? 0 : 8;
  int second = 8 - first;
  for (; p != end; p += 2) *out++ = static_cast<char16_t>((p[0] << first) | (p[1] << second));
  return out;
}

char* Utf16EncodeTo(std::u16string_view text, TByteOrder order, char* out) {
  int first = order == TByteOrder::LittleEndian ? 0 : 8;
  int second = 8 - first;
  for (char16_t u : text) {
    *out++ = static_cast<char>((u >> first) & 0xFF);
    *out++ = static_cast<char>((u >> second) & 0xFF);
  }
  return out;
}

}  // namespace brevak
