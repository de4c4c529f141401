#include "forms/form.h"

#include <commctrl.h>

#include <algorithm>

#include "forms/pagecontrol.h"
#include "forms/richedit.h"
#include "forms/spinedit.h"
#include "forms/statusbar.h"
#include "forms/stdctrls.h"
#include "forms/waitcursor.h"

namespace {
const char FormClass[] = "TNorvaskForm";
const char PanelClass[] = "TNorvaskPanel";

DWORD BorderStyle(TFormBorder Border) {
  switch (Border) {
    case fbSizeable: return WS_OVERLAPPEDWINDOW;
    case fbDialog: return WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    case fbSizeableNoIcons: return WS_POPUP | WS_CAPTION | WS_THICKFRAME;
  }
  return WS_OVERLAPPEDWINDOW;
}

// Window class and styles of each kind of control.
struct TKindClass {
  const char* ClassName;
  DWORD Style;
  DWORD ExStyle = 0;
};
TKindClass KindClass(TControlKind Kind, uint32_t Options) {
  const DWORD Tab = (Options & coNoTabStop) ? 0 : WS_TABSTOP;
  switch (Kind) {
    case ckLabel:
      return {"STATIC", static_cast<DWORD>(SS_NOPREFIX | ((Options & coRightAlign) ? SS_RIGHT
                                                          : (Options & coWordWrap) ? SS_LEFT : SS_LEFTNOWORDWRAP))};
    case ckStaticText: return {"STATIC", SS_NOPREFIX | SS_CENTER | SS_CENTERIMAGE, WS_EX_STATICEDGE};
    case ckImage: return {"STATIC", SS_ICON | SS_CENTERIMAGE};
    case ckEdit:
      return {"EDIT", Tab | ES_AUTOHSCROLL | WS_BORDER | ((Options & coReadOnly) ? ES_READONLY : 0)};
    case ckSpinEdit: return {"EDIT", Tab | ES_AUTOHSCROLL | WS_BORDER};
    case ckButton: return {"BUTTON", Tab | BS_PUSHBUTTON};
    case ckSpeedButton: return {"BUTTON", BS_PUSHBUTTON};
    case ckCheckBox: return {"BUTTON", Tab | BS_AUTOCHECKBOX | ((Options & coWordWrap) ? BS_MULTILINE : 0)};
    case ckRadioButton: return {"BUTTON", Tab | BS_AUTORADIOBUTTON};
    case ckComboList: return {"COMBOBOX", Tab | CBS_DROPDOWNLIST | WS_VSCROLL};
    // Tab and arrow keys go into the controls of a container.
    case ckPanel:
    case ckTabSheet: return {PanelClass, WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT};
    case ckPageControl: return {WC_TABCONTROLA, Tab | WS_CLIPCHILDREN | WS_CLIPSIBLINGS};
    case ckStatusBar: return {STATUSCLASSNAMEA, CCS_BOTTOM};
    case ckRichEdit:
      return {TRichEdit::ClassName(), Tab | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL};
  }
  return {"STATIC", 0};
}

// Kinds whose window text is not their caption: they start empty.
bool StartsEmpty(TControlKind Kind) {
  return Kind == ckLabel || Kind == ckStaticText || Kind == ckEdit || Kind == ckSpinEdit || Kind == ckRichEdit;
}

// A status bar is always at the bottom of its container.
TAlign RowAlign(TControlKind Kind, TAlign Align) { return Kind == ckStatusBar ? alBottom : Align; }

// The arrows of a spin edit, beside its edit in the same container.
HWND CreateArrows(HWND Parent, uint32_t Options) {
  HWND Arrows = CreateWindowExA(0, UPDOWN_CLASSA, "",
                                WS_CHILD | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_SETBUDDYINT | UDS_NOTHOUSANDS |
                                    ((Options & coHidden) ? 0 : WS_VISIBLE),
                                0, 0, 0, 0, Parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (Options & coDisabled) { EnableWindow(Arrows, FALSE); }
  return Arrows;
}
}  // namespace

TForm::TForm(HWND Owner) : FOwner(Owner) { RegisterClasses(); }

TForm::TForm(HWND Owner, const TFormDef& Def) : TForm(Owner) { CreateWindowFor(Def); }

TForm::~TForm() {
  FTimers.clear();
  FControls.clear();
  if (FHandle) { DestroyWindow(FHandle); }
  for (HFONT Font : {FFont, FBoldFont, FLargeBoldFont}) {
    if (Font) { DeleteObject(Font); }
  }
}

void TForm::BeforeDestruction() {
  for (auto& Timer : FTimers) { Timer->SetEnabled(false); }
  Invoke([this] { FormDestroy(); });
}

void TForm::RegisterClasses() {
  static const bool Registered = [] {
    INITCOMMONCONTROLSEX Controls{sizeof(Controls), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&Controls);
    WNDCLASSA Class{};
    Class.hInstance = GetModuleHandleA(nullptr);
    Class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    Class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    Class.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    Class.lpfnWndProc = FormProc;
    Class.lpszClassName = FormClass;
    RegisterClassA(&Class);
    Class.hIcon = nullptr;
    Class.lpfnWndProc = PanelProc;
    Class.lpszClassName = PanelClass;
    RegisterClassA(&Class);
    return true;
  }();
  (void)Registered;
}

void TForm::CreateWindowFor(const TFormDef& Def) {
  FFontName = Def.FontName;
  FFontHeight = Def.FontHeight;
  FMinWidth = Def.MinWidth;
  FMinHeight = Def.MinHeight;
  const DWORD Style = BorderStyle(Def.Border) | WS_CLIPCHILDREN;
  const DWORD ExStyle = WS_EX_CONTROLPARENT | (Def.Border == fbDialog ? WS_EX_DLGMODALFRAME : 0);
  RECT Bounds{0, 0, Def.ClientWidth, Def.ClientHeight};
  AdjustWindowRectEx(&Bounds, Style, FALSE, ExStyle);
  const int Width = Bounds.right - Bounds.left, Height = Bounds.bottom - Bounds.top;
  // Centred on the screen.
  const int X = (GetSystemMetrics(SM_CXSCREEN) - Width) / 2, Y = (GetSystemMetrics(SM_CYSCREEN) - Height) / 2;
  FHandle = CreateWindowExA(ExStyle, FormClass, "", Style, X, Y, Width, Height, FOwner, nullptr,
                            GetModuleHandleA(nullptr), this);
  if (!FHandle) { throw std::runtime_error("the window could not be created"); }
}

HWND TForm::ParentHandle(const char* Parent) const {
  if (!Parent || !*Parent) { return FHandle; }
  return Find<TControl>(Parent).Handle();
}

HFONT TForm::FontFor(uint32_t Options) {
  auto Make = [this](int Height, int Weight) {
    return CreateFontA(-Height, 0, 0, 0, Weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, FFontName.c_str());
  };
  if (!FFont) { FFont = Make(FFontHeight, FW_NORMAL); }
  if ((Options & coBold) && (Options & coLargeFont)) {
    if (!FLargeBoldFont) { FLargeBoldFont = Make(FFontHeight + 1, FW_BOLD); }
    return FLargeBoldFont;
  }
  if (Options & (coBold | coLargeFont)) {
    if (!FBoldFont) { FBoldFont = Make(FFontHeight + ((Options & coLargeFont) ? 1 : 0), (Options & coBold) ? FW_BOLD : FW_NORMAL); }
    return FBoldFont;
  }
  return FFont;
}

TControl& TForm::CreateControl(const TRowData& Row) {
  HWND Parent = ParentHandle(Row.Parent);
  return AddControl(MakeControl(Row, CreateControlWindow(Row, Parent), Parent), Row);
}

HWND TForm::CreateControlWindow(const TRowData& Row, HWND Parent) {
  const TKindClass Class = KindClass(Row.Kind, Row.Options);
  DWORD Style = WS_CHILD | Class.Style | ((Row.Options & coHidden) ? 0 : WS_VISIBLE);
  if (Row.Kind == ckButton && Row.Style == bsDefault) { Style |= BS_DEFPUSHBUTTON; }
  // The default and cancel buttons take the ids that Enter and Esc send.
  const UINT Id = Row.Style == bsDefault ? IDOK : Row.Style == bsCancel ? IDCANCEL : FNextId++;
  if (Row.Style == bsDefault) { FDefaultId = Id; }
  // A drop-down list's height includes its list.
  const int Height = Row.Kind == ckComboList ? Row.H + 200 : Row.H;
  HWND Handle = CreateWindowExA(Class.ExStyle, Class.ClassName, Row.Name, Style, Row.X, Row.Y, Row.W, Height, Parent,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(Id)), GetModuleHandleA(nullptr), nullptr);
  if (!Handle) { throw std::runtime_error(std::string("the control ") + Row.Name + " could not be created"); }
  SendMessageA(Handle, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(Row.Options)), FALSE);
  if (StartsEmpty(Row.Kind)) { SetWindowTextA(Handle, ""); }
  if (Row.Options & coDisabled) { EnableWindow(Handle, FALSE); }
  if (Row.Options & coChecked) { SendMessageA(Handle, BM_SETCHECK, BST_CHECKED, 0); }
  return Handle;
}

