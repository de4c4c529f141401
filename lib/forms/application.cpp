#include "forms/application.h"

#include "forms/form.h"

TApplication Application;

void TApplication::Run(TForm& MainForm) {
  MainForm.SetEndsProgram(true);
  MainForm.Show();
  MSG Message;
  while (GetMessageA(&Message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(MainForm.Handle(), &Message)) {
      TranslateMessage(&Message);
      DispatchMessageA(&Message);
    }
  }
  MainForm.SetEndsProgram(false);
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
