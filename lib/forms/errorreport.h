// The error box of an exception that left a handler; the program goes on.
#pragma once
#include <exception>

void ShowException(const std::exception& Error);
