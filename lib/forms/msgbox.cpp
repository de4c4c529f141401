#include "forms/msgbox.h"

#include "forms/application.h"

TMessageBoxHook MessageBoxHook;

int ShowMessageBox(HWND Owner, const std::string& Text, TMsgKind Kind) {
  static const UINT Flags[] = {MB_ICONINFORMATION | MB_OK, MB_ICONERROR | MB_OK, MB_ICONQUESTION | MB_YESNO};
  if (MessageBoxHook) { return MessageBoxHook(Owner, Text, Flags[Kind]); }
  return MessageBoxA(Owner, Text.c_str(), Application.Title.c_str(), Flags[Kind] | MB_TASKMODAL);
}
