#include "forms/waitcursor.h"

#include <windows.h>

int THourglass::FCount = 0;

THourglass::THourglass() {
  if (FCount++ == 0) { SetCursor(LoadCursorA(nullptr, IDC_WAIT)); }
}

THourglass::~THourglass() {
  if (--FCount == 0) {
    POINT Where;
    GetCursorPos(&Where);
    SetCursorPos(Where.x, Where.y);  // asks the window under it for its own cursor again
  }
}
