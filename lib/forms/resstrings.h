// Texts of the program's string table.
#pragma once
#include <windows.h>

#include <string>

// The text of a string-table entry in the program's ANSI code page; empty when missing.
std::string LoadStr(UINT Id);
