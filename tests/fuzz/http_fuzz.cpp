// Feeds arbitrary response bytes through THTTPSend's response parsing on a socket without a
// network. The input is cut into packets at 0xFF bytes, so that line ends and chunk framing also
// fall across packet edges. Found crashes go to tests/net/httpresponse_test.cpp as regressions.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "net/httpsend.h"
#include "support/fake_socket.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  auto sock = std::make_unique<brevak::test::TFakeSocket>();
  std::string packet;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0xFF) {
      sock->Packets.push_back(packet);
      packet.clear();
    } else {
      packet += static_cast<char>(data[i]);
    }
  }
  sock->Packets.push_back(packet);
  // Odd-sized inputs end in silence (a time-out), even-sized in the server's close.
  sock->SilentAtEnd = size % 2 == 1;
  brevak::THTTPSend http(std::move(sock));
  http.MaxBodySize = 1 << 20;
  bool ok = http.HTTPMethod(size % 3 == 0 ? "HEAD" : "GET", "http://fuzz.test/");
  // The invariants that hold for any response.
  if (http.Document().Size() > (1u << 20) + 4096) __builtin_trap();
  if (!ok && http.ErrorCause().empty()) __builtin_trap();
  if (ok && http.Document().Position() != 0) __builtin_trap();
  return 0;
}
