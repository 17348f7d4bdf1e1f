// THTTPSend: URL splitting, the request head, connecting and the request/response sequence.
// Tested by tests/net/httpsend_test.cpp.
#include "net/httpsend.h"

#include "net/blocksocket.h"

namespace brevak {

TUrlParts SplitUrl(const std::string& URL) {
  TUrlParts parts;
  (void)URL;
  return parts;
}

THTTPSend::THTTPSend() : THTTPSend(std::make_unique<TTCPBlockSocket>()) {}

THTTPSend::THTTPSend(std::unique_ptr<TTCPBlockSocket> sock) : FSock(std::move(sock)) {
  FSock->ConvertLineEnd = true;
}

THTTPSend::~THTTPSend() = default;

bool THTTPSend::HTTPMethod(const std::string& Method, const std::string& URL) {
  (void)Method;
  (void)URL;
  FErrorCause = "not implemented yet";
  return false;
}

}  // namespace brevak
