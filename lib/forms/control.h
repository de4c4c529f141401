// The base of every control: a window handle with the few members the forms use.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

class TForm;

class TControl {
public:
  TControl(TForm& Form, std::string Name, HWND Handle);
  virtual ~TControl();
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  HWND Handle() const { return FHandle; }
  const std::string& Name() const { return FName; }
  TForm& Form() const { return FForm; }

  bool Enabled() const { return IsWindowEnabled(FHandle) != FALSE; }
  virtual void SetEnabled(bool Value);
  // The control's own visible flag, whatever its container shows.
  bool Visible() const { return (GetWindowLongA(FHandle, GWL_STYLE) & WS_VISIBLE) != 0; }
  virtual void SetVisible(bool Value);
  std::string Text() const;
  virtual void SetText(const std::string& Value);
  void SetHint(const std::string& Value);
  void Invalidate() { InvalidateRect(FHandle, nullptr, TRUE); }
  // Paints now, not at the next idle moment.
  void Repaint() { RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN); }
  void SetFocus() { ::SetFocus(FHandle); }
  // New bounds in the container's client coordinates (a descendant form moves its base's controls).
  virtual void SetPlace(int X, int Y, int Width, int Height);

  // Colours of an edit or label; CLR_INVALID = the system's.
  void SetColor(COLORREF Background);
  HBRUSH ControlColor(HDC Dc);

  // Notifications that reach the form for this control.
  virtual void Command(WORD /*Code*/) {}
  virtual LRESULT Notify(NMHDR& /*Header*/) { return 0; }
  virtual void DrawItem(DRAWITEMSTRUCT& /*Item*/) {}

  // Click of a button or box, change of a list: set by the form's table.
  std::function<void()> OnClick;

  // The control object behind a window handle of ours; nullptr for others.
  static TControl* FromHandle(HWND Handle);

protected:
  void Attach(HWND Handle);  // tags a window (a spin edit's arrows) as part of this control
  void RunOnClick() { if (OnClick) { OnClick(); } }

private:
  TForm& FForm;
  std::string FName;
  HWND FHandle;
  COLORREF FBackground = CLR_INVALID;
  HBRUSH FBrush = nullptr;
};
