#include "forms/richedit.h"

#include <richedit.h>

namespace {
CHARFORMAT2A CharFormat(DWORD Mask) {
  CHARFORMAT2A Format{};
  Format.cbSize = sizeof(Format);
  Format.dwMask = Mask;
  return Format;
}
}  // namespace

TRichEdit::TRichEdit(TForm& Form, std::string Name, HWND Handle) : TControl(Form, std::move(Name), Handle) {
  // The report grows without a limit of its own.
  SendMessageA(Handle, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
}

const char* TRichEdit::ClassName() {
  static const bool Loaded = LoadLibraryA("riched20.dll") != nullptr;
  (void)Loaded;
  return RICHEDIT_CLASSA;
}

int TRichEdit::TextLength() const {
  GETTEXTLENGTHEX Query{GTL_NUMCHARS | GTL_PRECISE, CP_ACP};
  return static_cast<int>(SendMessageA(Handle(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&Query), 0));
}

void TRichEdit::SelectEnd() {
  const int End = TextLength();
  SendMessageA(Handle(), EM_SETSEL, End, End);
}

void TRichEdit::Clear() {
  SetWindowTextA(Handle(), "");
  CHARFORMAT2A Default = CharFormat(0);
  SendMessageA(Handle(), EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&Default));
  SendMessageA(Handle(), EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&Default));
}

int TRichEdit::LineCount() const { return TextLength() == 0 ? 0 : static_cast<int>(Lines().size()); }

std::vector<std::string> TRichEdit::Lines() const {
  std::vector<std::string> Result;
  const std::string All = Text();
  if (All.empty()) { return Result; }
  size_t Start = 0;
  for (;;) {
    const size_t Break = All.find_first_of("\r\n", Start);
    Result.push_back(All.substr(Start, Break - Start));
    if (Break == std::string::npos) { break; }
    Start = Break + ((All.compare(Break, 2, "\r\n") == 0) ? 2 : 1);
  }
  return Result;
}

void TRichEdit::AddLine(const std::string& Text, COLORREF Color, bool Bold) {
  const bool First = TextLength() == 0;
  SelectEnd();
  if (!First) { SendMessageA(Handle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("\r")); }
  CHARFORMAT2A Format = CharFormat(CFM_COLOR | CFM_BOLD);
  Format.dwEffects = (Color == CLR_INVALID ? CFE_AUTOCOLOR : 0) | (Bold ? CFE_BOLD : 0);
  Format.crTextColor = Color == CLR_INVALID ? 0 : Color;
  SelectEnd();
  SendMessageA(Handle(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&Format));
  SendMessageA(Handle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Text.c_str()));
  SendMessageA(Handle(), WM_VSCROLL, SB_BOTTOM, 0);
}

void TRichEdit::AppendToLastLine(const std::string& Text) {
  if (TextLength() == 0) { return; }
  // An empty selection at the end takes the formatting of the character before it.
  SelectEnd();
  SendMessageA(Handle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Text.c_str()));
}

TRichEdit::TLineFormat TRichEdit::LineFormat(int Line) const {
  // Counted over the text, not the display: a long line wraps into several.
  const std::vector<std::string> All = Lines();
  int Start = 0;
  for (int Index = 0; Index < Line && Index < static_cast<int>(All.size()); ++Index) {
    Start += static_cast<int>(All[Index].size()) + 1;
  }
  SendMessageA(Handle(), EM_SETSEL, Start, Start + 1);
  CHARFORMAT2A Format = CharFormat(CFM_COLOR | CFM_BOLD);
  SendMessageA(Handle(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&Format));
  const COLORREF Color = (Format.dwEffects & CFE_AUTOCOLOR) ? DefaultColor() : Format.crTextColor;
  return {Color, (Format.dwEffects & CFE_BOLD) != 0};
}

COLORREF TRichEdit::DefaultColor() const { return GetSysColor(COLOR_WINDOWTEXT); }
