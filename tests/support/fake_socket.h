// A socket without a network for the HTTP client's tests and fuzzing: Connect always succeeds
// (or fails with a chosen error), sends are recorded, and reads return scripted packets; after the
// last packet the peer either closes or stays silent (reads time out at once).
#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "net/blocksocket.h"

namespace brevak::test {

class TFakeSocket : public TTCPBlockSocket {
public:
  std::vector<std::string> Packets;
  bool SilentAtEnd = false;  // after the last packet: time-outs instead of the peer's close
  int ConnectError = 0;      // a LastError for Connect to fail with
  int HandshakeError = 0;    // a LastError for SSLDoConnect to fail with
  std::string Sent;          // every byte sent
  std::string ConnectedTo;   // "host port"
  // Produces further packets on demand once Packets are used up (returns false when done).
  std::function<bool(std::string&)> More;

  void Connect(const std::string& host, const std::string& port) override {
    ResetLastError();
    ClearBuffer();
    ConnectedTo = host + " " + port;
    if (ConnectError)
      SetError(ConnectError, "scripted failure");
    else
      FOpen = true;
  }
  bool SSLDoConnect() override {
    ResetLastError();
    if (HandshakeError) SetError(HandshakeError, "scripted handshake failure");
    return HandshakeError == 0;
  }
  void CloseSocket() override { FOpen = false; }
  bool IsOpen() const override { return FOpen; }
  int SendBuffer(const char* buffer, int length) override {
    Sent.append(buffer, static_cast<std::size_t>(length));
    return length;
  }
  int WaitingData() override {
    if (!Refill()) return 0;
    return static_cast<int>(std::min<std::size_t>(Packets[FIndex].size() - FOffset, 65536));
  }
  bool CanRead(int) override { return Refill() || !SilentAtEnd; }
  int RecvBuffer(char* buffer, int length) override {
    if (!Refill()) {
      SetError(WSAECONNRESET, "connection closed by the peer");
      return 0;
    }
    const std::string& packet = Packets[FIndex];
    std::size_t n =
        std::min<std::size_t>(static_cast<std::size_t>(length), packet.size() - FOffset);
    std::memcpy(buffer, packet.data() + FOffset, n);
    FOffset += n;
    return static_cast<int>(n);
  }

private:
  // Whether a packet with unread bytes is current.
  bool Refill() {
    while (FIndex < Packets.size() && FOffset >= Packets[FIndex].size()) {
      ++FIndex;
      FOffset = 0;
    }
    if (FIndex < Packets.size()) return true;
    std::string next;
    if (More && More(next)) {
      Packets.clear();
      Packets.push_back(std::move(next));
      FIndex = 0;
      FOffset = 0;
      return !Packets[0].empty() || Refill();
    }
    return false;
  }

  bool FOpen = false;
  std::size_t FIndex = 0;
  std::size_t FOffset = 0;
};

}  // namespace brevak::test
