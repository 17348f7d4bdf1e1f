// TBlockSocket and TTCPBlockSocket on POSIX sockets. The socket is non-blocking once created, so
// that every wait (connecting, sending, each packet) is a poll with a time limit.
// Tested by tests/net/blocksocket_test.cpp.
#include "net/blocksocket.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#include "net/sslplugin.h"

namespace brevak {
namespace {

constexpr int kMaxWaiting = 65536;
// The most one read asks for when it has room for more.
constexpr std::size_t kMaxRead = std::size_t(1) << 20;

// A peer that goes away while we write must not end the process: writes report EPIPE instead.
void IgnoreBrokenPipe() {
  static std::once_flag once;
  std::call_once(once, [] { std::signal(SIGPIPE, SIG_IGN); });
}

// Four decimal parts of 0 to 255, digits only.
bool IsIP4Literal(const std::string& host) {
  int parts = 0;
  std::size_t i = 0;
  while (i <= host.size()) {
    std::size_t j = i;
    int value = 0;
    while (j < host.size() && host[j] >= '0' && host[j] <= '9' && j - i < 3)
      value = value * 10 + (host[j++] - '0');
    if (j == i || value > 255) return false;
    ++parts;
    if (j == host.size()) break;
    if (host[j] != '.') return false;
    i = j + 1;
  }
  return parts == 4;
}

int MapErrno(int err) {
  switch (err) {
    case ECONNRESET:
    case EPIPE:
    case ECONNABORTED:
      return WSAECONNRESET;
    case ETIMEDOUT:
      return WSAETIMEDOUT;
    case ECONNREFUSED:
      return WSAECONNREFUSED;
    case ENETUNREACH:
      return WSAENETUNREACH;
    case EHOSTUNREACH:
      return WSAEHOSTUNREACH;
    case ENOTCONN:
      return WSAENOTCONN;
    case ENOMEM:
    case ENOBUFS:
      return WSAENOBUFS;
    default:
      return 10000 + err;
  }
}

bool WouldBlock(int err) { return err == EAGAIN || err == EWOULDBLOCK || err == EINPROGRESS; }

}  // namespace

TBlockSocket::TBlockSocket() { IgnoreBrokenPipe(); }

TBlockSocket::~TBlockSocket() { RawClose(); }

void TBlockSocket::SetError(int code, std::string desc) {
  FLastError = code;
  FLastErrorDesc = std::move(desc);
  FPeerReset = false;
}

void TBlockSocket::SetSystemError(int err) {
  SetError(MapErrno(err), std::strerror(err));
  FPeerReset = err == ECONNRESET;
}

bool TBlockSocket::WaitFor(short events, int timeout) { return WaitOn(FSocket, events, timeout); }

bool TBlockSocket::WaitOn(int fd, short events, int timeout) {
  switch (WaitSocket(fd, events, timeout, WaitHook)) {
    case TWaitResult::Ready:
      return true;
    case TWaitResult::TimedOut:
      SetError(WSAETIMEDOUT, "timed out");
      return false;
    case TWaitResult::Stopped:
      SetError(WSAECANCELLED, "stopped");
      return false;
    case TWaitResult::Failed:
      SetSystemError(errno);
      return false;
  }
  return false;
}

namespace {

// One name lookup, run on a thread of its own so that its wait can be sliced like any other: the
// thread and the waiting socket share it, and whichever lets go of it last frees it, so a lookup
// the socket stopped waiting for finishes and cleans up by itself.
struct TLookup {
  TResolver Resolve;
  std::string Host;
  std::string Port;
  int Families[2] = {AF_INET, AF_INET6};
  int Tries = 0;
  int Flags = 0;  // for the hints
  addrinfo* Found = nullptr;
  int Error = 0;
  std::atomic<bool> Done{false};
  int Ready = -1;  // an eventfd, readable once Done

  TLookup() = default;
  TLookup(const TLookup&) = delete;
  TLookup& operator=(const TLookup&) = delete;
  ~TLookup() {
    if (Found) freeaddrinfo(Found);
    if (Ready >= 0) close(Ready);
  }