std::unique_ptr<TControl> TForm::MakeControl(const TRowData& Row, HWND Handle, HWND Parent) {
  switch (Row.Kind) {
    case ckLabel:
    case ckStaticText: return std::make_unique<TLabel>(*this, Row.Name, Handle);
    case ckImage: return std::make_unique<TImage>(*this, Row.Name, Handle);
    case ckEdit: return std::make_unique<TEdit>(*this, Row.Name, Handle);
    case ckButton:
    case ckSpeedButton: return std::make_unique<TButton>(*this, Row.Name, Handle, Row.ModalResult);
    case ckCheckBox: return std::make_unique<TCheckBox>(*this, Row.Name, Handle);
    case ckRadioButton: return std::make_unique<TRadioButton>(*this, Row.Name, Handle);
    case ckComboList: return std::make_unique<TComboBox>(*this, Row.Name, Handle);
    case ckPanel: return std::make_unique<TPanel>(*this, Row.Name, Handle);
    case ckPageControl: return std::make_unique<TPageControl>(*this, Row.Name, Handle);
    case ckStatusBar: return std::make_unique<TStatusBar>(*this, Row.Name, Handle);
    case ckRichEdit: return std::make_unique<TRichEdit>(*this, Row.Name, Handle);
    case ckSpinEdit: return std::make_unique<TSpinEdit>(*this, Row.Name, Handle, CreateArrows(Parent, Row.Options));
    case ckTabSheet: {
      auto& Pages = dynamic_cast<TPageControl&>(*TControl::FromHandle(Parent));
      auto Sheet = std::make_unique<TTabSheet>(*this, Row.Name, Handle, Pages);
      Pages.AddPage(*Sheet);
      return Sheet;
    }
  }
  throw std::logic_error(std::string("no kind of control for ") + Row.Name);
}

