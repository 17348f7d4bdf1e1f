// Reading one HTTP response: status line, header block, body framing.
// Tested by tests/net/httpresponse_test.cpp and tests/net/httpsend_test.cpp.
#include "net/httpresponse.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "base/hexdigit.h"
#include "base/showntext.h"
#include "net/blocksocket.h"
#include "net/httptext.h"

namespace brevak {

using http::After;
using http::Before;
using http::StartsWith;
using http::Trim;
using http::Upper;

namespace {

const char kBodyTooLarge[] = "response body too large";
// Encoded bytes are received into a buffer of this size and decoded from there.
constexpr std::size_t kEncodedBuffer = 256 << 10;

// 1xx answers before the real one; 101 (switching protocols) is final, and never asked for here.
bool IsInterim(int code) { return code >= 100 && code < 200 && code != 101; }

}  // namespace

void DecodeStatus(const std::string& line, int& code, std::string& reason) {
  std::string_view rest = Trim(After(line, " "));
  code = http::ToInt(Trim(Before(rest, " ")), 0);
  reason = rest.find(' ') == std::string_view::npos ? std::string()
                                                    : std::string(Trim(After(rest, " ")));
}

bool HasStatusCode(const std::string& line) {
  std::string_view code = Trim(Before(Trim(After(line, " ")), " "));
  return code.size() == 3 && code.find_first_not_of("0123456789") == std::string_view::npos;
}

std::vector<std::string> JoinHeaderLines(const std::vector<std::string>& raw) {
  std::vector<std::string> joined;
  auto continues = [](const std::string& entry) {
    if (entry.empty()) return false;
    char c = entry[0] == '\t' ? ' ' : entry[0];
    return c == ' ' || c == '"' || c == ':' || c == '=';
  };
  for (std::size_t i = 0; i < raw.size(); ++i) {
    std::string line = raw[i];
    while (i + 2 < raw.size() && continues(raw[i + 1])) {
      line += ' ';
      line += Trim(raw[++i]);
    }
    line.resize(http::TrimRight(line).size());
    joined.push_back(std::move(line));
  }
  return joined;
}

void ApplyHeaderLine(const std::string& line, TResponseFraming& framing) {
  std::string upper = Upper(line);
  if (StartsWith(upper, "CONTENT-LENGTH:")) {
    framing.ContentLength = http::ToInt64(Trim(After(line, " ")), -1);
    if (framing.ContentLength != -1 && framing.Mode == TE_UNKNOWN) framing.Mode = TE_IDENTITY;
  } else if (StartsWith(upper, "CONTENT-TYPE:")) {
    framing.MimeType = std::string(Trim(After(line, " ")));
  } else if (StartsWith(upper, "TRANSFER-ENCODING:")) {
    if (After(upper, " ").find("CHUNKED") != std::string_view::npos) framing.Mode = TE_CHUNKED;
  } else if (StartsWith(upper, "CONTENT-ENCODING:")) {
    if (!framing.ContentEncoding.empty()) framing.ContentEncoding += ',';
    framing.ContentEncoding += Trim(line.substr(std::string_view("Content-Encoding:").size()));
  } else if (StartsWith(upper, "CONNECTION:") || StartsWith(upper, "PROXY-CONNECTION:")) {
    if (upper.find("CLOSE") != std::string::npos) framing.Close = true;
  }
}

bool ParseChunkSize(const std::string& line, int64_t& size) {
  std::string_view text = Trim(Before(Trim(Before(line, " ")), ";"));
  size = 0;
  if (text.empty()) return true;
  uint64_t value = 0;
  for (char c : text) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return true;  // not hexadecimal: counts as 0
    if (value > (uint64_t(INT64_MAX) >> 4)) return false;
    value = value << 4 | static_cast<uint64_t>(digit);
  }
  if (value > uint64_t(INT64_MAX)) return false;
  size = static_cast<int64_t>(value);
  return true;
}

THTTPResponseReader::THTTPResponseReader(TBlockSocket& sock, int timeout, int64_t maxBodySize,
                                         TMemoryStream& document, std::vector<std::string>& headers)
    : FSock(sock),
      FTimeout(timeout),
      FMaxBody(maxBodySize),
      FDocument(document),
      FHeaders(headers) {}