  void Run() {
    for (int i = 0; i < Tries && !Found; ++i) {
      addrinfo hints{};
      hints.ai_family = Families[i];
      hints.ai_socktype = SOCK_STREAM;
      hints.ai_protocol = IPPROTO_TCP;
      hints.ai_flags = Flags;
      Error = Resolve && Flags == 0 ? Resolve(Host, Port, hints, &Found)
                                    : getaddrinfo(Host.c_str(), Port.c_str(), &hints, &Found);
      if (Error != 0) Found = nullptr;
    }
    Done.store(true, std::memory_order_release);
    const uint64_t one = 1;
    while (Ready >= 0 && write(Ready, &one, sizeof one) < 0 && errno == EINTR) {}
  }
};

}  // namespace

addrinfo* TBlockSocket::Lookup(const std::string& host, const std::string& port,
                               const int families[2], int tries, bool numeric) {
  auto lookup = std::make_shared<TLookup>();
  lookup->Resolve = Resolver;
  lookup->Host = host;
  lookup->Port = port;
  lookup->Families[0] = families[0];
  lookup->Families[1] = families[1];
  lookup->Tries = tries;
  if (numeric) {
    // An address written out is read without asking anyone: no wait, no thread.
    lookup->Flags = AI_NUMERICHOST;
    lookup->Run();
  } else {
    lookup->Ready = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (lookup->Ready < 0) {
      SetSystemError(errno);
      return nullptr;
    }
    try {
      std::thread([lookup] { lookup->Run(); }).detach();
    } catch (const std::system_error& e) {
      SetSystemError(e.code().value());
      return nullptr;
    }
    // Stopped or out of time: the lookup goes on alone and frees what it finds.
    if (!WaitOn(lookup->Ready, POLLIN, ConnectionTimeout > 0 ? ConnectionTimeout : -1))
      return nullptr;
  }
  if (!lookup->Done.load(std::memory_order_acquire) || !lookup->Found) {
    SetError(WSAHOST_NOT_FOUND, gai_strerror(lookup->Error));
    return nullptr;
  }
  return std::exchange(lookup->Found, nullptr);
}

void TBlockSocket::Connect(const std::string& host, const std::string& port) {
  ResetLastError();
  RawClose();
  ClearBuffer();
  FLastCR = FLastLF = FLastReadFull = false;

  const bool ip4Literal = IsIP4Literal(host);
  const bool ip6Literal = !ip4Literal && host.find(':') != std::string::npos;
  TSocketFamily family = Family;
  if (family == SF_Any) {
    if (ip4Literal)
      family = SF_IP4;
    else if (ip6Literal)
      family = SF_IP6;
  }
  int order[2] = {AF_INET, AF_INET6};
  int tries = 2;
  if (family == SF_IP4)
    tries = 1;
  else if (family == SF_IP6) {
    order[0] = AF_INET6;
    tries = 1;
  } else if (!PreferIP4)
    std::swap(order[0], order[1]);

  addrinfo* found = Lookup(host, port, order, tries, ip4Literal || ip6Literal);
  if (!found) return;
  FSocket = socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                   found->ai_protocol);
  if (FSocket < 0) {
    SetSystemError(errno);
    freeaddrinfo(found);
    return;
  }
  int r = connect(FSocket, found->ai_addr, found->ai_addrlen);
  int err = errno;
  freeaddrinfo(found);
  if (r < 0 && !WouldBlock(err)) {
    SetSystemError(err);
    RawClose();
    return;
  }
  if (r < 0) {
    if (!WaitFor(POLLOUT, ConnectionTimeout > 0 ? ConnectionTimeout : -1)) {
      RawClose();
      return;
    }
    socklen_t len = sizeof err;
    if (getsockopt(FSocket, SOL_SOCKET, SO_ERROR, &err, &len) < 0) err = errno;
    if (err != 0) {
      SetSystemError(err);
      RawClose();
    }
  }
}

