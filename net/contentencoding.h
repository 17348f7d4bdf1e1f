// Undoing a response's Content-Encoding (gzip, x-gzip, deflate) with zlib while the body arrives,
// straight into the document, with the body cap applied to every decoded byte. Tested by
// tests/net/contentencoding_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/memorystream.h"

namespace brevak {

// The encodings the client can undo. deflate is zlib-wrapped or, as some servers send it, raw.
enum class TContentCoding { Gzip, Deflate };

// Reads a Content-Encoding value (the values of several header lines joined by commas): the
// codings in the order the server applied them, "identity" and empty entries left out, names in
// any case. False with unknown set to the first name (as written) that is none of gzip, x-gzip,
// deflate and identity.
bool ParseContentEncoding(std::string_view value, std::vector<TContentCoding>& codings,
                          std::string& unknown);

// Room for a body that grows to an unknown size within a cap: a full document grows by doubling
// from a size that doubles up to the cap exactly, so that it never passes the cap and its last
// growth is no small step.
class TBodyRoom {
public:
  explicit TBodyRoom(uint64_t cap);
  // Makes room in a full document for up to left more bytes (left > 0); a document with room is
  // left as it is. Throws std::bad_alloc.
  void Make(TMemoryStream& document, uint64_t left);

private:
  std::size_t FRoom;
};

// Undoes codings (not empty; as listed, in reverse order) on the bytes given to Write, appending
// the result to document. Every stage's output counts against cap, so a small body that expands
// without end (a decompression bomb) stops at the cap, and so does one that only feeds the next
// stage.
class TContentDecoder {
public:
  TContentDecoder(const std::vector<TContentCoding>& codings, TMemoryStream& document,
                  uint64_t cap);
  ~TContentDecoder();
  TContentDecoder(const TContentDecoder&) = delete;
  TContentDecoder& operator=(const TContentDecoder&) = delete;

  // Decodes the next bytes of the body. False with FailCause set when the data is corrupt, the
  // decoded bytes pass the cap, or zlib has no memory. Throws std::bad_alloc when the document
  // cannot grow.
  bool Write(const char* data, std::size_t size);
  // The body has ended: false with FailCause set when a stream stopped short of its end. A body
  // without a byte is an empty document.
  bool Finish();

  std::string FailCause;

  class TStage;

private:
  bool Feed(std::size_t stage, const char* data, std::size_t size);
  bool Fail(std::string cause);

  std::vector<std::unique_ptr<TStage>> FStages;  // FStages[0] undoes the last coding
  TMemoryStream& FDocument;
  uint64_t FCap;
  TBodyRoom FRoom;
};

}  // namespace brevak
