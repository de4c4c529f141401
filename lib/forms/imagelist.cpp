#include "forms/imagelist.h"

int TImageList::AddLed(COLORREF Color) {
  int Width = 0, Height = 0;
  ImageList_GetIconSize(FHandle, &Width, &Height);
  HDC Screen = GetDC(nullptr);
  HDC Canvas = CreateCompatibleDC(Screen);
  HBITMAP Picture = CreateCompatibleBitmap(Screen, Width, Height);
  ReleaseDC(nullptr, Screen);
  HGDIOBJ OldBitmap = SelectObject(Canvas, Picture);
  const COLORREF Ground = RGB(255, 0, 255);
  HBRUSH GroundBrush = CreateSolidBrush(Ground);
  const RECT All{0, 0, Width, Height};
  FillRect(Canvas, &All, GroundBrush);
  HBRUSH LightBrush = CreateSolidBrush(Color);
  HGDIOBJ OldBrush = SelectObject(Canvas, LightBrush);
  HGDIOBJ OldPen = SelectObject(Canvas, GetStockObject(BLACK_PEN));
  Ellipse(Canvas, 0, 0, Width, Height);
  SelectObject(Canvas, OldPen);
  SelectObject(Canvas, OldBrush);
  SelectObject(Canvas, OldBitmap);
  DeleteObject(LightBrush);
  DeleteObject(GroundBrush);
  DeleteDC(Canvas);
  const int Index = ImageList_AddMasked(FHandle, Picture, Ground);
  DeleteObject(Picture);
  return Index;
}
