// Depth-first backtracking over the node program. Tested by tests/text/matcher_test.cpp and
// tests/text/matcher_pcre_test.cpp.
//
// A repetition node is the only choice point. It takes its stopping places fewest first (lazy) or
// most first (greedy); on failure the match backtracks to the latest choice point and takes its
// next place. (Programs of the lazy-chain form, the sources' patterns among them, do not come here:
// ChainSearch runs them without backtracking.) Two things keep a search linear in the input on
// patterns of the forms literal(.*?)literal and literal(.*?\d.*?)literal:
//  - A stopping place q is only tried when the node that follows can match there (a literal that
//    occurs at q, a digit at q); the literal is found with a vector scan (TUnitFinder), not unit
//    by unit.
//  - When every place of a repetition failed, the rest of the program fails at all of them. That
//    does not depend on where the attempt started, so the places are remembered (TKnownFailure)
//    and skipped by every later visit of the node, in this search and in later searches of the same
//    input. A page line with a thousand opening literals and no closing one is then scanned once
//    for the closing literal, not a thousand times.
// Skipping a place that is known to fail, or at which the next node cannot match, changes no
// result: the search still returns the first success in the order of plain backtracking.
#include "text/matcher_search.h"

#include <algorithm>

#include "text/textfind.h"

namespace brevak::matcher {

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

}  // namespace

void TBacktracker::TKnownFailure::Add(size_t lo, size_t hi) {
  if (Lo <= Hi && lo <= Hi + 1 && Lo <= hi + 1) {
    Lo = std::min(Lo, lo);
    Hi = std::max(Hi, hi);
  } else {
    Lo = lo;
    Hi = hi;
  }
}

TBacktracker::TNodeMemo& TBacktracker::Memo(size_t node) {
  TNodeMemo& memo = FMemo[node];
  if (memo.Generation != FGeneration) memo = TNodeMemo{FGeneration, {}, {}};
  return memo;
}

const TBacktracker::TKnownFailure& TBacktracker::Failed(size_t node) const {
  static const TKnownFailure kNothingKnown;
  return FMemo[node].Generation == FGeneration ? FMemo[node].Failed : kNothingKnown;
}

bool TBacktracker::LiteralAt(const TNode& node, size_t pos) const {
  const std::u16string& units = node.Units;
  if (units.size() > FInput.size() - pos) return false;
  if (!node.FoldCase) return FInput.compare(pos, units.size(), units) == 0;
  for (size_t k = 0; k < units.size(); ++k)
    if (FoldCase(FInput[pos + k]) != units[k]) return false;
  return true;
}

// End of the run of units, from pos on, that the repetition's atom matches.
size_t TBacktracker::RunEnd(size_t node, size_t pos) {
  const TNode& repeat = FProgram->Nodes[node];
  if (repeat.Atom == TNodeKind::Any) return FInput.size();
  TRun& run = Memo(node).Run;
  if (pos >= run.From && pos <= run.End) return run.End;
  size_t end = pos;
  while (end < FInput.size() && AtomMatches(repeat.Atom, repeat, FInput[end])) ++end;
  run = TRun{pos, end};
  return end;
}

bool TBacktracker::FollowMayMatch(const TNode& repeat, size_t q) const {
  if (repeat.Follow < 0) return true;
  const TNode& follow = FProgram->Nodes[static_cast<size_t>(repeat.Follow)];
  if (follow.Kind == TNodeKind::Digit)
    return q < FInput.size() && FInput[q] >= u'0' && FInput[q] <= u'9';
  return LiteralAt(follow, q);
}

// The smallest stopping place in [from, high] that is not known to fail and where the following
// node may match; kNone when there is none.
size_t TBacktracker::FirstPlace(size_t node, size_t from, size_t high) const {
  const TNode& repeat = FProgram->Nodes[node];
  const TKnownFailure& failed = Failed(node);
  size_t q = from;
  while (q <= high) {
    if (failed.Holds(q)) {
      q = failed.Hi + 1;
      continue;
    }
    // Look no further than the start of the places known to fail.
    const size_t limit =
        failed.Lo <= failed.Hi && failed.Lo > q ? std::min(high, failed.Lo - 1) : high;
    if (repeat.Follow < 0) return q;
    const TNode& follow = FProgram->Nodes[static_cast<size_t>(repeat.Follow)];
    if (follow.Kind == TNodeKind::Digit) {
      for (; q <= limit && q < FInput.size(); ++q)
        if (FInput[q] >= u'0' && FInput[q] <= u'9') return q;
    } else {
      const std::u16string_view window = FInput.substr(q, limit - q + follow.Units.size());
      const size_t found = follow.Finder.Find(window);
      if (found != std::u16string_view::npos) return q + found;
    }
    q = limit + 1;
  }
  return kNone;
}

// The largest stopping place in [low, from] that is not known to fail and where the following node
// may match; kNone when there is none.
size_t TBacktracker::LastPlace(size_t node, size_t from, size_t low) const {
  const TNode& repeat = FProgram->Nodes[node];
  const TKnownFailure& failed = Failed(node);
  size_t q = from;
  for (;;) {
    if (failed.Holds(q)) {
      if (failed.Lo <= low) return kNone;
      q = failed.Lo - 1;
      continue;
    }
    if (FollowMayMatch(repeat, q)) return q;
    if (q == low) return kNone;
    --q;
  }
}

