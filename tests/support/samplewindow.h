// A small real window for the probe's own tests. Its controls carry component
// names the way the console's forms tag theirs, and everything its handlers do
// shows in the window, so a probe outside can see it as a person would.
#pragma once
#include <windows.h>

inline constexpr char SampleCaption[] = "Fenêtre d'essai";
// The window's background, so that a screenshot can be told to show it.
inline constexpr COLORREF SampleBackground = RGB(0, 128, 128);

// Creates the window on the calling thread and runs its messages until it is closed.
void RunSampleWindow();
