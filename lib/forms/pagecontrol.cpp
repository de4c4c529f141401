#include "forms/pagecontrol.h"

#include <commctrl.h>

TTabSheet::TTabSheet(TForm& Form, std::string Name, HWND Handle, TPageControl& Pages)
    : TControl(Form, std::move(Name), Handle), FPages(Pages) {}

void TTabSheet::SetText(const std::string& Value) {
  TControl::SetText(Value);
  FPages.SetPageText(PageIndex(), Value);
}

int TTabSheet::PageIndex() const { return FPages.IndexOf(*this); }

void TPageControl::AddPage(TTabSheet& Page) {
  TCITEMA Item{};
  Item.mask = TCIF_TEXT;
  std::string Caption = Page.Text();
  Item.pszText = Caption.data();
  SendMessageA(Handle(), TCM_INSERTITEMA, FPages.size(), reinterpret_cast<LPARAM>(&Item));
  FPages.push_back(&Page);
  Realign();
  ShowActivePage();
}

void TPageControl::SetPlace(int X, int Y, int Width, int Height) {
  TControl::SetPlace(X, Y, Width, Height);
  Realign();
}

int TPageControl::IndexOf(const TTabSheet& Page) const {
  for (size_t Index = 0; Index < FPages.size(); ++Index) {
    if (FPages[Index] == &Page) { return static_cast<int>(Index); }
  }
  return -1;
}

int TPageControl::ActivePageIndex() const { return static_cast<int>(SendMessageA(Handle(), TCM_GETCURSEL, 0, 0)); }

void TPageControl::SetActivePageIndex(int Index) {
  SendMessageA(Handle(), TCM_SETCURSEL, Index, 0);
  ShowActivePage();
}

void TPageControl::SetPageText(int Index, const std::string& Value) {
  if (Index < 0) { return; }
  TCITEMA Item{};
  Item.mask = TCIF_TEXT;
  std::string Caption = Value;
  Item.pszText = Caption.data();
  SendMessageA(Handle(), TCM_SETITEMA, Index, reinterpret_cast<LPARAM>(&Item));
}

void TPageControl::Realign() {
  RECT Area;
  GetClientRect(Handle(), &Area);
  SendMessageA(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&Area));
  for (TTabSheet* Page : FPages) {
    MoveWindow(Page->Handle(), Area.left, Area.top, Area.right - Area.left, Area.bottom - Area.top, TRUE);
  }
}

LRESULT TPageControl::Notify(NMHDR& Header) {
  if (Header.code == TCN_SELCHANGE) { ShowActivePage(); }
  return 0;
}

void TPageControl::ShowActivePage() {
  const int Active = ActivePageIndex();
  for (int Index = 0; Index < PageCount(); ++Index) { FPages[Index]->SetVisible(Index == Active); }
}
