// The compiled program's helpers and its dump. Tested by tests/text/matcher_test.cpp.
#include "text/matcher_program.h"

#include <cstdio>

namespace brevak::matcher {

bool IsLineSeparator(char16_t c) {
  return c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\u2028' || c == u'\u2029' ||
         c == u'\u0085';
}

char16_t FoldCase(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 0x20);
  if (c < 0xC0) return c;
  if (c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 0x20);      // Latin-1 capitals
  if (c >= 0x0410 && c <= 0x042F) return static_cast<char16_t>(c + 0x20);  // А .. Я
  if (c >= 0x0400 && c <= 0x040F) return static_cast<char16_t>(c + 0x50);  // Ѐ .. Џ, Ё among them
  return c;
}

bool AtomMatches(TNodeKind atom, const TNode& node, char16_t c) {
  switch (atom) {
    case TNodeKind::Literal:
      return (node.FoldCase ? FoldCase(c) : c) == node.Units[0];
    case TNodeKind::Any:
      return true;
    case TNodeKind::AnyButSeparator:
      return !IsLineSeparator(c);
    case TNodeKind::Digit:
      return c >= u'0' && c <= u'9';
    default:
      return false;
  }
}

namespace {

void AppendUnits(std::string& out, std::u16string_view units) {
  for (const char16_t c : units) {
    if (c >= 0x20 && c < 0x7F && c != u'\\') {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
      out += buf;
    }
  }
}

void AppendAtom(std::string& out, TNodeKind atom, const TNode& node) {
  switch (atom) {
    case TNodeKind::Literal:
      out += node.FoldCase ? "ilit\"" : "lit\"";
      AppendUnits(out, node.Units);
      out += '"';
      break;
    case TNodeKind::Any:
      out += "any";
      break;
    case TNodeKind::AnyButSeparator:
      out += "anybutsep";
      break;
    case TNodeKind::Digit:
      out += "digit";
      break;
    default:
      break;
  }
}

void AppendRepeat(std::string& out, const TNode& node) {
  AppendAtom(out, node.Atom, node);
  if (node.Min == 0 && node.Max == kUnbounded) {
    out += '*';
  } else if (node.Min == 1 && node.Max == kUnbounded) {
    out += '+';
  } else if (node.Min == 0 && node.Max == 1) {
    out += '?';
  } else {
    out += '{' + std::to_string(node.Min) + ',' +
           (node.Max == kUnbounded ? std::string() : std::to_string(node.Max)) + '}';
  }
  if (!node.Greedy) out += '?';
}

}  // namespace

std::string TProgram::Dump() const {
  std::string out;
  for (const TNode& node : Nodes) {
    if (!out.empty()) out += ' ';
    switch (node.Kind) {
      case TNodeKind::Open:
        out += "open" + std::to_string(node.Group);
        break;
      case TNodeKind::Close:
        out += "close" + std::to_string(node.Group);
        break;
      case TNodeKind::Repeat:
        AppendRepeat(out, node);
        break;
      case TNodeKind::End:
        out += "end";
        break;
      default:
        AppendAtom(out, node.Kind, node);
        break;
    }
  }
  if (HasRegstart || !Regmust.empty()) out += " |";
  if (HasRegstart) {
    out += " regstart=";
    AppendUnits(out, std::u16string_view(&Regstart, 1));
  }
  if (!Regmust.empty()) {
    out += " regmust=\"";
    AppendUnits(out, Regmust);
    out += '"';
  }
  return out;
}

}  // namespace brevak::matcher
