// TSSLOpenSSL: the TLS client on OpenSSL 3. Version-flexible method, cipher list "DEFAULT", no
// certificate checks, SNI with SNIHost. The socket stays non-blocking; every wait is bounded.
// Tested by tests/net/tls_test.cpp.
#pragma once

#include <functional>

#include "net/sslplugin.h"

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

namespace brevak {

class TSSLOpenSSL : public TCustomSSL {
public:
  TSSLOpenSSL() { Ciphers = "DEFAULT"; }
  ~TSSLOpenSSL() override;

  std::string LibName() const override { return "ssl_openssl"; }
  std::string LibVersion() const override;
  bool Connect(int fd, int timeout) override;
  bool Shutdown() override;
  int SendBuffer(const char* buffer, int length, int timeout) override;
  int RecvBuffer(char* buffer, int length, int timeout) override;
  int WaitingData() override;

private:
  bool Prepare();
  void Release();
  // Reads the first queued OpenSSL error into LastError/LastErrorDesc and clears the queue.
  void TakeError(const char* what);
  // Clears the outcome of the last operation.
  void ClearError();
  // Waits for the socket as SSL_get_error code asks (want read / want write).
  bool WaitForSocket(int code, int timeout);
  // Repeats an SSL_read or SSL_write call while the library waits for the socket: the count, 0 when
  // the peer closed the TLS connection, -1 on an error or time-out.
  int Transfer(const std::function<int()>& call, int timeout);

  SSL_CTX* FCtx = nullptr;
  SSL* FSsl = nullptr;
  int FFd = -1;
};

}  // namespace brevak
