// The TLS plug-in of a socket: TCustomSSL (every operation fails), TSSLNone (TLS unavailable) and
// TSSLOpenSSL (OpenSSL 3 client). Which one a new socket gets is settled once by InitSSLInterface.
// Tested by tests/net/tls_test.cpp.
#pragma once

#include <memory>
#include <string>

#include "net/socketwait.h"

namespace brevak {

class TCustomSSL {
public:
  TCustomSSL() = default;
  virtual ~TCustomSSL() = default;
  TCustomSSL(const TCustomSSL&) = delete;
  TCustomSSL& operator=(const TCustomSSL&) = delete;

  virtual std::string LibName() const { return "ssl_none"; }
  virtual std::string LibVersion() const { return ""; }
  // Client handshake on the connected socket fd, at most timeout ms (0: no limit).
  virtual bool Connect(int fd, int timeout);
  // Sends close-notify once (the peer's is not awaited) and frees the connection.
  virtual bool Shutdown();
  // The count written or read; 0 when the peer closed the TLS connection; -1 on an error
  // (LastError/LastErrorDesc; TimedOut() when the wait for the socket ran out).
  virtual int SendBuffer(const char* buffer, int length, int timeout);
  virtual int RecvBuffer(char* buffer, int length, int timeout);
  // Decrypted bytes held inside the TLS library.
  virtual int WaitingData() { return 0; }

  bool TimedOut() const { return FTimedOut; }
  // The last failure was a stop by WaitHook.
  bool Stopped() const { return FStopped; }
  // The last failure was the peer resetting the TCP connection.
  bool PeerReset() const { return FPeerReset; }

  bool SSLEnabled = false;
  std::string Ciphers;
  bool VerifyCert = false;
  std::string SNIHost;
  // The owning socket's hook, run between the slices of every wait; null: none.
  const TWaitHook* WaitHook = nullptr;
  int LastError = 0;
  std::string LastErrorDesc;

protected:
  void SetError(int code, std::string desc);
  bool FTimedOut = false;
  bool FStopped = false;
  bool FPeerReset = false;
};

class TSSLNone : public TCustomSSL {
public:
  std::string LibName() const override { return "ssl_none"; }
  std::string LibVersion() const override { return "Without SSL support"; }
};

// A new plug-in of the class settled at start-up (TSSLNone until InitSSLInterface made TLS
// available).
std::unique_ptr<TCustomSSL> NewSSLPlugin();

}  // namespace brevak