int TBlockSocket::SendBuffer(const char* buffer, int length) {
  if (FSocket < 0) {
    SetError(WSAENOTCONN, "not connected");
    return -1;
  }
  for (;;) {
    ssize_t r = send(FSocket, buffer, static_cast<std::size_t>(length), MSG_NOSIGNAL);
    if (r >= 0) return static_cast<int>(r);
    int err = errno;
    if (err == EINTR) continue;
    if (!WouldBlock(err)) {
      SetSystemError(err);
      return -1;
    }
    if (!WaitFor(POLLOUT, ConnectionTimeout > 0 ? ConnectionTimeout : -1)) return -1;
  }
}

void TBlockSocket::SendString(std::string_view data) {
  ResetLastError();
  while (!data.empty()) {
    int piece = static_cast<int>(
        std::min<std::size_t>(data.size(), static_cast<std::size_t>(SendMaxChunk)));
    int sent = SendBuffer(data.data(), piece);
    if (sent <= 0) {
      if (FLastError == 0) SetError(WSAECONNRESET, "connection closed by the peer");
      return;
    }
    data.remove_prefix(static_cast<std::size_t>(sent));
  }
}

int TBlockSocket::RecvBuffer(char* buffer, int length) {
  if (FSocket < 0) {
    SetError(WSAENOTCONN, "not connected");
    return -1;
  }
  for (;;) {
    ssize_t r = recv(FSocket, buffer, static_cast<std::size_t>(length), 0);
    if (r > 0) return static_cast<int>(r);
    if (r == 0) {
      SetError(WSAECONNRESET, "connection closed by the peer");
      return 0;
    }
    int err = errno;
    if (err == EINTR) continue;
    if (!WouldBlock(err)) {
      SetSystemError(err);
      return -1;
    }
    if (!WaitFor(POLLIN, FRecvTimeout > 0 ? FRecvTimeout : -1)) return -1;
  }
}

int TBlockSocket::RawWaitingData() {
  if (FSocket < 0) return 0;
  int count = 0;
  if (ioctl(FSocket, FIONREAD, &count) < 0) return 0;
  return std::min(count, kMaxWaiting);
}

int TBlockSocket::WaitingData() { return RawWaitingData(); }

bool TBlockSocket::CanRead(int timeout) {
  if (FSocket < 0) return false;
  FLastWait = WaitSocket(FSocket, POLLIN, timeout, WaitHook);
  FLastWaitErrno = errno;
  return FLastWait == TWaitResult::Ready;
}

std::string TBlockSocket::TakeBuffer() {
  std::string rest = FBufferPos == 0 ? std::move(FBuffer) : FBuffer.substr(FBufferPos);
  ClearBuffer();
  return rest;
}

std::size_t TBlockSocket::ReadSome(char* dest, std::size_t max) {
  if (!IsOpen()) {
    SetError(WSAENOTCONN, "not connected");
    return 0;
  }
  for (;;) {
    if (!PaceWaitHook(WaitHook)) {
      SetError(WSAECANCELLED, "stopped");
      return 0;
    }
    // Nothing waiting: wait for an arrival (or the peer's close or reset, which the read below
    // tells apart). After a read that filled the buffer more is most likely waiting, so the read
    // is tried at once; it still waits by itself when nothing is there.
    if (!FLastReadFull && WaitingData() == 0) {
      FLastWait = TWaitResult::TimedOut;
      if (!CanRead(FRecvTimeout)) {
        if (FLastWait == TWaitResult::Stopped)
          SetError(WSAECANCELLED, "stopped");
        else if (FLastWait == TWaitResult::Failed)
          SetSystemError(FLastWaitErrno);
        else
          SetError(WSAETIMEDOUT, "timed out");
        return 0;
      }
    }
    const std::size_t count = std::min<std::size_t>(max, kMaxRead);
    const int got = RecvBuffer(dest, static_cast<int>(count));
    FLastReadFull = got == static_cast<int>(count);
    if (got <= 0 || FLastError != 0) {
      if (FLastError == 0) SetError(WSAECONNRESET, "connection closed by the peer");
      return 0;
    }
    auto n = static_cast<std::size_t>(got);
    // Drops the byte that completes a line end split across packets.
    const bool partner = (FLastCR && dest[0] == '\n') || (FLastLF && dest[0] == '\r');
    FLastCR = FLastLF = false;
    if (partner) std::memmove(dest, dest + 1, --n);
    if (n > 0) return n;
  }
}

