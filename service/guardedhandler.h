// An event handler that one thread sets and clears while another calls it.
#pragma once
#include <functional>
#include <type_traits>
#include <utility>

#include "rtl/sync.h"

// Set and Call take the same lock, and Call holds it while the handler runs: once
// Set(nullptr) has returned, the old handler is not running and never runs again.
// Hence whoever calls Set must not hold a lock that the handler takes (the handler
// itself may call Set: the lock is re-entrant on its own thread).
// A handler's exception is swallowed: the calling thread must go on serving.
template <class Signature>
class TGuardedHandler;

template <class R, class... A>
class TGuardedHandler<R(A...)> {
public:
  using THandler = std::function<R(A...)>;
  using TResult = std::conditional_t<std::is_void_v<R>, bool, R>;  // never void, even where unused

  void Set(THandler Handler) {
    TLockGuard Guard(FLock);
    FHandler = std::move(Handler);
  }

  // False when no handler is set or it raised.
  bool Call(A... Args)
    requires std::is_void_v<R>
  {
    TLockGuard Guard(FLock);
    if (!FHandler) { return false; }
    try {
      FHandler(std::forward<A>(Args)...);
      return true;
    } catch (...) {
      return false;
    }
  }

  // False when no handler is set or it raised; else Result holds its result.
  bool Call(TResult& Result, A... Args)
    requires(!std::is_void_v<R>)
  {
    TLockGuard Guard(FLock);
    if (!FHandler) { return false; }
    try {
      Result = FHandler(std::forward<A>(Args)...);
      return true;
    } catch (...) {
      return false;
    }
  }

private:
  TCriticalSection FLock;
  THandler FHandler;
};
