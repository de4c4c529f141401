// A read-only rich-text report: lines added at the end, each in a colour and
// weight of its own; the text and formats can be read back.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "forms/control.h"

class TRichEdit : public TControl {
public:
  TRichEdit(TForm& Form, std::string Name, HWND Handle);
  // The window class, loaded once per process.
  static const char* ClassName();

  void Clear();
  int LineCount() const;
  // Lines without their breaks.
  std::vector<std::string> Lines() const;
  // Adds Text as a new last line in Color (CLR_INVALID: the box's default) and weight.
  void AddLine(const std::string& Text, COLORREF Color = CLR_INVALID, bool Bold = false);
  // Adds Text at the end of the last line, in that line's formatting.
  void AppendToLastLine(const std::string& Text);

  // The colour and weight of a line's first character, as the box shows them.
  struct TLineFormat {
    COLORREF Color;
    bool Bold;
  };
  TLineFormat LineFormat(int Line) const;
  COLORREF DefaultColor() const;

private:
  int TextLength() const;
  void SelectEnd();
};
