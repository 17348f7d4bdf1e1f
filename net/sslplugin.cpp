// The plug-in base: with no TLS library behind it every operation fails.
// Tested by tests/net/tls_test.cpp.
#include "net/sslplugin.h"

#include <utility>

namespace brevak {
namespace {
const char kNotCompiled[] = "SSL/TLS support is not compiled!";
}

void TCustomSSL::SetError(int code, std::string desc) {
  LastError = code;
  LastErrorDesc = std::move(desc);
}

bool TCustomSSL::Connect(int, int) {
  SetError(-2, kNotCompiled);
  return false;
}

bool TCustomSSL::Shutdown() {
  SetError(-2, kNotCompiled);
  return false;
}

int TCustomSSL::SendBuffer(const char*, int, int) {
  SetError(-2, kNotCompiled);
  return -1;
}

int TCustomSSL::RecvBuffer(char*, int, int) {
  SetError(-2, kNotCompiled);
  return -1;
}

}  // namespace brevak
