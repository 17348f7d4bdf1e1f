// TBlockSocket / TTCPBlockSocket: one blocking TCP connection with a line buffer, on POSIX sockets.
// Never throws: every operation records its outcome in LastError (0 = success) and keeps the
// system's text for it in LastErrorDesc. Tested by tests/net/blocksocket_test.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/memorystream.h"
#include "net/socketwait.h"

struct addrinfo;

namespace brevak {

class TCustomSSL;

// Looks a host up as getaddrinfo does (same result, freed by freeaddrinfo; 0 or an EAI_ code).
// Runs on a thread of its own, and may go on after the socket that asked is gone.
using TResolver = std::function<int(const std::string& host, const std::string& port,
                                    const addrinfo& hints, addrinfo** found)>;

// The error numbers the socket layer records, by the names the socket API gives them; the HTTP
// client turns them into its causes in words. Any other system error is 10000 + its errno.
// NOLINTBEGIN(readability-identifier-naming)
inline constexpr int WSAECONNRESET = 10054;   // connection closed or reset by the peer
inline constexpr int WSAETIMEDOUT = 10060;    // no data (or no connection) within the time limit
inline constexpr int WSASYSNOTREADY = 10091;  // TLS channel failure
inline constexpr int WSAEMSGSIZE = 10040;     // a line longer than MaxLineLength
inline constexpr int WSAENOBUFS = 10055;      // out of memory
inline constexpr int WSAENETUNREACH = 10051;
inline constexpr int WSAECONNREFUSED = 10061;
inline constexpr int WSAEHOSTUNREACH = 10065;
inline constexpr int WSAENOTCONN = 10057;
inline constexpr int WSAHOST_NOT_FOUND = 11001;
inline constexpr int WSAECANCELLED = 10103;  // the wait hook said stop
// NOLINTEND(readability-identifier-naming)

enum TSocketFamily { SF_Any, SF_IP4, SF_IP6 };

class TBlockSocket {
public:
  TBlockSocket();
  virtual ~TBlockSocket();
  TBlockSocket(const TBlockSocket&) = delete;
  TBlockSocket& operator=(const TBlockSocket&) = delete;

  // Shuts down sending, discards what is waiting and closes. Harmless when not open.
  virtual void CloseSocket();
  // Resolves host (an address written out as the address it is; a name IPv4 first unless Family
  // or PreferIP4 says otherwise; the first address only) and connects, waiting at most
  // ConnectionTimeout ms for each (0: no limit of our own). The lookup runs on a thread of its
  // own, so that its wait, too, is sliced for WaitHook and bounded. A name that is not found gives
  // LastError WSAHOST_NOT_FOUND.
  virtual void Connect(const std::string& host, const std::string& port);
  // Hands one piece to the network; the count sent, or -1 with LastError set.
  virtual int SendBuffer(const char* buffer, int length);
  // Sends all bytes in pieces of at most SendMaxChunk.
  virtual void SendString(std::string_view data);
  // One read of at most length bytes; 0 means the peer closed (LastError WSAECONNRESET).
  virtual int RecvBuffer(char* buffer, int length);
  // Exactly length bytes from LineBuffer and then packets; "" with LastError set when cut short
  // (the partial piece is dropped). Bytes beyond the count stay in LineBuffer.
  virtual std::string RecvBufferStr(int64_t length, int timeout);
  // One line without its terminator; "" with LastError set on an error.
  virtual std::string RecvString(int timeout);
  // Whatever is available: LineBuffer, else waiting bytes, else the next arrival within timeout ms.
  virtual std::string RecvPacket(int timeout);
  // Bytes that can be read without waiting (at most 65536).
  virtual int WaitingData();
  // Whether the socket is readable (data or the peer's close) within timeout ms.
  virtual bool CanRead(int timeout);

  // At most max bytes into dest: from the line buffer when it holds any, else one read, waiting
  // up to timeout ms for an arrival. 0 with LastError set on a time-out, the peer's close or an
  // error.
  std::size_t RecvSome(char* dest, std::size_t max, int timeout);
  // Appends exactly size bytes to stream (the line buffer first), received straight into its
  // room. Cut short, it leaves stream as it was; LastError tells why.
  void RecvStreamSize(TMemoryStream& stream, int timeout, int64_t size);

