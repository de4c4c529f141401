// The message boxes a test's forms show, answered OK and kept for the test to
// check: MessageBoxHook is in place from construction to destruction.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// A message box as MessageBoxHook saw it.
struct TShownBox {
  std::string Text;
  UINT Flags;
};

class TRecordedBoxes : public std::vector<TShownBox> {
public:
  TRecordedBoxes();
  ~TRecordedBoxes();
  // The hook holds this object: it stays where it is.
  TRecordedBoxes(const TRecordedBoxes&) = delete;
  TRecordedBoxes& operator=(const TRecordedBoxes&) = delete;
};