std::size_t TBlockSocket::RecvSome(char* dest, std::size_t max, int timeout) {
  ResetLastError();
  FRecvTimeout = timeout;
  if (max == 0) return 0;
  std::string_view pending = LineBuffer().substr(0, max);
  if (!pending.empty()) {
    std::memcpy(dest, pending.data(), pending.size());
    FBufferPos += pending.size();
    if (FBufferPos == FBuffer.size()) ClearBuffer();
    return pending.size();
  }
  return ReadSome(dest, max);
}

std::string TBlockSocket::ReadPacket() {
  if (!FScratch) FScratch = std::make_unique<char[]>(kMaxWaiting);
  return std::string(FScratch.get(), ReadSome(FScratch.get(), kMaxWaiting));
}

std::string TBlockSocket::RecvPacket(int timeout) {
  ResetLastError();
  FRecvTimeout = timeout;
  try {
    if (FBufferPos < FBuffer.size()) return TakeBuffer();
    return ReadPacket();
  } catch (const std::bad_alloc&) {
    SetError(WSAENOBUFS, "out of memory");
    return {};
  }
}

std::string TBlockSocket::RecvString(int timeout) {
  ResetLastError();
  FRecvTimeout = timeout;
  std::size_t scanned = 0;  // bytes of the line buffer known to hold no line end
  try {
    for (;;) {
      std::string_view pending = LineBuffer();
      std::size_t p;
      std::size_t next;
      if (ConvertLineEnd) {
        p = pending.find_first_of("\r\n", scanned);
        next = p + 1;
        if (p != std::string_view::npos) {
          if (next == pending.size()) {
            // A lone CR or LF ends what arrived so far: its partner may open the next packet.
            (pending[p] == '\r' ? FLastCR : FLastLF) = true;
          } else if (pending[next] != pending[p] &&
                     (pending[next] == '\r' || pending[next] == '\n')) {
            ++next;
          }
        }
      } else {
        // Only CR LF ends a line.
        p = pending.find("\r\n", scanned > 0 ? scanned - 1 : 0);
        next = p + 2;
      }
      std::size_t length = p == std::string_view::npos ? pending.size() : p;
      if (MaxLineLength > 0 && length > static_cast<std::size_t>(MaxLineLength)) {
        SetError(WSAEMSGSIZE, "line too long");
        return {};
      }
      if (p != std::string_view::npos) {
        std::string line(pending.substr(0, p));
        FBufferPos += next;
        if (FBufferPos == FBuffer.size()) ClearBuffer();
        return line;
      }
      scanned = pending.size();
      std::string packet = ReadPacket();
      if (FLastError != 0) return {};
      if (FBufferPos > 0) {
        FBuffer.erase(0, FBufferPos);
        FBufferPos = 0;
      }
      FBuffer += packet;
    }
  } catch (const std::bad_alloc&) {
    SetError(WSAENOBUFS, "out of memory");
    return {};
  }
}

std::string TBlockSocket::RecvBufferStr(int64_t length, int timeout) {
  ResetLastError();
  FRecvTimeout = timeout;
  std::string result;
  try {
    std::size_t want = static_cast<std::size_t>(std::max<int64_t>(length, 0));
    std::string_view pending = LineBuffer();
    if (pending.size() >= want) {
      result.assign(pending.substr(0, want));
      FBufferPos += want;
      if (FBufferPos == FBuffer.size()) ClearBuffer();
      return result;
    }
    result = TakeBuffer();
    while (result.size() < want) {
      std::string packet = ReadPacket();
      if (FLastError != 0) return {};
      if (result.empty())
        result.swap(packet);
      else
        result += packet;
    }
    if (result.size() > want) {
      FBuffer.assign(result, want);
      result.resize(want);
    }
  } catch (const std::bad_alloc&) {
    SetError(WSAENOBUFS, "out of memory");
    return {};
  }
  return result;
}

