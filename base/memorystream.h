// A growable byte buffer with a read position: the HTTP client's Document, read by
// TStringList::LoadFromStream from its position to its end.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brevak {

class TMemoryStream {
public:
  // Appends bytes at the end; the read position does not move.
  void Write(std::string_view bytes) { FData.append(bytes); }
  void Clear() {
    FData.clear();
    FPosition = 0;
  }

  std::size_t Size() const { return FData.size(); }
  std::size_t Position() const { return FPosition; }
  // A position past the end is held at the end.
  void SetPosition(std::size_t position) {
    FPosition = position < FData.size() ? position : FData.size();
  }

  // The bytes from the read position to the end; the position moves to the end.
  std::string_view ReadToEnd() {
    std::string_view rest = std::string_view(FData).substr(FPosition);
    FPosition = FData.size();
    return rest;
  }

  const std::string& Bytes() const { return FData; }
  std::string& Bytes() { return FData; }

private:
  std::string FData;
  std::size_t FPosition = 0;
};

}  // namespace brevak
