// A growable byte buffer with a read position: the HTTP client's Document, whose lines the line
// lists (TStringList, TDocumentLines) load from its position to its end.
//
// The room past the end is never filled before it is written, so the network layer receives
// straight into it (Tail, then Extend). A large buffer lives in a mapping of its own, which grows
// in place or by moving its pages, never by copying them, and goes back to the system as soon as it
// is let go. Tested by tests/base/memorystream_test.cpp.
#pragma once

#include <cstddef>
#include <string_view>

namespace brevak {

class TMemoryStream {
public:
  TMemoryStream() = default;
  ~TMemoryStream();
  TMemoryStream(TMemoryStream&& other) noexcept;
  TMemoryStream& operator=(TMemoryStream&& other) noexcept;
  TMemoryStream(const TMemoryStream&) = delete;
  TMemoryStream& operator=(const TMemoryStream&) = delete;

  // Appends bytes at the end; the read position does not move. Throws std::bad_alloc.
  void Write(std::string_view bytes);
  // Empties the buffer; its room is kept.
  void Clear() {
    FSize = 0;
    FPosition = 0;
  }

  std::size_t Size() const { return FSize; }
  std::size_t Position() const { return FPosition; }
  // A position past the end is held at the end.
  void SetPosition(std::size_t position) { FPosition = position < FSize ? position : FSize; }

  // The bytes from the read position to the end; the position moves to the end.
  std::string_view ReadToEnd() {
    std::string_view rest = Bytes().substr(FPosition);
    FPosition = FSize;
    return rest;
  }

  std::string_view Bytes() const { return {FData, FSize}; }

  // Room for total bytes in all (a smaller total changes nothing). Throws std::bad_alloc.
  void Reserve(std::size_t total);
  // Room for count more bytes. A buffer that must grow at least doubles, so that many small
  // additions cost few growths; one without room yet gets exactly what is asked for.
  void ReserveMore(std::size_t count);
  std::size_t Capacity() const { return FCapacity; }
  // The room after the end: Capacity() - Size() bytes, not filled; Extend counts what was
  // written there.
  char* Tail() { return FData + FSize; }
  void Extend(std::size_t count) { FSize += count; }
  // Drops the bytes from size on (a size past the end changes nothing).
  void Truncate(std::size_t size);
  // Gives the whole 2 MB pages of a large buffer that lie before offset back to the system, so
  // that something growing beside a buffer read once from front to back gets the pages just let
  // go. The bytes there read as zeros afterwards: only for bytes that are read no more. Size,
  // position and room stay as they are.
  void DiscardBefore(std::size_t offset);

private:
  void Release();

  char* FData = nullptr;
  std::size_t FSize = 0;
  std::size_t FCapacity = 0;
  std::size_t FPosition = 0;
  bool FMapped = false;  // FData is a mapping of its own (else from malloc)
};

}  // namespace brevak
