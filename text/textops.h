// The string operations every line rule is written in: find, copy, delete, trim, cut before a
// delimiter, compare, and read the next space-delimited word. Positions are 1-based and counted in
// UTF-16 code units; 0 means "not found". None of them fails: every out-of-range index, count or
// position is absorbed at the edges described below. Tested by tests/text/textops_test.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brevak {

template <typename TUnit>
class TFinder;
using TUnitFinder = TFinder<char16_t>;

// Position of the first occurrence of piece in text, or 0. An empty piece or an empty text gives 0;
// the comparison is exact, unit for unit.
int32_t TextPos(std::u16string_view piece, std::u16string_view text);
// The same for a piece prepared once (TUnitFinder), for a piece looked for again and again.
int32_t TextPos(const TUnitFinder& piece, std::u16string_view text);

// The count units of text from position index. An index below 1 starts at the first unit (and does
// not shorten the count); an index past the end or a count of 0 or less gives the empty text; a
// count that runs past the end gives the rest.
std::u16string TextCopy(std::u16string_view text, int32_t index, int32_t count);
// The same part of text as TextCopy, as a view into text (no copy).
std::u16string_view TextCopyView(std::u16string_view text, int32_t index, int32_t count);

// Removes count units from position index. An index below 1 or past the end, or a count of 0 or
// less, leaves the text unchanged; a count that runs past the end removes the rest.
void TextDelete(std::u16string& text, int32_t index, int32_t count);
// TextDelete(text, 1, count) on a view: drops its first count units (all when count runs past the
// end, none when count is 0 or less).
void TextDeleteFirst(std::u16string_view& text, int32_t count);

// The text without the units of value U+0020 or lower (space and every control code) at either
// end. U+00A0 and other Unicode spaces stay.
std::u16string TextTrim(std::u16string_view text);
// The same part of text as TextTrim, as a view into text (no copy).
std::u16string_view TextTrimView(std::u16string_view text);

// The units before the first occurrence of delimiter: empty when the delimiter does not occur, and
// when the text begins with it.
std::u16string TextBefore(std::u16string_view text, std::u16string_view delimiter);
// The same part of text as TextBefore, as a view into text (no copy).
std::u16string_view TextBeforeView(std::u16string_view text, std::u16string_view delimiter);
std::u16string_view TextBeforeView(std::u16string_view text, const TUnitFinder& delimiter);

// Same length and the same unit at every position; case-sensitive.
bool TextEquals(std::u16string_view a, std::u16string_view b);

// Reads the next word of line, words being separated by U+0020 only (a tab belongs to the word).
// The caller sets position to 1 before the first call on a line and passes it to each further call.
// On return position stands on the space after the word, or at length(line) + 1 at the end of the
// line. An empty line, or a position outside 1 .. length(line) + 1, gives the empty word and leaves
// position unchanged.
void ReadWord(std::u16string_view line, int32_t& position, std::u16string& word);
// The same with the word as a view into line (no copy).
void ReadWord(std::u16string_view line, int32_t& position, std::u16string_view& word);

}  // namespace brevak
