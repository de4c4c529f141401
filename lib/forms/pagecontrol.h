// Pages under tabs: the tab control shows the page of the selected tab.
#pragma once
#include <vector>

#include "forms/control.h"

class TPageControl;

class TTabSheet : public TControl {
public:
  TTabSheet(TForm& Form, std::string Name, HWND Handle, TPageControl& Pages);
  // The caption is the tab's text.
  void SetText(const std::string& Value) override;
  int PageIndex() const;

private:
  TPageControl& FPages;
};

class TPageControl : public TControl {
public:
  using TControl::TControl;
  void AddPage(TTabSheet& Page);
  int PageCount() const { return static_cast<int>(FPages.size()); }
  TTabSheet& Page(int Index) const { return *FPages[Index]; }
  int IndexOf(const TTabSheet& Page) const;
  int ActivePageIndex() const;
  void SetActivePageIndex(int Index);
  void SetPageText(int Index, const std::string& Value);
  // Fits the pages into the tab control's display area.
  void Realign();
  void SetPlace(int X, int Y, int Width, int Height) override;
  LRESULT Notify(NMHDR& Header) override;

private:
  void ShowActivePage();
  std::vector<TTabSheet*> FPages;
};
