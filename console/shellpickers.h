// The shell's folder and computer pickers.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>

// True when the operator chose a folder; Path then holds its file-system path.
// Path is also the folder selected when the picker opens.
bool BrowseForFolder(HWND Owner, const std::string& Title, std::string& Path);
// True when the operator chose a computer; Name then holds its name.
bool BrowseForComputer(HWND Owner, const std::string& Title, std::string& Name);

// The one call that shows a picker; tests answer it instead of a person.
using TBrowseHook = std::function<PIDLIST_ABSOLUTE(BROWSEINFOA& Info)>;
extern TBrowseHook BrowseHook;
