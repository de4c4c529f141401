// Owners of Win32 handles: each closes its handle once, when it goes, so that no
// path out of a function (a return, an exception) leaves one open.
#pragma once
#include <windows.h>

#include <utility>

// Handle: the handle type; Invalid: the value that means "none"; Close: its closer.
template <class Handle, class Closer>
class TOwnedHandle {
public:
  TOwnedHandle() = default;
  explicit TOwnedHandle(Handle Value) : FValue(Value) {}
  ~TOwnedHandle() { Reset(); }
  TOwnedHandle(TOwnedHandle&& Other) noexcept : FValue(std::exchange(Other.FValue, Closer::Invalid())) {}
  TOwnedHandle& operator=(TOwnedHandle&& Other) noexcept {
    if (this != &Other) { Reset(std::exchange(Other.FValue, Closer::Invalid())); }
    return *this;
  }
  TOwnedHandle(const TOwnedHandle&) = delete;
  TOwnedHandle& operator=(const TOwnedHandle&) = delete;

  Handle Get() const { return FValue; }
  bool Valid() const { return FValue != Closer::Invalid(); }
  // Closes the handle held (if any) and takes Value.
  void Reset(Handle Value = Closer::Invalid()) {
    if (Valid()) { Closer::Close(FValue); }
    FValue = Value;
  }

private:
  Handle FValue = Closer::Invalid();
};

struct TKernelHandleCloser {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE Value) { CloseHandle(Value); }
};
// Closed the same way; only "none" differs.
struct TObjectHandleCloser : TKernelHandleCloser {
  static HANDLE Invalid() { return nullptr; }
};
struct TFindHandleCloser {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE Value) { FindClose(Value); }
};
struct TServiceHandleCloser {
  static SC_HANDLE Invalid() { return nullptr; }
  static void Close(SC_HANDLE Value) { CloseServiceHandle(Value); }
};

// A file, pipe or other kernel object that CreateFile and its kind give back
// (INVALID_HANDLE_VALUE for none).
using THandle = TOwnedHandle<HANDLE, TKernelHandleCloser>;
// A token, event or other kernel object whose creator gives back null for none.
using TObjectHandle = TOwnedHandle<HANDLE, TObjectHandleCloser>;
// A handle of the service control manager or of one of its services (null for none).
using TServiceHandle = TOwnedHandle<SC_HANDLE, TServiceHandleCloser>;
