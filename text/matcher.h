// TMatcher: the small regular-expression matcher the HTML sources and the user's pattern rules cut
// their keys with. Set a pattern (Expression) and a text, search with Exec / ExecNext / ExecPos,
// and read the whole match and the groups through Match, MatchPos and MatchLen. Positions are
// 1-based UTF-16 code units; the searched text ends at its first U+0000.
//
// Supported: literal characters (and ASCII punctuation escaped with "\"), ".", "\d", groups 1 to
// 14, and "*", "+", "?" after a one-unit atom, each lazy when followed by "?" (or always, with
// ModifierG off). Anything else is a compile error (EMatcher, code below 1000, with its position).
// A search takes time linear in the input for patterns of the form literal(.*?)literal,
// (.*?)literal and literal(.*?\d.*?)literal, whatever the input.
//
// A line of a document in a single-byte code page may be searched as its bytes (ExecBytes), with
// the matches its units would give.
//
// Stages: matcher_parse (pattern -> program), matcher_program (nodes, Dump), matcher_search
// (backtracking). Tested by tests/text/matcher_test.cpp and tests/text/matcher_pcre_test.cpp.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "base/exception.h"
#include "text/matcher_program.h"
#include "text/matcher_search.h"

namespace brevak {

// Plain ints rather than an enum class: ErrorCode, LastError and Error carry a code as a number,
// and these name the numbers.
enum TMatcherErrorCode : int {
  // Compile errors; the message ends with " (pos N)".
  mecTooManyGroups = 101,
  mecMissingClose = 102,
  mecUnmatchedClose = 103,
  mecRepeatEmpty = 104,
  mecNestedRepeat = 105,
  mecRepeatNothing = 106,
  mecTrailingBackslash = 107,
  mecUnsupported = 108,
  // Calling-order errors.
  mecNotAssignedExpression = 1003,
  mecNoInputString = 1005,
  mecOffsetBelowOne = 1006,
  mecExecNextWithoutExec = 1007,
  mecUnknownModifier = 1010,
};

class EMatcher : public Exception {
public:
  EMatcher(const std::string& message, int errorCode, int compilerErrorPos)
      : Exception(message), ErrorCode(errorCode), CompilerErrorPos(compilerErrorPos) {}
  int ErrorCode;
  int CompilerErrorPos;  // 1-based position in the pattern for compile errors, else 0
};

// A pattern held in storage that never changes while the program runs (a constant, such as the
// sources' patterns): the matcher knows it again by its address and length, without comparing its
// units, when it is set before every search of a page's lines.
class TFixedPattern {
public:
  consteval explicit TFixedPattern(std::u16string_view units) : FUnits(units) {}
  constexpr std::u16string_view Units() const { return FUnits; }
  constexpr operator std::u16string_view() const { return FUnits; }  // NOLINT: used as a view

private:
  std::u16string_view FUnits;
};

class TMatcher {
public:
  static constexpr int kMaxSlot = matcher::kSlotCount - 1;

  // No pattern and no input; modifiers "rsg" on, "imx" off.
  TMatcher();
  virtual ~TMatcher();
  TMatcher(const TMatcher&) = delete;
  TMatcher& operator=(const TMatcher&) = delete;

  // The pattern. A text other than the current pattern is compiled at the next search, unless it
  // is the pattern before the current one, which kept its program: a caller alternating between
  // two patterns compiles each once. A text set while the current one has not compiled takes its
  // place. An empty pattern raises 1003 at the next search.
  const std::u16string& Expression() const { return FPatterns[FCurrent].Expression; }
  void SetExpression(std::u16string_view expression);
  // The same for a constant pattern: known again by its address, its units are not compared.
  void SetExpression(TFixedPattern expression);

  // The text searched: a private copy of text; unsets every slot.
  std::u16string_view InputString() const { return {FText, FInputSize}; }
  void SetInputString(std::u16string_view text);

