// Message boxes of the kinds the program shows, captioned with the
// application's title. Tests answer them through MessageBoxHook.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

enum TMsgKind { mkInformation, mkError, mkConfirmation };

// Flags: MB_ICONxxx and MB_OK or MB_YESNO, as MessageBoxA takes them; returns IDOK, IDYES, IDNO.
using TMessageBoxHook = std::function<int(HWND Owner, const std::string& Text, UINT Flags)>;
extern TMessageBoxHook MessageBoxHook;

// mkInformation and mkError with an OK button, mkConfirmation with Yes and No.
int ShowMessageBox(HWND Owner, const std::string& Text, TMsgKind Kind);
