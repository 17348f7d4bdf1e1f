// Running a node program over an input: depth-first backtracking with an explicit stack of choice
// points, and what it learns on the way about where the rest of a match cannot succeed.
// Tested by tests/text/matcher_test.cpp and tests/text/matcher_pcre_test.cpp.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "text/matcher_program.h"

namespace brevak::matcher {

inline constexpr int kSlotCount = 15;  // slot 0: the whole match; 1 .. 14: the groups

// Start and end offsets (0-based) of every slot; -1 when unset.
struct TSlots {
  std::array<int32_t, kSlotCount> Start, End;
  TSlots() { Clear(); }
  void Clear() {
    Start.fill(-1);
    End.fill(-1);
  }
};

// The search of a TProgram::LazyChain program, with the results of TBacktracker::Search, in one
// scan per literal and no backtracking. Each lazy star stops at the first place where its Follow
// node matches: what comes after a star starts with a star or is the end, so it succeeds from a
// place whenever it succeeds from a later one, and a later stopping place can never rescue a match
// the first one lost. For the same reason a failed attempt means that every later start fails too.
bool ChainSearch(const TProgram& program, std::u16string_view input, size_t from, TSlots& slots);

// Offset of the first unit "0" .. "9" in text (of units or of bytes), or npos. The digit a pattern
// looks for after an opening literal is most often a callsign's second or third unit: a few places
// are looked at one by one before a vector scan.
template <typename TView>
inline size_t FindFirstDigit(TView text) {
  constexpr size_t kNear = 4;
  const size_t near = std::min(text.size(), kNear);
  for (size_t k = 0; k < near; ++k)
    if (text[k] >= '0' && text[k] <= '9') return k;
  if (near < kNear) return TView::npos;
  const size_t found = FindDigit(text.substr(kNear));
  return found == TView::npos ? found : found + kNear;
}

// Where a match of a pair lies: its start, its group's start and end, its end.
struct TPairMatch {
  size_t Start, Open, Close, End;
};

// The first match of a pair in text[from, length), in units or in bytes: the first opening
// literal, then the first closing literal after it; without a lead, the first closing literal;
// with a digit, the first opening literal, the first digit after it, the first closing literal
// after that. Each lazy star stops at the first place its next piece matches, and nothing after
// the closing literal can fail, so the first places found are the match's.
// text and length are the searcher's own fields, taken by reference: read again after a scan
// rather than held in registers across it, which leaves those to the scan.
template <typename TUnit>
[[gnu::always_inline]] inline bool FindPairMatch(const TPair<TUnit>& pair, const TUnit* const& text,
                                                 size_t from, const size_t& length,
                                                 TPairMatch& match) {
  constexpr size_t kNotFound = std::basic_string_view<TUnit>::npos;
  size_t start = from, open = from;
  if (pair.Lead) {
    start = pair.Opening.FindFrom(text, from, length);
    if (start == kNotFound) return false;
    open = start + pair.OpeningLength;
  }
  size_t after = open;  // where the closing literal is looked for
  if (pair.Digit) {
    const size_t digit = FindFirstDigit(std::basic_string_view<TUnit>(text + open, length - open));
    if (digit == kNotFound) return false;
    after = open + digit + 1;
  }
  const size_t close = pair.Closing.template FindFrom<true>(text, after, length);
  if (close == kNotFound) return false;
  match = TPairMatch{start, open, close, close + pair.ClosingLength};
  return true;
}

class TBacktracker {
public:
  // Prepares a search of program over input and forgets what earlier searches learned. Both must
  // stay unchanged and alive until the next Reset.
  void Reset(const TProgram& program, std::u16string_view input) {
    FProgram = &program;
    FInput = input;
    if (FMemo.size() < program.Nodes.size()) FMemo.resize(program.Nodes.size());
    ++FGeneration;
    FVerifiedNode = kNoNode;
  }

  // Leftmost match that starts at offset from (0 .. input length) or later; on success fills slots.
  // The slots must be unset on entry and stay unset when there is no match.
  bool Search(size_t from, TSlots& slots);

private:
  // Stopping places after a repetition node where the rest of the program is known to fail. The
  // rest depends only on the place it starts from (no back-references, no anchors on the start),
  // so what one attempt learns holds for every later attempt and every later search of the input.
  struct TKnownFailure {
    size_t Lo = 1, Hi = 0;  // empty when Lo > Hi
    bool Holds(size_t q) const { return q >= Lo && q <= Hi; }
    void Add(size_t lo, size_t hi);
  };
  // The last run of units a repetition's atom was found to match: every unit in [From, End) matches
  // and the one at End does not (or End is the input's end). A visit inside it needs no scan.
  struct TRun {
    size_t From = 1, End = 0;
  };
  struct TChoice {
    size_t Node;
    size_t Low, High;  // the stopping places the repetition may take
    size_t At;         // the one being tried
    size_t Trail;      // FTrail's size when the repetition was reached
  };
  // A slot written by a group mark and the value it had before, so that backtracking can put the
  // slots back as they were at a choice point.
  struct TSlotChange {
    int32_t* Slot;
    int32_t Before;
  };

  bool Attempt(size_t start, TSlots& slots);
  bool LiteralAt(const TNode& node, size_t pos) const;
  size_t RunEnd(size_t node, size_t pos);
  bool FollowMayMatch(const TNode& repeat, size_t q) const;
  size_t FirstPlace(size_t node, size_t from, size_t high) const;  // lazy order
  size_t LastPlace(size_t node, size_t from, size_t low) const;    // greedy order
  size_t NextPlace(const TChoice& choice) const;

  const TProgram* FProgram = nullptr;
  std::u16string_view FInput;
  // What was learned per node, valid while its Generation is the current one: a new search input
  // starts a new generation instead of clearing every entry.
  struct TNodeMemo {
    uint64_t Generation = 0;
    TKnownFailure Failed;
    TRun Run;
  };
  TNodeMemo& Memo(size_t node);
  const TKnownFailure& Failed(size_t node) const;

  std::vector<TNodeMemo> FMemo;
  uint64_t FGeneration = 0;
  std::vector<TChoice> FChoices;
  std::vector<TSlotChange> FTrail;
  // A literal node already seen to match at a place (found there by a scan ahead), so that the
  // match does not compare it again when it gets there.
  static constexpr size_t kNoNode = static_cast<size_t>(-1);
  size_t FVerifiedNode = kNoNode;
  size_t FVerifiedAt = 0;
  // A scan ahead found the literal that follows repeat at q: the match need not compare it there.
  void NoteFollowingLiteralAt(const TNode& repeat, size_t q) {
    if (repeat.Follow >= 0 &&
        FProgram->Nodes[static_cast<size_t>(repeat.Follow)].Kind == TNodeKind::Literal) {
      FVerifiedNode = static_cast<size_t>(repeat.Follow);
      FVerifiedAt = q;
    }
  }
};

}  // namespace brevak::matcher
