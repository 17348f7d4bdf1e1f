// The one wait of the network layer: until a socket is ready, within a time limit, in short slices
// with a caller's hook between them (the window uses it to stay alive while a fetch waits).
// Tested by tests/net/blocksocket_test.cpp.
#pragma once

#include <functional>

namespace brevak {

// Called between the slices of a wait; false stops the wait.
using TWaitHook = std::function<bool()>;

enum class TWaitResult { Ready, TimedOut, Stopped, Failed };

// The longest slice of a wait that has a hook, in ms.
inline constexpr int kWaitSliceMs = 50;

// Waits until fd is ready for events (POLLIN, POLLOUT), at most timeout ms (negative: no limit).
// With a hook the wait is cut into slices of at most kWaitSliceMs and the hook runs after each
// slice that found the socket not ready, and on entry when it last ran kWaitSliceMs ago or more.
// A signal only restarts the slice. TWaitResult::Failed leaves errno as poll left it.
TWaitResult WaitSocket(int fd, short events, int timeout, const TWaitHook& hook);

// Runs hook when it last ran (on this thread) kWaitSliceMs ago or more, so that a transfer whose
// data never makes it wait (a fast body, a steady trickle) still lets the hook run; true when
// there is no hook, it did not run, or it said go on.
bool PaceWaitHook(const TWaitHook& hook);

}  // namespace brevak
