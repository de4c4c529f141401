// A list of same-sized pictures, drawn by index.
#pragma once
#include <windows.h>
#include <commctrl.h>

class TImageList {
public:
  TImageList(int Width, int Height) : FHandle(ImageList_Create(Width, Height, ILC_COLOR24 | ILC_MASK, 2, 2)) {}
  ~TImageList() { ImageList_Destroy(FHandle); }
  TImageList(const TImageList&) = delete;
  TImageList& operator=(const TImageList&) = delete;
  // Adds a round light of one colour on a transparent ground.
  int AddLed(COLORREF Color);
  void Draw(HDC Canvas, int X, int Y, int Index) const { ImageList_Draw(FHandle, Index, Canvas, X, Y, ILD_NORMAL); }
  HIMAGELIST Handle() const { return FHandle; }

private:
  HIMAGELIST FHandle;
};
