// window_shot CAPTION FILE.png [TIMEOUT_MS]: waits for a top-level window with
// that caption and saves what the screen shows of it once the window has had
// a second to fill itself (its first timer ticks). Exit code 0 when saved.
#include <cstdlib>

#include "support/winprobe.h"

int main(int argc, char** argv) {
  if (argc < 3) { return 2; }
  const DWORD Timeout = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 60000;
  HWND Window = WaitForTopWindow(argv[1], Timeout);
  if (Window) { Sleep(1500); }
  return Window && SaveWindowPng(Window, argv[2]) ? 0 : 1;
}
