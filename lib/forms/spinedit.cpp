#include "forms/spinedit.h"

#include <commctrl.h>

#include <algorithm>

#include "rtl/strings.h"

TSpinEdit::TSpinEdit(TForm& Form, std::string Name, HWND Edit, HWND Arrows)
    : TControl(Form, std::move(Name), Edit), FArrows(Arrows) {
  Attach(Arrows);
  SendMessageA(FArrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Edit), 0);
  SetBounds(FMinValue, FMaxValue);
}

void TSpinEdit::SetBounds(int32_t MinValue, int32_t MaxValue) {
  FMinValue = MinValue;
  FMaxValue = MaxValue;
  SendMessageA(FArrows, UDM_SETRANGE32, MinValue, MaxValue);
}

int32_t TSpinEdit::Value() const {
  int32_t Result;
  return TryStrToInt(Text(), Result) ? Result : FMinValue;
}

void TSpinEdit::SetValue(int32_t NewValue) {
  NewValue = std::clamp(NewValue, FMinValue, FMaxValue);
  SetText(IntToStr(NewValue));
  SendMessageA(FArrows, UDM_SETPOS32, 0, NewValue);
}

void TSpinEdit::Command(WORD Code) {
  if (Code == EN_KILLFOCUS && std::clamp(Value(), FMinValue, FMaxValue) != Value()) { SetValue(Value()); }
}

void TSpinEdit::SetPlace(int X, int Y, int Width, int Height) {
  TControl::SetPlace(X, Y, Width, Height);
  SendMessageA(FArrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Handle()), 0);
}

void TSpinEdit::SetEnabled(bool Value) {
  TControl::SetEnabled(Value);
  EnableWindow(FArrows, Value);
}

void TSpinEdit::SetVisible(bool Value) {
  TControl::SetVisible(Value);
  ShowWindow(FArrows, Value ? SW_SHOWNA : SW_HIDE);
}
