// Runs an action when a scope ends, however it ends: the finally of a try block.
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
