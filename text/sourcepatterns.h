// The nine patterns the source rules search their pages with, in one place, so that the rules, the
// matcher's tests and its benchmark always use the same text. Used by sources/*.cpp,
// tests/text/matcher_test.cpp, tests/text/matcher_pcre_test.cpp and bench/matcher_bench.cpp.
#pragma once

#include <string_view>

namespace brevak::patterns {

// 5 Ocean: a link that opens in a new window, and a styled link.
inline constexpr std::u16string_view kFiveOceanBlankLink = u"_blank\">(.*?)</a>";
inline constexpr std::u16string_view kFiveOceanStyledLink = u";\">(.*?)</a>";
// ARCK: a callsign between a line break and a non-breaking space.
inline constexpr std::u16string_view kARCKCall = u"<br>(.*?)&nbsp";
// KDR: the bold member number before a link, and the link's text.
inline constexpr std::u16string_view kKDRNumber = u"<b>(.*?)<a href=";
inline constexpr std::u16string_view kKDRLink = u"_blank\">(.*?)<a/>";
// RadioWave: a first-column cell up to its link's end.
inline constexpr std::u16string_view kRadioWaveCell = u"<td class=\"col1\"(.*?)</a>";
// RCPW: a centred cell holding a digit.
inline constexpr std::u16string_view kRCPWCell = u"<td align=center>(.*?\\d.*?)</td>";
// RRC: a link, and a piece of text ending in a line break.
inline constexpr std::u16string_view kRRCLink = u"<a href(.*?)</a>";
inline constexpr std::u16string_view kRRCPiece = u"(.*?)<br>";

}  // namespace brevak::patterns
