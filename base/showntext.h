// The one filter for text from outside the program (a server's reason phrase or Location, a
// proxy's answer, a host or proxy value from a file or a variable, a file name) on its way into a
// message: a message box, stderr or a terminal. Tested by tests/base/showntext_test.cpp.
#pragma once

#include <string>
#include <string_view>

namespace brevak {

// The longest outside text a message shows, in characters; a longer one is cut and ends in "...".
inline constexpr std::size_t kShownTextMax = 200;

// text (UTF-8, or bytes that are not) as plain, visible UTF-8 that cannot steer what shows it.
// Control characters become escapes: C0 and DEL as \xHH, C1 (U+0080 to U+009F) and the bidi
// controls (U+061C, U+200E, U+200F, U+202A to U+202E, U+2066 to U+2069) as \uHHHH, and each byte
// that is not part of valid UTF-8 as \xHH. The text is cut after kShownTextMax characters (an
// escape counts as the one character it stands for) and then ends in "...".
std::string ShownText(std::string_view text);

}  // namespace brevak