uint64_t THTTPResponseReader::Remaining(uint64_t framing) const {
  uint64_t cap = FMaxBody > 0 ? static_cast<uint64_t>(FMaxBody) : 0;
  uint64_t used = (FDecoder ? FEncodedBytes : FDocument.Size()) + framing;
  return used < cap ? cap - used : 0;
}

void THTTPResponseReader::Fail(std::string cause) {
  FState = TResponseState::Failed;
  FailCause = std::move(cause);
}

bool THTTPResponseReader::Read(const std::string& method) {
  try {
    ReadStatus();
    if (FState == TResponseState::Headers) ReadHeaders();
    if (FState == TResponseState::Body) ReadBody(method);
  } catch (const std::bad_alloc&) {
    Fail("out of memory");
  }
  return FState == TResponseState::Done;
}

bool THTTPResponseReader::ReadHead() {
  try {
    ReadStatus();
    if (FState == TResponseState::Headers) ReadHeaders();
  } catch (const std::bad_alloc&) {
    Fail("out of memory");
  }
  return FState == TResponseState::Body;
}

std::string THTTPResponseReader::ReadLimitedLine() {
  // The line limit keeps a server that never ends a line from filling memory.
  int saved = FSock.MaxLineLength;
  FSock.MaxLineLength = static_cast<int>(kMaxHeadSize);
  std::string line = FSock.RecvString(FTimeout);
  FSock.MaxLineLength = saved;
  return line;
}

bool THTTPResponseReader::ReadHeadLine(std::string& line) {
  line = ReadLimitedLine();
  if (FSock.LastError() != 0) {
    Fail(FSock.LastError() == WSAEMSGSIZE ? "response header too large" : "");
    return false;
  }
  FHeadBytes += static_cast<int64_t>(line.size()) + 1;
  if (FHeadBytes > kMaxHeadSize) {
    Fail("response header too large");
    return false;
  }
  return true;
}

void THTTPResponseReader::ReadStatus() {
  do {
    std::string line;
    do {
      if (!ReadHeadLine(line)) return;
    } while (line.empty());
    if (StartsWith(Upper(line), "HTTP/")) {
      // A line that claims to be a status line and has no code cannot say whether the answer
      // is the document.
      if (!HasStatusCode(line)) return Fail("the server's status line is malformed");
      FHeaders.push_back(line);
      DecodeStatus(line, ResultCode, ResultString);
      // An interim answer's own header lines (103 Early Hints has some) go with it.
      if (IsInterim(ResultCode)) {
        do {
          if (!ReadHeadLine(line)) return;
        } while (!line.empty());
      }
    } else {
      // No status line: what came is already the body (an HTTP/0.9 style answer).
      FDocument.Write(line);
      FDocument.Write("\r\n");
      ResultCode = 0;
    }
  } while (IsInterim(ResultCode));
  FState = FHeaders.empty() ? TResponseState::Body : TResponseState::Headers;
}

void THTTPResponseReader::ReadHeaders() {
  std::vector<std::string> raw;
  bool complete = false;
  std::string line;
  while (ReadHeadLine(line)) {
    raw.push_back(line);
    if (line.empty()) {
      complete = true;
      break;
    }
  }
  for (const std::string& joined : JoinHeaderLines(raw)) {
    FHeaders.push_back(joined);
    ApplyHeaderLine(joined, Framing);
  }
  if (complete) FState = TResponseState::Body;
}

void THTTPResponseReader::ReadBody(const std::string& method) {
  if (Upper(method) == "HEAD" || ResultCode == 204 || ResultCode == 304) {
    FState = TResponseState::Done;
    return;
  }
  // A server may compress although the request did not offer it (files stored only
  // compressed); the body is decoded as it arrives.
  std::vector<TContentCoding> codings;
  std::string unknown;
  if (!ParseContentEncoding(Framing.ContentEncoding, codings, unknown))
    return Fail("the server sent the list encoded as \"" + ShownText(unknown) +
                "\", which Brevak cannot read");
  if (!codings.empty())
    FDecoder = std::make_unique<TContentDecoder>(
        codings, FDocument, static_cast<uint64_t>(std::max<int64_t>(FMaxBody, 0)));
  switch (Framing.Mode) {
    case TE_UNKNOWN:
      ReadUntilClose();
      break;
    case TE_IDENTITY:
      ReadCounted(Framing.ContentLength);
      break;
    case TE_CHUNKED:
      ReadChunked();
      break;
  }
  if (FState == TResponseState::Done && FDecoder && !FDecoder->Finish()) Fail(FDecoder->FailCause);
}