  void ResetLastError() { SetError(0, ""); }
  int LastError() const { return FLastError; }
  // Whether the last error was the peer resetting the connection (LastError WSAECONNRESET), as
  // opposed to closing it in order.
  bool PeerReset() const { return FPeerReset; }
  const std::string& LastErrorDesc() const { return FLastErrorDesc; }
  virtual bool IsOpen() const { return FSocket >= 0; }

  bool ConvertLineEnd = false;     // lines may end in CR, LF, CR LF or LF CR (else CR LF only)
  bool InterPacketTimeout = true;  // not consulted: the limit always applies to each packet's wait
  int MaxLineLength = 0;           // 0: no limit
  int SendMaxChunk = 65536;
  bool PreferIP4 = true;
  TSocketFamily Family = SF_Any;
  // ms for the name lookup, connecting, sending and the TLS handshake; 0: no limit
  int ConnectionTimeout = 0;
  // Runs between the slices of every wait (connecting, the TLS handshake, sending, receiving);
  // false stops the wait with LastError WSAECANCELLED. Empty: each wait is one poll.
  TWaitHook WaitHook;
  // How host names are looked up; empty: getaddrinfo.
  TResolver Resolver;
  // Bytes received but not yet consumed; every read takes from here first.
  std::string_view LineBuffer() const { return std::string_view(FBuffer).substr(FBufferPos); }

protected:
  void SetError(int code, std::string desc);
  // Records errno (as left by a failed system call) under the layer's numbers.
  void SetSystemError(int err);
  // Waits until the socket is readable (events POLLIN) or writable (POLLOUT), at most timeout ms
  // (negative: no limit), through WaitHook. False on time-out (LastError WSAETIMEDOUT), a stop by
  // the hook (WSAECANCELLED) or a poll failure.
  bool WaitFor(short events, int timeout);
  // The same wait on another descriptor.
  bool WaitOn(int fd, short events, int timeout);
  // The first address found for host and port, trying the families in turn; nullptr with
  // LastError set when none is (or the wait for it was stopped or ran out of time). numeric: host
  // is an address written out, read in place.
  addrinfo* Lookup(const std::string& host, const std::string& port, const int families[2],
                   int tries, bool numeric);
  // The raw socket operations underneath the TLS channel.
  int RawWaitingData();
  void RawClose();
  // Reads at most max of the bytes waiting into dest, first waiting up to FRecvTimeout for an
  // arrival when none are; drops the byte that completes a line end split across packets. The
  // count read, or 0 with LastError set on a time-out, the peer's close or an error.
  std::size_t ReadSome(char* dest, std::size_t max);
  // RecvPacket without the line buffer: waiting bytes, else the next arrival within FRecvTimeout.
  std::string ReadPacket();
  // Empties the line buffer and returns what it held.
  std::string TakeBuffer();
  void ClearBuffer() {
    FBuffer.clear();
    FBufferPos = 0;
  }

  int FSocket = -1;
  int FLastError = 0;
  std::string FLastErrorDesc;
  std::string FBuffer;  // the line buffer is FBuffer from FBufferPos on
  std::size_t FBufferPos = 0;
  int FRecvTimeout = 0;  // the limit of the read in progress
  bool FLastCR = false;  // the last line ended with a lone CR
  bool FLastLF = false;  // ... with a lone LF
  bool FPeerReset = false;
  TWaitResult FLastWait = TWaitResult::Ready;  // how the last CanRead ended
  int FLastWaitErrno = 0;
  bool FLastReadFull = false;  // the last read filled what it asked for
  // Where packets for lines and strings are received: a fixed buffer, so that no destination is
  // zero-filled before each read.
  std::unique_ptr<char[]> FScratch;
};

// The HTTP client's socket: a TBlockSocket whose sends and receives pass through the TLS plug-in
// once SSLDoConnect has succeeded.
class TTCPBlockSocket : public TBlockSocket {
public:
  TTCPBlockSocket();
  ~TTCPBlockSocket() override;

  void CloseSocket() override;
  int SendBuffer(const char* buffer, int length) override;
  int RecvBuffer(char* buffer, int length) override;
  int WaitingData() override;

  // Runs the TLS client handshake on the connected socket, bounded by ConnectionTimeout.
  // False with LastError WSASYSNOTREADY when TLS is unavailable or the handshake fails.
  virtual bool SSLDoConnect();
  TCustomSSL& SSL() { return *FSSL; }

private:
  // Records the plug-in's failure (result 0: the peer closed; below 0: an error) under the
  // layer's numbers.
  void TakeSSLError(int result);

  std::unique_ptr<TCustomSSL> FSSL;
};

}  // namespace brevak