TControl& TForm::AddControl(std::unique_ptr<TControl> Control, const TRowData& Row) {
  TControl& Result = *Control;
  FByName[Row.Name] = &Result;
  FControls.push_back(std::move(Control));
  if (Row.Options & coPadded) { FPadded.push_back(Result.Handle()); }
  const TAlign Align = RowAlign(Row.Kind, Row.Align);
  if (Align != alNone) {
    FAligned.emplace_back(&Result, Align);
    Realign(GetParent(Result.Handle()));
  }
  return Result;
}

// Top and bottom rows take their height across the container in creation
// order; a client row fills what is left.
void TForm::Realign(HWND Container) {
  RECT Free;
  GetClientRect(Container, &Free);
  if (std::find(FPadded.begin(), FPadded.end(), Container) != FPadded.end()) { InflateRect(&Free, -4, -4); }
  auto Place = [](TControl& Control, const RECT& At) {
    Control.SetPlace(At.left, At.top, At.right - At.left, At.bottom - At.top);
  };
  for (auto& [Control, Align] : FAligned) {
    if (GetParent(Control->Handle()) != Container) { continue; }
    RECT Own;
    GetWindowRect(Control->Handle(), &Own);
    const int Height = Own.bottom - Own.top;
    if (Align == alTop) {
      Place(*Control, {Free.left, Free.top, Free.right, Free.top + Height});
      Free.top += Height;
    } else if (Align == alBottom) {
      Place(*Control, {Free.left, Free.bottom - Height, Free.right, Free.bottom});
      Free.bottom -= Height;
    }
  }
  for (auto& [Control, Align] : FAligned) {
    if (Align == alClient && GetParent(Control->Handle()) == Container) { Place(*Control, Free); }
  }
  for (TPageControl* Pages : ControlsOf<TPageControl>()) {
    if (GetParent(Pages->Handle()) == Container) { Pages->Realign(); }
  }
}

