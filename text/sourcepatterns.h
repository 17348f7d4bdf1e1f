// The nine patterns the source rules search their pages with, in one place, so that the rules, the
// matcher's tests and its benchmark always use the same text. Constants: a matcher recognises them
// by their address when a rule sets one before every line. Used by sources/*.cpp,
// tests/text/matcher_test.cpp, tests/text/matcher_pcre_test.cpp and bench/matcher_bench.cpp.
#pragma once

#include "text/matcher.h"

namespace brevak::patterns {

// 5 Ocean: a link that opens in a new window, and a styled link.
inline constexpr TFixedPattern kFiveOceanBlankLink{u"_blank\">(.*?)</a>"};
inline constexpr TFixedPattern kFiveOceanStyledLink{u";\">(.*?)</a>"};
// ARCK: a callsign between a line break and a non-breaking space.
inline constexpr TFixedPattern kARCKCall{u"<br>(.*?)&nbsp"};
// KDR: the bold member number before a link, and the link's text.
inline constexpr TFixedPattern kKDRNumber{u"<b>(.*?)<a href="};
inline constexpr TFixedPattern kKDRLink{u"_blank\">(.*?)<a/>"};
// RadioWave: a first-column cell up to its link's end.
inline constexpr TFixedPattern kRadioWaveCell{u"<td class=\"col1\"(.*?)</a>"};
// RCPW: a centred cell holding a digit.
inline constexpr TFixedPattern kRCPWCell{u"<td align=center>(.*?\\d.*?)</td>"};
// RRC: a link, and a piece of text ending in a line break.
inline constexpr TFixedPattern kRRCLink{u"<a href(.*?)</a>"};
inline constexpr TFixedPattern kRRCPiece{u"(.*?)<br>"};

}  // namespace brevak::patterns
