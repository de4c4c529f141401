// SaveWindowPng: what the screen shows of a window, as a PNG file.
#include "support/pngfile.h"
#include "support/waitfor.h"
#include "support/winprobe.h"

#include <vector>

namespace {
constexpr DWORD PollMs = 50;
constexpr DWORD PaintTimeoutMs = 2000;
// The screen may show a window a little after it painted (Wine copies window
// surfaces to X on a timer): capture until two pictures in a row agree.
constexpr int MaxCaptures = 40;

// A window of the calling thread paints only when this thread lets it, and Wine
// copies its surface to the screen once the thread finds its queue empty: both
// happen here. Another thread's or process's window looks after itself.
void LetPaint(HWND Window) {
  if (GetWindowThreadProcessId(Window, nullptr) != GetCurrentThreadId()) { return; }
  MSG Msg;
  while (PeekMessageA(&Msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) { DispatchMessageA(&Msg); }
}

BOOL CALLBACK NeedsPaint(HWND Window, LPARAM Pending) {
  if (GetUpdateRect(Window, nullptr, FALSE)) { *reinterpret_cast<bool*>(Pending) = true; }
  return TRUE;
}

void WaitUntilPainted(HWND Window) {
  WaitFor([&] {
    LetPaint(Window);
    bool Pending = GetUpdateRect(Window, nullptr, FALSE) != FALSE;
    EnumChildWindows(Window, NeedsPaint, reinterpret_cast<LPARAM>(&Pending));
    return !Pending;
  }, PaintTimeoutMs, PollMs);
}

// What the screen shows of the rectangle; empty pixels on failure.
TPixels CaptureScreen(const RECT& Area) {
  TPixels Picture;
  const int Width = Area.right - Area.left, Height = Area.bottom - Area.top;
  HDC Screen = GetDC(nullptr);
  HDC Memory = CreateCompatibleDC(Screen);
  BITMAPINFO Info{};
  Info.bmiHeader.biSize = sizeof Info.bmiHeader;
  Info.bmiHeader.biWidth = Width;
  Info.bmiHeader.biHeight = -Height;  // top-down rows
  Info.bmiHeader.biPlanes = 1;
  Info.bmiHeader.biBitCount = 32;
  Info.bmiHeader.biCompression = BI_RGB;
  void* Bits = nullptr;
  HBITMAP Dib = CreateDIBSection(Screen, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
  if (Dib != nullptr) {
    HGDIOBJ Old = SelectObject(Memory, Dib);
    if (BitBlt(Memory, 0, 0, Width, Height, Screen, Area.left, Area.top, SRCCOPY | CAPTUREBLT)) {
      GdiFlush();
      const auto* Bgrx = static_cast<const uint8_t*>(Bits);
      Picture.Width = Width;
      Picture.Height = Height;
      Picture.Bgra.assign(Bgrx, Bgrx + size_t(Width) * Height * 4);
    }
    SelectObject(Memory, Old);
    DeleteObject(Dib);
  }
  DeleteDC(Memory);
  ReleaseDC(nullptr, Screen);
  return Picture;
}
}  // namespace

bool SaveWindowPng(HWND Window, const std::string& PngPath) {
  RECT Area;
  if (!IsWindow(Window) || !GetWindowRect(Window, &Area) || Area.right <= Area.left ||
      Area.bottom <= Area.top) {
    return false;
  }
  SetForegroundWindow(Window);
  RedrawWindow(Window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  WaitUntilPainted(Window);

  TPixels Picture = CaptureScreen(Area);
  for (int Capture = 1; Capture < MaxCaptures && !Picture.Bgra.empty(); ++Capture) {
    Sleep(PollMs);
    LetPaint(Window);
    TPixels Next = CaptureScreen(Area);
    const bool Settled = Next.Bgra == Picture.Bgra;
    Picture = std::move(Next);
    if (Settled) { break; }
  }
  return WritePng(PngPath, Picture);
}