size_t TBacktracker::NextPlace(const TChoice& choice) const {
  if (FProgram->Nodes[choice.Node].Greedy)
    return choice.At == choice.Low ? kNone : LastPlace(choice.Node, choice.At - 1, choice.Low);
  return choice.At == choice.High ? kNone : FirstPlace(choice.Node, choice.At + 1, choice.High);
}

bool TBacktracker::Attempt(size_t start, TSlots& slots) {
  const std::vector<TNode>& nodes = FProgram->Nodes;
  FChoices.clear();  // slots come in unset
  FTrail.clear();
  size_t pos = start;
  size_t i = 0;
  for (;;) {
    const TNode& node = nodes[i];
    bool matched = true;
    switch (node.Kind) {
      case TNodeKind::Literal:
        matched = (i == FVerifiedNode && pos == FVerifiedAt) || LiteralAt(node, pos);
        if (matched) pos += node.Units.size();
        break;
      case TNodeKind::Any:
      case TNodeKind::AnyButSeparator:
      case TNodeKind::Digit:
        matched = pos < FInput.size() && AtomMatches(node.Kind, node, FInput[pos]);
        if (matched) ++pos;
        break;
      case TNodeKind::Open:
      case TNodeKind::Close: {
        int32_t& slot = node.Kind == TNodeKind::Open ? slots.Start[static_cast<size_t>(node.Group)]
                                                     : slots.End[static_cast<size_t>(node.Group)];
        if (!FChoices.empty()) FTrail.push_back(TSlotChange{&slot, slot});
        slot = static_cast<int32_t>(pos);
        break;
      }
      case TNodeKind::Repeat: {
        size_t most = RunEnd(i, pos) - pos;
        if (node.Max != kUnbounded) most = std::min(most, static_cast<size_t>(node.Max));
        if (most < static_cast<size_t>(node.Min)) {
          matched = false;
          break;
        }
        const size_t low = pos + static_cast<size_t>(node.Min);
        const size_t high = pos + most;
        const size_t q = node.Greedy ? LastPlace(i, high, low) : FirstPlace(i, low, high);
        if (q == kNone) {
          Memo(i).Failed.Add(low, high);
          matched = false;
          break;
        }
        FChoices.push_back(TChoice{i, low, high, q, FTrail.size()});
        NoteFollowingLiteralAt(node, q);
        pos = q;
        break;
      }
      case TNodeKind::End:
        slots.Start[0] = static_cast<int32_t>(start);
        slots.End[0] = static_cast<int32_t>(pos);
        return true;
    }
    if (matched) {
      ++i;
      continue;
    }
    // Backtrack to the latest repetition that has another place to take.
    for (;;) {
      if (FChoices.empty()) {
        slots.Clear();
        return false;
      }
      TChoice& choice = FChoices.back();
      const size_t q = NextPlace(choice);
      if (q != kNone) {
        choice.At = q;
        NoteFollowingLiteralAt(nodes[choice.Node], q);
        for (; FTrail.size() > choice.Trail; FTrail.pop_back())
          *FTrail.back().Slot = FTrail.back().Before;
        pos = q;
        i = choice.Node + 1;
        break;
      }
      Memo(choice.Node).Failed.Add(choice.Low, choice.High);
      FChoices.pop_back();
    }
  }
}

bool ChainSearch(const TProgram& program, std::u16string_view input, size_t from, TSlots& slots) {
  constexpr size_t kNotFound = std::u16string_view::npos;
  size_t start = from;
  size_t pos = from;
  for (const TChainStep* step = program.Chain.data();; ++step) {
    switch (step->Kind) {
      case TChainStep::TKind::Lead: {  // always the first step: no slot is set yet
        const size_t found = step->Finder.Find(input.substr(pos));
        if (found == kNotFound) return false;
        start = pos + found;
        pos = start;
        break;
      }
      case TChainStep::TKind::Find:
      case TChainStep::TKind::FindDigit: {
        size_t found = step->Kind == TChainStep::TKind::Find ? step->Finder.Find(input.substr(pos))
                                                             : FindFirstDigit(input.substr(pos));
        if (found != kNotFound) found += pos;
        if (found == kNotFound) {
          slots.Clear();
          return false;
        }
        pos = found;
        break;
      }
      case TChainStep::TKind::Open:
        slots.Start[step->Group] = static_cast<int32_t>(pos);
        break;
      case TChainStep::TKind::Close:
        slots.End[step->Group] = static_cast<int32_t>(pos);
        break;
      case TChainStep::TKind::End:
        slots.Start[0] = static_cast<int32_t>(start);
        slots.End[0] = static_cast<int32_t>(pos);
        return true;
    }
    pos += step->Length;
  }
}

bool TBacktracker::Search(size_t from, TSlots& slots) {
  const TProgram& program = *FProgram;
  if (from > FInput.size()) return false;
  if (!program.Regmust.empty() &&
      program.MustFinder.Find(FInput.substr(from)) == std::u16string_view::npos)
    return false;
  if (program.StartLiteral >= 0) {
    // A match can only start where the leading literal occurs.
    const TUnitFinder& lead = program.Nodes[static_cast<size_t>(program.StartLiteral)].Finder;
    for (size_t q = from;;) {
      const size_t found = lead.Find(FInput.substr(q));
      if (found == std::u16string_view::npos) return false;
      FVerifiedNode = static_cast<size_t>(program.StartLiteral);
      FVerifiedAt = q + found;
      if (Attempt(q + found, slots)) return true;
      q += found + 1;
    }
  }
  for (size_t q = from; q <= FInput.size(); ++q)
    if (Attempt(q, slots)) return true;
  return false;
}

}  // namespace brevak::matcher
