#include "forms/control.h"

#include "forms/form.h"

namespace {
const char ObjectProp[] = "TControlObject";
// Lets a test probe in another process find a control by its component name.
const char NameProp[] = "ControlName";
}  // namespace

TControl::TControl(TForm& Form, std::string Name, HWND Handle)
    : FForm(Form), FName(std::move(Name)), FHandle(Handle) {
  Attach(Handle);
  SetPropA(Handle, NameProp, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(GlobalAddAtomA(FName.c_str()))));
}

TControl::~TControl() {
  if (const ATOM Name = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(RemovePropA(FHandle, NameProp)))) {
    GlobalDeleteAtom(Name);
  }
  RemovePropA(FHandle, ObjectProp);
  if (FBrush) { DeleteObject(FBrush); }
}

void TControl::Attach(HWND Handle) { SetPropA(Handle, ObjectProp, this); }

TControl* TControl::FromHandle(HWND Handle) {
  return Handle ? static_cast<TControl*>(GetPropA(Handle, ObjectProp)) : nullptr;
}

void TControl::SetEnabled(bool Value) {
  if (Enabled() != Value) { EnableWindow(FHandle, Value); }
}

void TControl::SetVisible(bool Value) { ShowWindow(FHandle, Value ? SW_SHOWNA : SW_HIDE); }

std::string TControl::Text() const {
  std::string Result(GetWindowTextLengthA(FHandle) + 1, '\0');
  Result.resize(GetWindowTextA(FHandle, Result.data(), static_cast<int>(Result.size())));
  return Result;
}

void TControl::SetText(const std::string& Value) { SetWindowTextA(FHandle, Value.c_str()); }

void TControl::SetPlace(int X, int Y, int Width, int Height) { MoveWindow(FHandle, X, Y, Width, Height, TRUE); }

void TControl::SetHint(const std::string& Value) { FForm.SetHint(FHandle, Value); }

void TControl::SetColor(COLORREF Background) {
  if (Background == FBackground) { return; }
  FBackground = Background;
  if (FBrush) { DeleteObject(FBrush); }
  FBrush = Background == CLR_INVALID ? nullptr : CreateSolidBrush(Background);
  Invalidate();
}

HBRUSH TControl::ControlColor(HDC Dc) {
  if (!FBrush) { return nullptr; }
  SetBkColor(Dc, FBackground);
  return FBrush;
}
