#include "forms/application.h"

#include "forms/form.h"
#include "forms/msgbox.h"

TApplication Application;

void TApplication::Run(TForm& MainForm) {
  FMainForm = &MainForm;
  MainForm.Show();
  MSG Message;
  while (GetMessageA(&Message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(MainForm.Handle(), &Message)) {
      TranslateMessage(&Message);
      DispatchMessageA(&Message);
    }
  }
  FMainForm = nullptr;
}

void TApplication::ProcessMessages() {
  MSG Message;
  while (PeekMessageA(&Message, nullptr, 0, 0, PM_REMOVE)) {
    if (Message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(Message.wParam));
      return;
    }
    TranslateMessage(&Message);
    DispatchMessageA(&Message);
  }
}

void TApplication::ShowException(const std::exception& Error) {
  HWND Owner = GetActiveWindow();
  ShowMessageBox(Owner, Error.what(), mkError);
}

void TApplication::BeginWait() {
  if (FWaitCount++ == 0) { SetCursor(LoadCursorA(nullptr, IDC_WAIT)); }
}

void TApplication::EndWait() {
  if (--FWaitCount == 0) {
    POINT Where;
    GetCursorPos(&Where);
    SetCursorPos(Where.x, Where.y);  // asks the window under it for its own cursor again
  }
}
