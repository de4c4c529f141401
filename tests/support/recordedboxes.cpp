#include "support/recordedboxes.h"

#include "forms/msgbox.h"

TRecordedBoxes::TRecordedBoxes() {
  MessageBoxHook = [this](HWND, const std::string& Text, UINT Flags) {
    push_back({Text, Flags});
    return IDOK;
  };
}

TRecordedBoxes::~TRecordedBoxes() { MessageBoxHook = nullptr; }
