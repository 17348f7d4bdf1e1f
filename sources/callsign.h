// What a club's page holds where a callsign should be: the filter that keeps a changed layout's
// text out of the list. Tested by tests/sources/usersource_test.cpp.
#pragma once

#include <string>
#include <string_view>

namespace brevak {

// The callsign that text holds, or the empty text when it holds none: markup ("<...>" anywhere in
// it; a "<" that is never closed drops the rest) is removed, then blanks (space, tab, CR, LF,
// U+00A0) at either end; what is left must be 3 to 20 ASCII letters, digits and "/", with at least
// one letter and one digit ("UA1AAA", "R1ABC/P", "EW/UA1AAA"). The result is a view into text, or
// into buffer when markup had to be removed.
std::u16string_view CallsignIn(std::u16string_view text, std::u16string& buffer);
// The same for text in the ANSI code page, given as its bytes: the callsign that the decoded text
// holds, as bytes (ASCII, so the same in either form).
std::string_view CallsignIn(std::string_view text, std::string& buffer);

}  // namespace brevak