std::size_t THTTPResponseReader::TakeEncoded(uint64_t max) {
  if (!FEncoded) FEncoded = std::make_unique<char[]>(kEncodedBuffer);
  const std::size_t got = FSock.RecvSome(
      FEncoded.get(), static_cast<std::size_t>(std::min<uint64_t>(kEncodedBuffer, max)), FTimeout);
  FEncodedBytes += got;
  if (got > 0 && !FDecoder->Write(FEncoded.get(), got)) {
    Fail(FDecoder->FailCause);
    return 0;
  }
  return got;
}

bool THTTPResponseReader::TakeCounted(int64_t size) {
  if (!FDecoder) {
    FSock.RecvStreamSize(FDocument, FTimeout, size);
    if (FSock.LastError() == 0) return true;
    Fail();
    return false;
  }
  for (auto left = static_cast<uint64_t>(size); left > 0;) {
    const std::size_t got = TakeEncoded(left);
    if (got == 0) {
      if (FState != TResponseState::Failed) Fail();
      return false;
    }
    left -= got;
  }
  return true;
}

void THTTPResponseReader::ReadUntilClose() {
  // Packets are received straight into the document, never more than the cap allows.
  TBodyRoom room(static_cast<uint64_t>(std::max<int64_t>(FMaxBody, 0)));
  for (;;) {
    const uint64_t left = Remaining(0);
    std::size_t got;
    if (left == 0) {
      // At the cap: one byte more is one too many; the close ends the body.
      char probe;
      got = FSock.RecvSome(&probe, 1, FTimeout);
      if (got > 0) return Fail(kBodyTooLarge);
    } else if (FDecoder) {
      got = TakeEncoded(left);
      if (FState == TResponseState::Failed) return;
    } else {
      room.Make(FDocument, left);
      const std::size_t size = FDocument.Size();
      got = FSock.RecvSome(
          FDocument.Tail(),
          static_cast<std::size_t>(std::min<uint64_t>(FDocument.Capacity() - size, left)),
          FTimeout);
      FDocument.Extend(got);
    }
    if (got == 0) break;
  }
  if (FSock.LastError() != WSAECONNRESET) return Fail();
  FSock.ResetLastError();
  FState = TResponseState::Done;
}

void THTTPResponseReader::ReadCounted(int64_t size) {
  if (size < 1) {
    FState = TResponseState::Done;
    return;
  }
  if (static_cast<uint64_t>(size) > Remaining(0)) return Fail(kBodyTooLarge);
  DownloadSize = size;
  if (TakeCounted(size)) FState = TResponseState::Done;
}

void THTTPResponseReader::ReadChunked() {
  // Chunk-size lines and the empty lines between chunks count against the body budget too, so
  // that a server sending framing without end is stopped like one sending an endless body.
  uint64_t framing = 0;
  for (;;) {
    std::string line;
    do {
      line = ReadLimitedLine();
      if (FSock.LastError() != 0)
        return Fail(FSock.LastError() == WSAEMSGSIZE ? "malformed chunked body" : "");
      if (line.size() + 1 > Remaining(framing)) return Fail(kBodyTooLarge);
      framing += line.size() + 1;
    } while (line.empty());
    int64_t size;
    if (!ParseChunkSize(line, size)) return Fail("chunk size too large");
    if (size == 0) break;
    // The size is the server's number: it is only ever compared, never added to.
    if (static_cast<uint64_t>(size) > Remaining(framing)) return Fail(kBodyTooLarge);
    DownloadSize = size;
    if (!TakeCounted(size)) return;
  }
  FState = TResponseState::Done;
}

}  // namespace brevak
