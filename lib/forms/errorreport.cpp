#include "forms/errorreport.h"

#include <windows.h>

#include "forms/msgbox.h"

void ShowException(const std::exception& Error) { ShowMessageBox(GetActiveWindow(), Error.what(), mkError); }