  // A search of the caller's own text from position 1, without a private copy: text must stay
  // alive and unchanged while this search's match is read (Match, InputString) and while ExecNext
  // and ExecPos search on in it, that is until the next Exec or SetInputString. Unsets every slot.
  bool Exec(std::u16string_view text);
  // The same for a text its caller knows to hold no U+0000 (a line of a fetched document, whose
  // text ends at its first U+0000): the searches in it do not look for one. A U+0000 in such a
  // text is searched through as any other unit.
  bool ExecZeroFree(std::u16string_view text);
  // Searches of a line of a document in a single-byte code page, given as its bytes: units[b] is
  // the unit that byte b stands for (every byte one unit, so positions and lengths count bytes).
  // The table is copied; it holds for every later ExecBytes.
  void SetByteUnits(const std::array<char16_t, 256>& units);
  // Whether ExecBytes searches the bytes themselves with the current pattern and byte units
  // (compiling the pattern now if needed): a pair whose literals (and digit) the code page holds,
  // each unit at one byte only. Other patterns are searched in the decoded units of each line,
  // with the same matches.
  bool SearchesBytes();
  // The search of ExecZeroFree in a line given as its bytes (SetByteUnits first): the same matches
  // as ExecZeroFree on the line's units. text must stay alive and unchanged while its match is
  // read (MatchBytes) and ExecNext and ExecPos search on in it. Read the match with MatchBytes:
  // where the bytes themselves were searched (SearchesBytes), Match and MatchView give the empty
  // text.
  bool ExecBytes(std::string_view text);
  // A search from just after the last match (one further when it was empty). Raises 1007 when
  // there is no last match.
  bool ExecNext();
  // A search from the 1-based offset: below 1 raises 1006, more than one past the end gives false.
  bool ExecPos(int offset = 1);

  // Slot n of the last search: 0 the whole match, 1 .. 14 the groups. An unset slot or an n outside
  // 0 .. 14 gives the empty text and -1 for position and length.
  std::u16string Match(int n) const;
  // Slot n as a view into the searched text (the caller's, after Exec), without a copy: valid while
  // that text lives and unchanged, and until the next search or SetInputString. An unset slot
  // gives the empty view.
  std::u16string_view MatchView(int n) const;
  int MatchPos(int n) const;
  int MatchLen(int n) const;
  // Slot n of the last ExecBytes search as a view into its bytes; empty when unset, and after
  // any other search.
  std::string_view MatchBytes(int n) const;

  // Letters of the modifiers that are on, then "-" and those that are off, in the order "irsgmx":
  // "rsg-imx" after creation.
  std::string ModifierStr() const;
  // Letters switch modifiers on, letters after a "-" switch them off; others stay. An unknown
  // letter raises 1010 and changes nothing.
  void SetModifierStr(std::string_view modifiers);
  bool ModifierI() const { return FModifiers.I; }
  bool ModifierR() const { return FModifiers.R; }
  bool ModifierS() const { return FModifiers.S; }
  bool ModifierG() const { return FModifiers.G; }
  bool ModifierM() const { return FModifiers.M; }
  bool ModifierX() const { return FModifiers.X; }
  void SetModifierI(bool on) { SetModifier(FModifiers.I, on); }
  void SetModifierR(bool on) { SetModifier(FModifiers.R, on); }
  void SetModifierS(bool on) { SetModifier(FModifiers.S, on); }
  void SetModifierG(bool on) { SetModifier(FModifiers.G, on); }
  void SetModifierM(bool on) { SetModifier(FModifiers.M, on); }
  void SetModifierX(bool on) { SetModifier(FModifiers.X, on); }

  // Space, TAB, LF, CR, FF: white space skipped by ModifierX.
  static std::u16string_view SpaceChars() { return u" \t\n\r\f"; }
  // What "." does not match with ModifierS off.
  static std::u16string_view LineSeparators() { return u"\r\n\v\f\u2028\u2029\u0085"; }

  // The code of the last error raised, 0 when none was.
  int LastError() const { return FLastError; }
  // The program the current pattern compiles to (compiling it now if needed), e.g.
  //   lit"<br>" open1 any*? close1 lit"&nbsp" end | regstart=<
  std::string Dump();
  // Whether a search with the current pattern takes time linear in the input whatever the input
  // (compiling it now if needed, with its error as a search would raise it): a pair,
  // literal(.*?)literal, (.*?)literal or literal(.*?\d.*?)literal, or a pattern without "*", "+"
  // and "?" (escaped ones aside). Patterns that come from outside the program are held to this, so
  // that no page can make a search slow.
  bool SearchIsLinear();

