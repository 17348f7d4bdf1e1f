// The sliced socket wait. Tested by tests/net/blocksocket_test.cpp.
#include "net/socketwait.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace brevak {

namespace {

using Clock = std::chrono::steady_clock;

// When the hook last ran on this thread.
thread_local Clock::time_point gLastHook;

bool RunHook(const TWaitHook& hook) {
  gLastHook = Clock::now();
  return hook();
}

}  // namespace

bool PaceWaitHook(const TWaitHook& hook) {
  if (!hook || Clock::now() - gLastHook < std::chrono::milliseconds(kWaitSliceMs)) return true;
  return RunHook(hook);
}

TWaitResult WaitSocket(int fd, short events, int timeout, const TWaitHook& hook) {
  if (!PaceWaitHook(hook)) return TWaitResult::Stopped;
  const bool limited = timeout >= 0;
  const Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(limited ? timeout : 0);
  for (;;) {
    long long left = -1;
    if (limited)
      left = std::max<long long>(
          0,
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
    int slice = static_cast<int>(left);
    if (hook)
      slice = left < 0 ? kWaitSliceMs : static_cast<int>(std::min<long long>(left, kWaitSliceMs));
    pollfd p{fd, events, 0};
    int r = poll(&p, 1, slice);
    if (r > 0) return TWaitResult::Ready;
    if (r < 0 && errno != EINTR) return TWaitResult::Failed;
    if (r == 0 && limited && Clock::now() >= deadline) return TWaitResult::TimedOut;
    if (hook && !RunHook(hook)) return TWaitResult::Stopped;
  }
}

}  // namespace brevak
