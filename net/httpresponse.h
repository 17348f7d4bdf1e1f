// Reading one HTTP response from a TBlockSocket: the status line, the header block and the body in
// its framing (until close, a Content-Length count, or chunks). The reader walks an explicit state
// (TResponseState: Status -> Headers -> Body -> Done, or Failed) and bounds everything the server
// controls. Tested by tests/net/httpresponse_test.cpp and tests/net/httpsend_test.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/memorystream.h"
#include "net/contentencoding.h"
#include "net/httpsend.h"

namespace brevak {

class TBlockSocket;

// Splits a status line: code from the word after "HTTP/x.y" (0 when not a number), reason the
// rest (empty when there is none).
void DecodeStatus(const std::string& line, int& code, std::string& reason);
// Whether a line that begins with "HTTP/" has a status code there: three digits after the version.
bool HasStatusCode(const std::string& line);

// Joins folded header lines: an entry that begins with a space, TAB, '"', ':' or '=' continues the
// line before it (never the last entry, which is the block's empty line).
std::vector<std::string> JoinHeaderLines(const std::vector<std::string>& raw);

// What the header lines announce about the body and the connection.
struct TResponseFraming {
  int64_t ContentLength = -1;  // -1: none announced
  TTransferEncoding Mode = TE_UNKNOWN;
  bool Close = false;
  std::string MimeType = "text/html";
  // The Content-Encoding values, several lines joined by commas; empty: none.
  std::string ContentEncoding;
};
// Notes in framing what one joined header line says (names in any case): Content-Length and
// Content-Type, whose value is the text after the line's first space ("Content-Length:12"
// announces no length; a value that is no number counts as none), Transfer-Encoding naming
// chunked (which wins over a length), Content-Encoding (appended), and "close" in Connection or
// Proxy-Connection. Other lines change nothing.
void ApplyHeaderLine(const std::string& line, TResponseFraming& framing);

// A chunk-size line: the hexadecimal number before any extension; text that is not hexadecimal
// counts as 0. False when the number does not fit in 63 bits.
bool ParseChunkSize(const std::string& line, int64_t& size);

enum class TResponseState { Status, Headers, Body, Done, Failed };

class THTTPResponseReader {
public:
  // The reader appends to document and headers, which the caller has emptied.
  THTTPResponseReader(TBlockSocket& sock, int timeout, int64_t maxBodySize, TMemoryStream& document,
                      std::vector<std::string>& headers);

  // Reads the whole response to a request made with method. True when it was read to its end.
  bool Read(const std::string& method);
  // Reads the status line and the header block only (a proxy's answer to CONNECT). True when both
  // were read; ResultCode is 0 when the first line was no status line.
  bool ReadHead();

  TResponseState State() const { return FState; }
  int ResultCode = 500;
  std::string ResultString;
  int64_t DownloadSize = 0;
  TResponseFraming Framing;
  // After a false result, why ("" when the socket's LastError tells it).
  std::string FailCause;

  // Bytes of status and header lines (empty lines included) accepted before the body.
  static constexpr int64_t kMaxHeadSize = int64_t(1) << 20;

private:
  void ReadStatus();
  void ReadHeaders();
  void ReadBody(const std::string& method);
  void ReadUntilClose();
  void ReadCounted(int64_t size);
  void ReadChunked();
  // Appends exactly size bytes of the body (decoded, when it is encoded) to the document; false
  // (state TResponseState::Failed) when cut short or when decoding fails.
  bool TakeCounted(int64_t size);
  // Receives at most max encoded bytes and decodes them: the count received; 0 with LastError
  // set, or with the state TResponseState::Failed when decoding failed.
  std::size_t TakeEncoded(uint64_t max);
  // One line counted against the head budget; false (state TResponseState::Failed) on an error.
  bool ReadHeadLine(std::string& line);
  // One line of at most kMaxHeadSize bytes (longer: LastError WSAEMSGSIZE).
  std::string ReadLimitedLine();
  void Fail(std::string cause = {});
  // Body bytes still allowed after the body and framing bytes read so far (0 when none). The
  // body's bytes are counted as they came, encoded or not; the decoder caps what they decode to.
  uint64_t Remaining(uint64_t framing) const;

  TBlockSocket& FSock;
  int FTimeout;
  int64_t FMaxBody;
  TMemoryStream& FDocument;
  std::vector<std::string>& FHeaders;
  TResponseState FState = TResponseState::Status;
  int64_t FHeadBytes = 0;
  std::unique_ptr<TContentDecoder> FDecoder;  // an encoded body's; null for a plain one
  uint64_t FEncodedBytes = 0;                 // the encoded body's bytes received
  std::unique_ptr<char[]> FEncoded;           // where they are received
};

}  // namespace brevak
