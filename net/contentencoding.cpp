// Content-Encoding undone with zlib as the body arrives. Tested by
// tests/net/contentencoding_test.cpp.
#include "net/contentencoding.h"

#include <zlib.h>

#include <algorithm>
#include <cassert>
#include <climits>

#include "net/httptext.h"

namespace brevak {

namespace {

const char kBodyTooLarge[] = "response body too large";
// What a stage that feeds another one decodes into before handing it on.
constexpr std::size_t kStageBuffer = 64 << 10;
// The most zlib takes in one call (its counts are 32 bits).
constexpr std::size_t kMaxZlibPiece = std::size_t(1) << 30;

std::string CorruptCause(TContentCoding coding) {
  return std::string("the server's ") + (coding == TContentCoding::Gzip ? "gzip" : "deflate") +
         " data is corrupt";
}

// A zlib-wrapped deflate stream opens with a header whose 16 bits are a multiple of 31 and whose
// first byte names deflate (8) with a window of at most 32 KiB; raw deflate is anything else.
bool IsZlibHeader(unsigned char b0, unsigned char b1) {
  return (b0 & 0x0F) == 8 && (b0 >> 4) <= 7 && ((b0 << 8) | b1) % 31 == 0;
}

}  // namespace

bool ParseContentEncoding(std::string_view value, std::vector<TContentCoding>& codings,
                          std::string& unknown) {
  codings.clear();
  while (!value.empty()) {
    const std::size_t comma = value.find(',');
    const std::string_view entry = http::Trim(value.substr(0, comma));
    const std::string name = http::Lower(entry);
    value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
    if (name.empty() || name == "identity") continue;
    if (name == "gzip" || name == "x-gzip") {
      codings.push_back(TContentCoding::Gzip);
    } else if (name == "deflate") {
      codings.push_back(TContentCoding::Deflate);
    } else {
      unknown = entry;
      return false;
    }
  }
  return true;
}

TBodyRoom::TBodyRoom(uint64_t cap) {
  const uint64_t start = std::max<uint64_t>(std::min<uint64_t>(cap, SIZE_MAX), 1);
  FRoom = static_cast<std::size_t>(start);
  while (FRoom > 65536) FRoom = (FRoom + 1) / 2;
}

void TBodyRoom::Make(TMemoryStream& document, uint64_t left) {
  const std::size_t size = document.Size();
  if (size < document.Capacity()) return;
  while (FRoom <= size) FRoom *= 2;
  document.Reserve(static_cast<std::size_t>(std::min<uint64_t>(FRoom, size + left)));
}

// One coding being undone: a zlib inflater, and where its output goes.
class TContentDecoder::TStage {
public:
  explicit TStage(TContentCoding coding) : Coding(coding) {}
  ~TStage() {
    if (Initialised) inflateEnd(&Z);
  }
  TStage(const TStage&) = delete;
  TStage& operator=(const TStage&) = delete;

  // Starts the inflater; for deflate, first (at least two bytes of the stream) tells which kind.
  // False when zlib has no memory.
  bool Start(std::string_view first) {
    int windowBits = 15 + 16;  // gzip only
    if (Coding == TContentCoding::Deflate)
      windowBits =
          IsZlibHeader(static_cast<unsigned char>(first[0]), static_cast<unsigned char>(first[1]))
              ? 15
              : -15;
    Initialised = inflateInit2(&Z, windowBits) == Z_OK;
    return Initialised;
  }

