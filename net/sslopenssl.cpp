// TSSLOpenSSL: the OpenSSL 3 client channel. The socket is non-blocking, so each "want read" or
// "want write" turns into a bounded wait for the socket and the call is repeated.
// Tested by tests/net/tls_test.cpp.
#include "net/sslopenssl.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>

namespace brevak {
namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until deadline: -1 without a limit, never below 0.
int Remaining(bool limited, Clock::time_point deadline) {
  if (!limited) return -1;
  auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

TSSLOpenSSL::~TSSLOpenSSL() { Release(); }

std::string TSSLOpenSSL::LibVersion() const { return OpenSSL_version(OPENSSL_VERSION); }

void TSSLOpenSSL::Release() {
  if (FSsl) SSL_free(FSsl);
  if (FCtx) SSL_CTX_free(FCtx);
  FSsl = nullptr;
  FCtx = nullptr;
  SSLEnabled = false;
}

void TSSLOpenSSL::TakeError(const char* what) {
  int sysErr = errno;
  unsigned long code = ERR_get_error();
  std::string text;
  if (code != 0) {
    char buffer[257];
    ERR_error_string_n(code, buffer, sizeof buffer);
    text = buffer;
  } else if (sysErr != 0) {
    text = std::strerror(sysErr);
  } else {
    text = "connection closed by the peer";
  }
  ERR_clear_error();
  SetError(code != 0 ? static_cast<int>(ERR_GET_REASON(code)) : -1, std::string(what) + text);
  FPeerReset = code == 0 && sysErr == ECONNRESET;
}

void TSSLOpenSSL::ClearError() {
  FTimedOut = FStopped = FPeerReset = false;
  SetError(0, "");
}

bool TSSLOpenSSL::Prepare() {
  Release();
  ERR_clear_error();
  FCtx = SSL_CTX_new(TLS_client_method());
  if (!FCtx) {
    TakeError("");
    return false;
  }
  SSL_CTX_set_cipher_list(FCtx, Ciphers.c_str());
  ERR_clear_error();
  SSL_CTX_set_verify(FCtx, VerifyCert ? SSL_VERIFY_PEER : SSL_VERIFY_NONE, nullptr);
  // A server that closes TCP without close-notify ends a read-until-close body normally; the body
  // framing above detects a truncated counted body.
  SSL_CTX_set_options(FCtx, SSL_OP_IGNORE_UNEXPECTED_EOF);
  FSsl = SSL_new(FCtx);
  if (!FSsl) {
    TakeError("");
    Release();
    return false;
  }
  return true;
}

bool TSSLOpenSSL::WaitForSocket(int code, int timeout) {
  short events = static_cast<short>(code == SSL_ERROR_WANT_WRITE ? POLLOUT : POLLIN);
  static const TWaitHook kNoHook;
  switch (WaitSocket(FFd, events, timeout, WaitHook ? *WaitHook : kNoHook)) {
    case TWaitResult::Ready:
      return true;
    case TWaitResult::TimedOut:
      FTimedOut = true;
      SetError(-1, "timed out");
      return false;
    case TWaitResult::Stopped:
      FStopped = true;
      SetError(-1, "stopped");
      return false;
    case TWaitResult::Failed:
      SetError(-1, std::strerror(errno));
      return false;
  }
  return false;
}

bool TSSLOpenSSL::Connect(int fd, int timeout) {
  ClearError();
  if (fd < 0) {
    SetError(-1, "socket not connected");
    return false;
  }
  if (!Prepare()) return false;
  FFd = fd;
  if (SSL_set_fd(FSsl, fd) < 1) {
    TakeError("");
    return false;
  }
  if (!SNIHost.empty() && SSL_set_tlsext_host_name(FSsl, SNIHost.c_str()) != 1) {
    TakeError("");
    return false;
  }
  bool limited = timeout > 0;
  Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout);
  for (;;) {
    errno = 0;
    int r = SSL_connect(FSsl);
    if (r == 1) break;
    int code = SSL_get_error(FSsl, r);
    if (code == SSL_ERROR_WANT_READ || code == SSL_ERROR_WANT_WRITE) {
      if (!WaitForSocket(code, Remaining(limited, deadline))) return false;
      continue;
    }
    TakeError("");
    return false;
  }
  SSLEnabled = true;
  return true;
}

int TSSLOpenSSL::Transfer(const std::function<int()>& call, int timeout) {
  for (;;) {
    errno = 0;
    int r = call();
    int code = SSL_get_error(FSsl, r);
    if (code == SSL_ERROR_NONE) return r;
    if (code == SSL_ERROR_ZERO_RETURN) return 0;
    if (code == SSL_ERROR_WANT_READ || code == SSL_ERROR_WANT_WRITE) {
      if (!WaitForSocket(code, timeout > 0 ? timeout : -1)) return -1;
      continue;
    }
    TakeError("");
    return -1;
  }
}

int TSSLOpenSSL::SendBuffer(const char* buffer, int length, int timeout) {
  ClearError();
  if (!FSsl) return TCustomSSL::SendBuffer(buffer, length, timeout);
  ERR_clear_error();
  return Transfer([&] { return SSL_write(FSsl, buffer, length); }, timeout);
}

int TSSLOpenSSL::RecvBuffer(char* buffer, int length, int timeout) {
  ClearError();
  if (!FSsl) return TCustomSSL::RecvBuffer(buffer, length, timeout);
  ERR_clear_error();
  return Transfer([&] { return SSL_read(FSsl, buffer, length); }, timeout);
}

int TSSLOpenSSL::WaitingData() { return FSsl ? SSL_pending(FSsl) : 0; }

bool TSSLOpenSSL::Shutdown() {
  if (FSsl) {
    // Sends close-notify; the peer's answer is not awaited.
    SSL_shutdown(FSsl);
  }
  Release();
  ERR_clear_error();
  return true;
}

}  // namespace brevak
