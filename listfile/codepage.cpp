// Windows-1251 both ways. Decoding is one table lookup per byte; encoding one lookup per unit in a
// table of all 65536 units, built once.
#include "listfile/codepage.h"

#include <array>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "listfile/utf.h"

namespace brevak {

// clang-format off
const char16_t kAnsiToUnicode[256] = {
  0x0000, 0x0001, 0x0002, 0x0003, 0x0004, 0x0005, 0x0006, 0x0007,
  0x0008, 0x0009, 0x000A, 0x000B, 0x000C, 0x000D, 0x000E, 0x000F,
  0x0010, 0x0011, 0x0012, 0x0013, 0x0014, 0x0015, 0x0016, 0x0017,
  0x0018, 0x0019, 0x001A, 0x001B, 0x001C, 0x001D, 0x001E, 0x001F,
  0x0020, 0x0021, 0x0022, 0x0023, 0x0024, 0x0025, 0x0026, 0x0027,
  0x0028, 0x0029, 0x002A, 0x002B, 0x002C, 0x002D, 0x002E, 0x002F,
  0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
  0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,
  0x0040, 0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047,
  0x0048, 0x0049, 0x004A, 0x004B, 0x004C, 0x004D, 0x004E, 0x004F,
  0x0050, 0x0051, 0x0052, 0x0053, 0x0054, 0x0055, 0x0056, 0x0057,
  0x0058, 0x0059, 0x005A, 0x005B, 0x005C, 0x005D, 0x005E, 0x005F,
  0x0060, 0x0061, 0x0062, 0x0063, 0x0064, 0x0065, 0x0066, 0x0067,
  0x0068, 0x0069, 0x006A, 0x006B, 0x006C, 0x006D, 0x006E, 0x006F,
  0x0070, 0x0071, 0x0072, 0x0073, 0x0074, 0x0075, 0x0076, 0x0077,
  0x0078, 0x0079, 0x007A, 0x007B, 0x007C, 0x007D, 0x007E, 0x007F,
  // 0x80: Cyrillic letters of the other Slavic alphabets, quotes, dashes, the euro sign.
  0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
  0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
  // 0x98 has no character of its own and passes through as U+0098.
  0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
  0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
  0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
  0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
  // 0xB9 is the numero sign of the AGB and KDR entries.
  0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
  0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
  // 0xC0..0xFF: the Russian alphabet, U+0410..U+044F in order.
  0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
  0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
  0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
  0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
  0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
  0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
  0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
  0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};
// clang-format on

namespace {

using TUnicodeToAnsi = std::array<unsigned char, 0x10000>;

// Every unit maps to '?' except the 256 that the code page holds.
std::unique_ptr<TUnicodeToAnsi> BuildUnicodeToAnsi() {
  auto table = std::make_unique<TUnicodeToAnsi>();
  table->fill('?');
  for (unsigned b = 0; b < 256; ++b) (*table)[kAnsiToUnicode[b]] = static_cast<unsigned char>(b);
  return table;
}

const TUnicodeToAnsi& UnicodeToAnsi() {
  static const std::unique_ptr<TUnicodeToAnsi> table = BuildUnicodeToAnsi();
  return *table;
}

}  // namespace

unsigned char AnsiByteOf(char16_t u) { return UnicodeToAnsi()[u]; }

// The Russian alphabet sits at 0xC0..0xFF in the code page and at U+0410..U+044F in Unicode, a
// fixed distance apart; with ASCII it is nearly all of a Russian text. Runs of sixteen bytes (or
// eight units, sixteen when they are all ASCII) made only of those two ranges are converted by
// arithmetic, the rest by the tables.
constexpr int kRussianShift = 0x0410 - 0xC0;

char16_t* AnsiDecodeTo(std::string_view bytes, char16_t* out) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const unsigned char* end = p + bytes.size();
  for (; end - p >= 16; p += 16, out += 16) {
#if defined(__SSE2__)
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // Bytes 0x80..0xBF are the ones that need the table.
    __m128i tabled = _mm_cmpeq_epi8(_mm_and_si128(v, _mm_set1_epi8(static_cast<char>(0xC0))),
                                    _mm_set1_epi8(static_cast<char>(0x80)));
    if (_mm_movemask_epi8(tabled) == 0) {
      __m128i zero = _mm_setzero_si128();
      __m128i lo = _mm_unpacklo_epi8(v, zero);
      __m128i hi = _mm_unpackhi_epi8(v, zero);
      __m128i shift = _mm_set1_epi16(kRussianShift);
      __m128i top = _mm_set1_epi16(0x7F);
      lo = _mm_add_epi16(lo, _mm_and_si128(_mm_cmpgt_epi16(lo, top), shift));
      hi = _mm_add_epi16(hi, _mm_and_si128(_mm_cmpgt_epi16(hi, top), shift));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), lo);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), hi);
      continue;
    }
