// String operations over 1-based positions. Tested by tests/text/textops_test.cpp.
#include "text/textops.h"

#include <algorithm>

#include "text/textfind.h"

namespace brevak {

namespace {

// Lengths and positions are worked out in 64 bits so that no index or count near the int32_t
// limits can overflow.
int64_t Length(std::u16string_view text) { return static_cast<int64_t>(text.size()); }

bool IsTrimmed(char16_t unit) { return unit <= u' '; }

// TextPos with the search given: find(text) is the 0-based offset of piece in text, or npos.
template <typename TFind>
int32_t PosOf(std::u16string_view piece, std::u16string_view text, const TFind& find) {
  if (piece.empty() || text.empty() || piece.size() > text.size()) return 0;
  const size_t found = find(text);
  if (found == std::u16string_view::npos || found >= static_cast<size_t>(INT32_MAX)) return 0;
  return static_cast<int32_t>(found + 1);
}

}  // namespace

int32_t TextPos(std::u16string_view piece, std::u16string_view text) {
  return PosOf(piece, text, [piece](std::u16string_view t) { return FindUnits(t, piece); });
}

int32_t TextPos(const TUnitFinder& piece, std::u16string_view text) {
  return PosOf(piece.Needle(), text, [&piece](std::u16string_view t) { return piece.Find(t); });
}

std::u16string_view TextCopyView(std::u16string_view text, int32_t index, int32_t count) {
  const int64_t length = Length(text);
  const int64_t start = index < 1 ? 0 : std::min<int64_t>(int64_t{index} - 1, length);
  const int64_t n = count < 0 ? 0 : std::min<int64_t>(count, length - start);
  return text.substr(static_cast<size_t>(start), static_cast<size_t>(n));
}

std::u16string TextCopy(std::u16string_view text, int32_t index, int32_t count) {
  return std::u16string(TextCopyView(text, index, count));
}

void TextDelete(std::u16string& text, int32_t index, int32_t count) {
  const int64_t length = static_cast<int64_t>(text.size());
  if (index < 1 || index > length || count <= 0) return;
  const int64_t n = std::min<int64_t>(count, length - index + 1);
  text.erase(static_cast<size_t>(index - 1), static_cast<size_t>(n));
}

void TextDeleteFirst(std::u16string_view& text, int32_t count) {
  if (count > 0) text.remove_prefix(std::min<size_t>(static_cast<size_t>(count), text.size()));
}

std::u16string_view TextTrimView(std::u16string_view text) {
  size_t first = 0;
  while (first < text.size() && IsTrimmed(text[first])) ++first;
  if (first == text.size()) return {};
  size_t last = text.size();
  while (IsTrimmed(text[last - 1])) --last;
  return text.substr(first, last - first);
}

std::u16string TextTrim(std::u16string_view text) { return std::u16string(TextTrimView(text)); }

std::u16string_view TextBeforeView(std::u16string_view text, std::u16string_view delimiter) {
  return TextCopyView(text, 1, TextPos(delimiter, text) - 1);
}

std::u16string_view TextBeforeView(std::u16string_view text, const TUnitFinder& delimiter) {
  return TextCopyView(text, 1, TextPos(delimiter, text) - 1);
}

std::u16string TextBefore(std::u16string_view text, std::u16string_view delimiter) {
  return std::u16string(TextBeforeView(text, delimiter));
}

bool TextEquals(std::u16string_view a, std::u16string_view b) { return a == b; }

void ReadWord(std::u16string_view line, int32_t& position, std::u16string& word) {
  std::u16string_view view;
  ReadWord(line, position, view);
  word.assign(view);
}

void ReadWord(std::u16string_view line, int32_t& position, std::u16string_view& word) {
  word = {};
  if (line.empty()) return;
  // A position can only be carried up to INT32_MAX, so a line longer than that is read as if it
  // ended one unit before.
  const int64_t length = std::min<int64_t>(Length(line), INT32_MAX - 1);
  int64_t pos = position;
  if (pos < 1 || pos > length + 1) return;
  while (pos <= length && line[static_cast<size_t>(pos - 1)] == u' ') ++pos;
  const int64_t start = pos;
  while (pos <= length && line[static_cast<size_t>(pos - 1)] != u' ') ++pos;
  word = line.substr(static_cast<size_t>(start - 1), static_cast<size_t>(pos - start));
  position = static_cast<int32_t>(pos);
}

}  // namespace brevak
