// Runs an action when a scope ends, however it ends: the finally of a try block.
// The action must not throw: it runs in a destructor, where an exception ends
// the program. Clean-up that can raise is written out in a catch and after it.
#pragma once
#include <utility>

template <class F>
class TScopeExit {
public:
  explicit TScopeExit(F Action) : FAction(std::move(Action)) {}
  ~TScopeExit() { FAction(); }
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;

private:
  F FAction;
};
