// A status bar of panels; a panel may be drawn by the form (OnDrawPanel).
#pragma once
#include <functional>
#include <vector>

#include "forms/control.h"

class TStatusBar : public TControl {
public:
  using TControl::TControl;
  // Widths from the left; the last panel takes the rest.
  void SetPanels(const std::vector<int>& Widths);
  std::string PanelText(int Panel) const;
  void SetPanelText(int Panel, const std::string& Value, bool RightAligned = false);
  void SetOwnerDraw(int Panel);
  // One panel across the whole bar.
  void SetSimple(const std::string& Value);
  void DrawItem(DRAWITEMSTRUCT& Item) override;
  // The bar keeps to the bottom of its container at its own height, whatever the bounds.
  void SetPlace(int X, int Y, int Width, int Height) override;

  std::function<void(TStatusBar& Bar, int Panel, HDC Canvas, const RECT& Rect)> OnDrawPanel;

private:
  std::vector<std::string> FTexts;
  std::vector<bool> FOwnerDraw;
  std::vector<bool> FRightAligned;
};