  TContentCoding Coding;
  z_stream Z{};
  bool Initialised = false;
  bool Ended = false;           // a stream (a gzip member) has ended and no other has begun
  std::string Head;             // deflate: the first byte, held until the second tells the kind
  uint64_t Produced = 0;        // bytes decoded so far
  std::unique_ptr<char[]> Out;  // the output of a stage that feeds another one
};

TContentDecoder::TContentDecoder(const std::vector<TContentCoding>& codings,
                                 TMemoryStream& document, uint64_t cap)
    : FDocument(document), FCap(cap), FRoom(cap) {
  assert(!codings.empty());
  for (auto coding = codings.rbegin(); coding != codings.rend(); ++coding)
    FStages.push_back(std::make_unique<TStage>(*coding));
  for (std::size_t i = 0; i + 1 < FStages.size(); ++i)
    FStages[i]->Out = std::make_unique<char[]>(kStageBuffer);
}

TContentDecoder::~TContentDecoder() = default;

bool TContentDecoder::Fail(std::string cause) {
  FailCause = std::move(cause);
  return false;
}

bool TContentDecoder::Write(const char* data, std::size_t size) { return Feed(0, data, size); }

bool TContentDecoder::Feed(std::size_t index, const char* data, std::size_t size) {
  TStage& s = *FStages[index];
  const bool last = index + 1 == FStages.size();
  if (!s.Initialised) {
    if (size == 0) return true;
    std::string first;
    if (s.Coding == TContentCoding::Deflate) {
      // The kind of deflate stream shows in its first two bytes, which may come apart.
      if (s.Head.size() + size < 2) {
        s.Head.append(data, size);
        return true;
      }
      first = s.Head + std::string(data, 2 - s.Head.size());
    } else {
      first = "gz";
    }
    if (!s.Start(first)) return Fail("out of memory");
    if (!s.Head.empty()) {
      const std::string head = std::move(s.Head);
      s.Head.clear();
      if (!Feed(index, head.data(), head.size())) return false;
    }
  }

  while (size > 0) {
    const std::size_t piece = std::min(size, kMaxZlibPiece);
    s.Z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    s.Z.avail_in = static_cast<uInt>(piece);
    data += piece;
    size -= piece;
    for (;;) {
      if (s.Ended) {
        // After a complete stream: zeros some servers pad with are ignored; another gzip member
        // goes on the document; anything else is not what the server said it sent.
        while (s.Z.avail_in > 0 && *s.Z.next_in == 0) {
          ++s.Z.next_in;
          --s.Z.avail_in;
        }
        if (s.Z.avail_in == 0) break;
        if (s.Coding != TContentCoding::Gzip || inflateReset(&s.Z) != Z_OK)
          return Fail(CorruptCause(s.Coding));
        s.Ended = false;
      }
      // At the cap, one byte of room tells whether the stream has more to give.
      const uint64_t left = FCap - s.Produced;
      char probe;
      char* out = &probe;
      std::size_t room = 1;
      if (left > 0 && last) {
        FRoom.Make(FDocument, left);
        out = FDocument.Tail();
        room = static_cast<std::size_t>(
            std::min<uint64_t>({FDocument.Capacity() - FDocument.Size(), left, kMaxZlibPiece}));
      } else if (left > 0) {
        out = s.Out.get();
        room = static_cast<std::size_t>(std::min<uint64_t>(kStageBuffer, left));
      }
      s.Z.next_out = reinterpret_cast<Bytef*>(out);
      s.Z.avail_out = static_cast<uInt>(room);
      const int r = inflate(&s.Z, Z_NO_FLUSH);
      const std::size_t got = room - s.Z.avail_out;
      if (left == 0 && got > 0) return Fail(kBodyTooLarge);
      s.Produced += got;
      if (last)
        FDocument.Extend(got);
      else if (got > 0 && !Feed(index + 1, out, got))
        return false;
      if (r == Z_STREAM_END) {
        s.Ended = true;
        continue;
      }
      if (r == Z_MEM_ERROR) return Fail("out of memory");
      if (r != Z_OK && r != Z_BUF_ERROR) return Fail(CorruptCause(s.Coding));
      // With room left over, all the input has been taken and all its output given.
      if (s.Z.avail_out > 0 && s.Z.avail_in == 0) break;
      assert(r == Z_OK);
    }
  }
  return true;
}

bool TContentDecoder::Finish() {
  for (const std::unique_ptr<TStage>& stage : FStages) {
    const TStage& s = *stage;
    // A stage that was never given a byte has an empty body: nothing was encoded.
    if (!s.Initialised && s.Head.empty()) continue;
    if (!s.Ended) return Fail(CorruptCause(s.Coding));
  }
  return true;
}

}  // namespace brevak
