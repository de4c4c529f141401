// A whole-number edit with up and down arrows, held within its bounds.
#pragma once
#include <cstdint>

#include "forms/control.h"

class TSpinEdit : public TControl {
public:
  TSpinEdit(TForm& Form, std::string Name, HWND Edit, HWND Arrows);
  void SetBounds(int32_t MinValue, int32_t MaxValue);
  int32_t MinValue() const { return FMinValue; }
  int32_t MaxValue() const { return FMaxValue; }
  // The whole number the text holds, unclamped; the lower bound when it holds none.
  int32_t Value() const;
  // Clamped to the bounds.
  void SetValue(int32_t NewValue);
  // A typed value is clamped when the edit loses the focus.
  void Command(WORD Code) override;
  void SetEnabled(bool Value) override;
  void SetVisible(bool Value) override;
  // The arrows follow the edit.
  void SetPlace(int X, int Y, int Width, int Height) override;

private:
  HWND FArrows;
  int32_t FMinValue = 0;
  int32_t FMaxValue = 100;
};
