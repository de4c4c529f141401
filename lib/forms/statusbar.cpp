#include "forms/statusbar.h"

#include <commctrl.h>

void TStatusBar::SetPanels(const std::vector<int>& Widths) {
  std::vector<int> Edges;
  int Right = 0;
  for (size_t Index = 0; Index < Widths.size(); ++Index) {
    Right += Widths[Index];
    Edges.push_back(Index + 1 == Widths.size() ? -1 : Right);
  }
  SendMessageA(Handle(), SB_SETPARTS, Edges.size(), reinterpret_cast<LPARAM>(Edges.data()));
  FTexts.assign(Widths.size(), "");
  FOwnerDraw.assign(Widths.size(), false);
  FRightAligned.assign(Widths.size(), false);
}

std::string TStatusBar::PanelText(int Panel) const {
  return Panel >= 0 && Panel < static_cast<int>(FTexts.size()) ? FTexts[Panel] : "";
}

void TStatusBar::SetPanelText(int Panel, const std::string& Value, bool RightAligned) {
  if (Panel < 0 || Panel >= static_cast<int>(FTexts.size())) { return; }
  // A timer sets the same text again and again; only a change goes to the bar.
  if (FTexts[Panel] == Value && FRightAligned[Panel] == RightAligned) { return; }
  FTexts[Panel] = Value;
  FRightAligned[Panel] = RightAligned;
  // Two tabs put a status bar text to the right of its panel.
  const std::string Shown = (RightAligned ? "\t\t" : "") + Value;
  SendMessageA(Handle(), SB_SETTEXTA, Panel | (RightAligned ? SBT_NOBORDERS : 0),
               reinterpret_cast<LPARAM>(Shown.c_str()));
}

void TStatusBar::SetOwnerDraw(int Panel) {
  FOwnerDraw[Panel] = true;
  SendMessageA(Handle(), SB_SETTEXTA, Panel | SBT_OWNERDRAW | SBT_NOBORDERS, 0);
}

void TStatusBar::SetSimple(const std::string& Value) {
  SendMessageA(Handle(), SB_SIMPLE, TRUE, 0);
  SendMessageA(Handle(), SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(Value.c_str()));
}

void TStatusBar::DrawItem(DRAWITEMSTRUCT& Item) {
  if (OnDrawPanel) { OnDrawPanel(*this, static_cast<int>(Item.itemID), Item.hDC, Item.rcItem); }
}

void TStatusBar::SetPlace(int /*X*/, int /*Y*/, int /*Width*/, int /*Height*/) { SendMessageA(Handle(), WM_SIZE, 0, 0); }