void TBlockSocket::RecvStreamSize(TMemoryStream& stream, int timeout, int64_t size) {
  ResetLastError();
  const std::size_t start = stream.Size();
  try {
    if (size <= 0) return;
    stream.ReserveMore(static_cast<std::size_t>(size));
    // Received straight into the stream's room, which is not filled before.
    auto left = static_cast<std::size_t>(size);
    while (left > 0) {
      const std::size_t got = RecvSome(stream.Tail(), left, timeout);
      if (got == 0) {
        stream.Truncate(start);
        return;
      }
      stream.Extend(got);
      left -= got;
    }
  } catch (const std::bad_alloc&) {
    stream.Truncate(start);
    SetError(WSAENOBUFS, "out of memory");
  }
}

void TBlockSocket::RawClose() {
  if (FSocket < 0) return;
  if (FLastError == 0) {
    // Tell the peer we are done, then throw away what it had already sent.
    shutdown(FSocket, SHUT_WR);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    char sink[4096];
    for (int i = 0; i < 64 && recv(FSocket, sink, sizeof sink, 0) > 0; ++i) {}
  }
  close(FSocket);
  FSocket = -1;
}

void TBlockSocket::CloseSocket() { RawClose(); }

TTCPBlockSocket::TTCPBlockSocket() : FSSL(NewSSLPlugin()) { FSSL->WaitHook = &WaitHook; }

TTCPBlockSocket::~TTCPBlockSocket() { TTCPBlockSocket::CloseSocket(); }

void TTCPBlockSocket::CloseSocket() {
  if (FSSL->SSLEnabled) FSSL->Shutdown();
  RawClose();
}

void TTCPBlockSocket::TakeSSLError(int result) {
  // The peer's close-notify (or its TCP close, which counts the same) ends the stream as a TCP
  // close would; so does a reset, which the HTTP layer names as such.
  if (result == 0) {
    SetError(WSAECONNRESET, "connection closed by the peer");
  } else if (FSSL->TimedOut()) {
    SetError(WSAETIMEDOUT, FSSL->LastErrorDesc);
  } else if (FSSL->Stopped()) {
    SetError(WSAECANCELLED, FSSL->LastErrorDesc);
  } else if (FSSL->PeerReset()) {
    SetSystemError(ECONNRESET);
  } else {
    SetError(WSASYSNOTREADY, FSSL->LastErrorDesc);
  }
}

int TTCPBlockSocket::SendBuffer(const char* buffer, int length) {
  if (!FSSL->SSLEnabled) return TBlockSocket::SendBuffer(buffer, length);
  int r = FSSL->SendBuffer(buffer, length, ConnectionTimeout);
  if (r <= 0) TakeSSLError(r);
  return r;
}

int TTCPBlockSocket::RecvBuffer(char* buffer, int length) {
  if (!FSSL->SSLEnabled) return TBlockSocket::RecvBuffer(buffer, length);
  int r = FSSL->RecvBuffer(buffer, length, FRecvTimeout);
  if (r <= 0) TakeSSLError(r);
  return r;
}

int TTCPBlockSocket::WaitingData() {
  if (FSSL->SSLEnabled) {
    int pending = FSSL->WaitingData();
    if (pending > 0) return std::min(pending, kMaxWaiting);
  }
  return RawWaitingData();
}

bool TTCPBlockSocket::SSLDoConnect() {
  ResetLastError();
  if (FSSL->Connect(FSocket, ConnectionTimeout)) return true;
  SetError(FSSL->Stopped() ? WSAECANCELLED : WSASYSNOTREADY, FSSL->LastErrorDesc);
  return false;
}

}  // namespace brevak