  // The message for an error code, without the position.
  virtual std::string ErrorMsg(int errorCode) const;

protected:
  // Records the code and raises EMatcher; compile errors carry FCompilerErrorPos.
  virtual void Error(int errorCode);

private:
  // Whether the current pattern has a program for the current modifiers.
  bool Compiled() const;
  // SetExpression to a text that is neither the current pattern nor the one before it (or while
  // the current one has not compiled).
  void ChangeExpression(std::u16string_view expression);
  void SetModifier(bool& modifier, bool on);
  // The pattern before the current one becomes the current one again.
  void SwitchToOtherPattern();
  void ForgetReadyPrograms();
  void Compile();
  // Compiles if needed and sets FProgram.
  void SelectProgram();
  void ResetBacktracker();
  // Compiles if needed; raises 1005 when there is no text to search.
  void PrepareSearch();
  // ExecNext's search.
  bool SearchNext();
  // The search from a 0-based offset; the slots must be unset on entry. zeroAhead: see
  // NoZeroBefore.
  bool SearchFrom(size_t from, size_t zeroAhead = 0);
  // Sets the text searched (the caller's, or the private copy) and forgets the last search.
  void UseText(const char16_t* text, size_t size);
  // The search of the bytes FBytes from a 0-based offset, for a pair (FBytePair).
  bool SearchBytesFrom(size_t from);
  // The slots of a pair's match.
  void SetPairSlots(const matcher::TProgram& program, const matcher::TPairMatch& at);
  // Makes FBytePair the current program's pair in bytes, when the byte units hold it.
  void PrepareBytePair();
  // Whether the searched text holds no U+0000 before offset end (so that a match found up to end
  // in the whole text is a match of the searched text), learning on the way where it ends. When
  // more than a few vectors are to be looked at, zeroAhead units more are looked at too (a search
  // for every match of a long line then looks once per stretch, not once per match).
  bool NoZeroBefore(size_t end, size_t zeroAhead);
  static constexpr size_t kInlineZeroCheck = 64;  // HasZeroUnit's inline reach
  // What ExecNext looks at ahead for U+0000.
  static constexpr size_t kZeroAhead = 2048;
  // Looks for the first U+0000 from FZeroFree up to end (to FInputLength when end is npos).
  void FindLength(size_t end = std::u16string_view::npos);

  // The pattern and its program. Two are kept, the current one and the one before it, so that a
  // caller alternating between two patterns line by line does not parse each again at every
  // change.
  struct TPattern {
    std::u16string Expression;
    std::unique_ptr<const matcher::TProgram> Program;  // absent until compiled
    matcher::TModifiers ProgModifiers;                 // what Program was compiled with
    const matcher::TProgram* Ready = nullptr;  // Program, once known to be compiled for FModifiers
    // Where Expression's units came from when they were set from a TFixedPattern, else null:
    // units found there (of Expression's length) are Expression's.
    const char16_t* Fixed = nullptr;
    bool Holds(std::u16string_view fixed) const {
      return fixed.data() == Fixed && fixed.size() == Expression.size();
    }
  };
  TPattern FPatterns[2];
  int FCurrent = 0;
  matcher::TModifiers FModifiers;
  // The current pattern's program when it is known to be compiled for FModifiers; null when that
  // is to be checked again (after a change of pattern or modifiers).
  const matcher::TProgram* FProgram = nullptr;

  // The text searched, FInputSize units: the caller's (Exec) or FCopy (SetInputString).
  const char16_t* FText = nullptr;
  size_t FInputSize = 0;
  std::u16string FCopy;
  // The searched length: up to the first U+0000 (and INT_MAX - 1 at most, as positions are handed
  // out as int). A line is not scanned for U+0000 before its search: until FLengthKnown,
  // FInputLength is only a bound, and the units before FZeroFree are known to hold none. A match
  // of the text up to the bound is one of the searched text when it ends by the first U+0000, and
  // when it does not, no match does (every search form that takes the bound finds matches left
  // to right, each later one ending no earlier).
  size_t FInputLength = 0;
  size_t FZeroFree = 0;
  bool FLengthKnown = false;
  // What is searched: nothing yet, units (Exec, SetInputString), or the bytes FBytes of
  // ExecBytes, as they are or through their units in FCopy.
  enum class TSearched : uint8_t { Nothing, Units, Bytes, DecodedBytes };
  TSearched FSearched = TSearched::Nothing;

  // Searches in bytes: the unit of each byte, and the bytes of the last ExecBytes.
  std::array<char16_t, 256> FByteUnits{};
  bool FHasByteUnits = false;
  const char* FBytes = nullptr;
  // The current program's pair in bytes, when FBytePairUsable; made for FBytePairFor.
  matcher::TPair<char> FBytePair;
  const matcher::TProgram* FBytePairFor = nullptr;
  bool FBytePairUsable = false;

  matcher::TBacktracker FBacktracker;
  bool FBacktrackerReady = false;  // Reset for the current program and input
  matcher::TSlots FSlots;
  // How many slots from 0 on the last match may have set (its program's groups and slot 0); none
  // after a failed search, which leaves every slot unset, so that most lines need no clearing.
  size_t FSlotsSet = 0;
  void UnsetSlots();
  int FLastError = 0;
  int FCompilerErrorPos = 0;
};

}  // namespace brevak

// The inline definitions: a source calls them for every line of a page.
#include "text/matcher_impl.h"