#endif
    for (int i = 0; i < 16; ++i) out[i] = kAnsiToUnicode[p[i]];
  }
  while (p != end) *out++ = kAnsiToUnicode[*p++];
  return out;
}

std::u16string AnsiDecode(std::string_view bytes) {
  std::u16string text(bytes.size(), u'\0');
  AnsiDecodeTo(bytes, text.data());
  return text;
}

namespace {

// Encodes the units from p to end to out, moving both on. With kExact it stops before the first
// unit that is not a character of the code page, which the encode would turn into "?".
template <bool kExact>
void EncodeUnits(const char16_t*& p, const char16_t* end, char*& out) {
  const TUnicodeToAnsi& table = UnicodeToAnsi();
  while (p != end) {
#if defined(__SSE2__)
    // Thirty-two units of ASCII, the bulk of most lists: no bit above the lowest seven is set.
    if (end - p >= 32) {
      __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8));
      __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
      __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 24));
      __m128i any = _mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d));
      __m128i high = _mm_and_si128(any, _mm_set1_epi16(static_cast<short>(0xFF80)));
      if (_mm_movemask_epi8(_mm_cmpeq_epi16(high, _mm_setzero_si128())) == 0xFFFF) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(a, b));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_packus_epi16(c, d));
        out += 32;
        p += 32;
        continue;
      }
    }
    if (end - p >= 16) {
      // The same for sixteen.
      __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8));
      __m128i high = _mm_and_si128(_mm_or_si128(a, b), _mm_set1_epi16(static_cast<short>(0xFF80)));
      if (_mm_movemask_epi8(_mm_cmpeq_epi16(high, _mm_setzero_si128())) == 0xFFFF) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(a, b));
        out += 16;
        p += 16;
        continue;
      }
    }
    if (end - p >= 8) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      // Lanes as signed 16-bit values: ASCII is 0..0x7F, the alphabet 0..0x3F after the shift.
      __m128i ascii = _mm_and_si128(_mm_cmpgt_epi16(v, _mm_set1_epi16(-1)),
                                    _mm_cmplt_epi16(v, _mm_set1_epi16(0x80)));
      __m128i shifted = _mm_sub_epi16(v, _mm_set1_epi16(0x0410));
      __m128i russian = _mm_and_si128(_mm_cmpgt_epi16(shifted, _mm_set1_epi16(-1)),
                                      _mm_cmplt_epi16(shifted, _mm_set1_epi16(0x40)));
      if (_mm_movemask_epi8(_mm_or_si128(ascii, russian)) == 0xFFFF) {
        __m128i bytes = _mm_sub_epi16(v, _mm_and_si128(russian, _mm_set1_epi16(kRussianShift)));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(bytes, bytes));
        out += 8;
        p += 8;
        continue;
      }
      // Without surrogates the table needs no check for pairs; a unit without a byte of its own
      // needs one at a time.
      __m128i surrogate = _mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xF800)));
      if (!kExact && _mm_movemask_epi8(_mm_cmpeq_epi16(
                         surrogate, _mm_set1_epi16(static_cast<short>(0xD800)))) == 0) {
        for (int i = 0; i < 8; ++i) out[i] = static_cast<char>(table[p[i]]);
        out += 8;
        p += 8;
        continue;
      }
    }
#endif
    char16_t u = *p;
    if constexpr (kExact) {
      unsigned char b = table[u];
      if (kAnsiToUnicode[b] != u) return;
      *out++ = static_cast<char>(b);
      ++p;
      continue;
    }
    ++p;
    // Surrogates are not in the table, so a pair yields one '?' for its high half; its low half
    // is skipped so that the character gives one byte.
    if (IsHighSurrogate(u) && p != end && IsLowSurrogate(*p)) ++p;
    *out++ = static_cast<char>(table[u]);
  }
}

}  // namespace

char* AnsiEncodeTo(std::u16string_view text, char* out) {
  const char16_t* p = text.data();
  EncodeUnits<false>(p, p + text.size(), out);
  return out;
}

std::size_t AnsiEncodeExactFrom(std::u16string_view text, std::size_t from, char* out) {
  const char16_t* const begin = text.data();
  const std::size_t n = text.size();
  for (; from < n && begin[from] < 0x80; ++from) out[from] = static_cast<char>(begin[from]);
  const char16_t* p = begin + from;
  out += from;
  EncodeUnits<true>(p, begin + n, out);
  return static_cast<std::size_t>(p - begin);
}

std::string AnsiEncode(std::u16string_view text) {
  std::string bytes(text.size(), '\0');
  bytes.resize(static_cast<std::size_t>(AnsiEncodeTo(text, bytes.data()) - bytes.data()));
  return bytes;
}

}  // namespace brevak