TTimer& TForm::AddTimer(UINT Interval) {
  FTimers.push_back(std::make_unique<TTimer>(*this, Interval));
  return *FTimers.back();
}

TTimer* TForm::TimerById(UINT_PTR Id) const {
  for (const auto& Timer : FTimers) {
    if (Timer->Id() == Id) { return Timer.get(); }
  }
  return nullptr;
}

std::string TForm::Caption() const {
  std::string Result(GetWindowTextLengthA(FHandle) + 1, '\0');
  Result.resize(GetWindowTextA(FHandle, Result.data(), static_cast<int>(Result.size())));
  return Result;
}

void TForm::SetCaption(const std::string& Value) { SetWindowTextA(FHandle, Value.c_str()); }

void TForm::SetHint(HWND Control, const std::string& Text) {
  if (!FToolTip) {
    FToolTip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, FHandle, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  }
  TTTOOLINFOA Tool{};
  Tool.cbSize = sizeof(Tool);
  Tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  Tool.hwnd = FHandle;
  Tool.uId = reinterpret_cast<UINT_PTR>(Control);
  std::string Shown = Text;
  Tool.lpszText = Shown.data();
  SendMessageA(FToolTip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&Tool));
  SendMessageA(FToolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&Tool));
}

void TForm::Show() {
  ShowWindow(FHandle, SW_SHOW);
  UpdateWindow(FHandle);
}

void TForm::Close() { PostMessageA(FHandle, WM_CLOSE, 0, 0); }

TModalResult TForm::ShowModal() {
  HWND Owner = FOwner;
  const bool OwnerWasEnabled = Owner && IsWindowEnabled(Owner);
  if (OwnerWasEnabled) { EnableWindow(Owner, FALSE); }
  FModal = true;
  FModalResult = mrNone;
  FCloseGranted = false;
  Show();
  SetForegroundWindow(FHandle);
  MSG Message;
  while (FModalResult == mrNone) {
    if (GetMessageA(&Message, nullptr, 0, 0) <= 0) {
      PostQuitMessage(static_cast<int>(Message.wParam));  // for the outer loop
      FModalResult = mrCancel;
      break;
    }
    if (!IsDialogMessageA(FHandle, &Message)) {
      TranslateMessage(&Message);
      DispatchMessageA(&Message);
    }
    if (FModalResult != mrNone && !FCloseGranted && !CloseQueryGranted()) { FModalResult = mrNone; }
  }
  // The owner takes the activation back before this window goes.
  if (OwnerWasEnabled) { EnableWindow(Owner, TRUE); }
  if (Owner) { SetActiveWindow(Owner); }
  ShowWindow(FHandle, SW_HIDE);
  FModal = false;
  return FModalResult;
}

bool TForm::CloseQueryGranted() {
  bool CanClose = true;
  Invoke([&] { FormCloseQuery(CanClose); });
  return CanClose;
}

TForm* TForm::FromHandle(HWND Handle) {
  return reinterpret_cast<TForm*>(GetWindowLongPtrA(Handle, GWLP_USERDATA));
}

LRESULT CALLBACK TForm::FormProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  if (Message == WM_NCCREATE) {
    auto* Create = reinterpret_cast<CREATESTRUCTA*>(LParam);
    SetWindowLongPtrA(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Create->lpCreateParams));
    static_cast<TForm*>(Create->lpCreateParams)->FHandle = Window;
  }
  if (TForm* Form = FromHandle(Window)) { return Form->WindowProc(Message, WParam, LParam); }
  return DefWindowProcA(Window, Message, WParam, LParam);
}

// Containers pass their controls' notifications on to the form, which knows
// the controls; they lay out their own aligned children.
LRESULT CALLBACK TForm::PanelProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (TForm* Form = FromHandle(GetAncestor(Window, GA_ROOT))) { return Form->WindowProc(Message, WParam, LParam); }
      break;
    case WM_SIZE:
      if (TForm* Form = FromHandle(GetAncestor(Window, GA_ROOT))) { Form->Realign(Window); }
      break;
    case WM_SETCURSOR:
      if (THourglass::Shown()) {
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
  }
  return DefWindowProcA(Window, Message, WParam, LParam);
}

LRESULT TForm::WindowProc(UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
    case WM_COMMAND: {
      TControl* Control = TControl::FromHandle(reinterpret_cast<HWND>(LParam));
      if (!Control && LParam == 0) { Control = TControl::FromHandle(GetDlgItem(FHandle, LOWORD(WParam))); }
      if (Control) {
        Invoke([&] { Control->Command(HIWORD(WParam)); });
        return 0;
      }
      break;
    }
    case WM_NOTIFY: {
      auto& Header = *reinterpret_cast<NMHDR*>(LParam);
      if (TControl* Control = TControl::FromHandle(Header.hwndFrom)) {
        LRESULT Result = 0;
        Invoke([&] { Result = Control->Notify(Header); });
        return Result;
      }
      break;
    }
    case WM_DRAWITEM: {
      auto& Item = *reinterpret_cast<DRAWITEMSTRUCT*>(LParam);
      if (TControl* Control = TControl::FromHandle(Item.hwndItem)) {
        Invoke([&] { Control->DrawItem(Item); });
        return TRUE;
      }
      break;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      if (TControl* Control = TControl::FromHandle(reinterpret_cast<HWND>(LParam))) {
        if (HBRUSH Brush = Control->ControlColor(reinterpret_cast<HDC>(WParam))) {
          return reinterpret_cast<LRESULT>(Brush);
        }
      }
      break;
    case WM_TIMER:
      if (TTimer* Timer = TimerById(WParam)) {
        if (Timer->OnTimer) { Invoke(Timer->OnTimer); }
        return 0;
      }
      break;
    case DM_GETDEFID:
      return FDefaultId ? MAKELRESULT(FDefaultId, DC_HASDEFID) : 0;
    case WM_SIZE:
      Realign(FHandle);
      return 0;
    case WM_GETMINMAXINFO: {
      auto& Limits = *reinterpret_cast<MINMAXINFO*>(LParam);
      if (FMinWidth) { Limits.ptMinTrackSize.x = FMinWidth; }
      if (FMinHeight) { Limits.ptMinTrackSize.y = FMinHeight; }
      return 0;
    }
    case WM_SETCURSOR:
      if (THourglass::Shown()) {
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_CLOSE:
      if (!CloseQueryGranted()) { return 0; }
      if (FModal) {
        // Asked now: a close that arrives while a handler dispatches messages
        // must not end the form once that handler returns. The modal loop
        // does not ask again.
        FModalResult = mrCancel;
        FCloseGranted = true;
      } else {
        ShowWindow(FHandle, SW_HIDE);
        if (FEndsProgram) { PostQuitMessage(0); }
      }
      return 0;
  }
  return DefWindowProcA(FHandle, Message, WParam, LParam);
}
