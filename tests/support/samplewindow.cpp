#include "support/samplewindow.h"

#include <commctrl.h>

#include <string>

namespace {
constexpr char ClassName[] = "NorvaskProbeSample";

enum : int { IdCount = 101, IdClicks, IdAsk, IdDelete, IdActive, IdHidden, IdName, IdEcho, IdPages, IdStatus };

// Tags a control the way the console's form layer does.
void Name(HWND Control, const char* ComponentName) {
  SetPropA(Control, "ControlName", reinterpret_cast<HANDLE>(ULONG_PTR(GlobalAddAtomA(ComponentName))));
}

HWND AddControl(HWND Parent, const char* Class, const char* Text, DWORD Style, RECT Box, int Id,
                const char* ComponentName) {
  HWND Control = CreateWindowExA(0, Class, Text, WS_CHILD | WS_VISIBLE | Style, Box.left, Box.top,
                                 Box.right, Box.bottom, Parent, reinterpret_cast<HMENU>(INT_PTR(Id)),
                                 GetModuleHandleA(nullptr), nullptr);
  SendMessageA(Control, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  Name(Control, ComponentName);
  return Control;
}

void AddTabPage(HWND Tabs, int Index, const char* Caption) {
  TCITEMA Item{};
  Item.mask = TCIF_TEXT;
  Item.pszText = const_cast<char*>(Caption);
  SendMessageA(Tabs, TCM_INSERTITEMA, Index, reinterpret_cast<LPARAM>(&Item));
}

// Boxes are left, top, width, height in client coordinates; the right part of
// the client area stays empty, showing the background.
void CreateControls(HWND Window) {
  AddControl(Window, "BUTTON", "Compter", BS_PUSHBUTTON, {10, 10, 120, 26}, IdCount, "CountButton");
  AddControl(Window, "STATIC", "Clics : 0", 0, {140, 15, 140, 20}, IdClicks, "ClickCount");
  AddControl(Window, "BUTTON", "Demander", BS_PUSHBUTTON, {10, 44, 120, 26}, IdAsk, "AskButton");
  HWND Delete = AddControl(Window, "BUTTON", "Supprimer", BS_PUSHBUTTON, {140, 44, 120, 26}, IdDelete,
                           "DeleteButton");
  EnableWindow(Delete, FALSE);
  HWND Active = AddControl(Window, "BUTTON", "Actif", BS_AUTOCHECKBOX, {10, 78, 120, 22}, IdActive,
                           "ActiveCheck");
  SendMessageA(Active, BM_SETCHECK, BST_CHECKED, 0);
  HWND Hidden = AddControl(Window, "STATIC", "Caché", 0, {140, 80, 120, 20}, IdHidden, "HiddenLabel");
  ShowWindow(Hidden, SW_HIDE);
  AddControl(Window, "EDIT", "", WS_BORDER | ES_AUTOHSCROLL, {10, 106, 120, 22}, IdName, "NameEdit");
  AddControl(Window, "STATIC", "Nom : ", 0, {140, 109, 140, 20}, IdEcho, "NameEcho");

  HWND Pages = AddControl(Window, WC_TABCONTROLA, "", WS_CLIPSIBLINGS, {10, 136, 270, 90}, IdPages, "Pages");
  AddTabPage(Pages, 0, "Général");
  AddTabPage(Pages, 1, "Horaires");
  SendMessageA(Pages, TCM_SETCURSEL, 1, 0);
  // A control on a page is a grandchild of the window, as on the console's forms.
  AddControl(Pages, "STATIC", "Contenu de la page", 0, {10, 35, 200, 20}, 0, "PageLabel");

  HWND Status = AddControl(Window, STATUSCLASSNAMEA, "", 0, {0, 0, 0, 0}, IdStatus, "StatusBar");
  const int PanelEdges[] = {150, 320, -1};
  SendMessageA(Status, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(PanelEdges));
  SendMessageA(Status, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("Prêt"));
  SendMessageA(Status, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>("Connecté à l'hôte"));
}

void OnCommand(HWND Window, int Id, int Notification) {
  if (Id == IdCount && Notification == BN_CLICKED) {
    const LONG_PTR Clicks = GetWindowLongPtrA(Window, GWLP_USERDATA) + 1;
    SetWindowLongPtrA(Window, GWLP_USERDATA, Clicks);
    SetDlgItemTextA(Window, IdClicks, ("Clics : " + std::to_string(Clicks)).c_str());
  } else if (Id == IdAsk && Notification == BN_CLICKED) {
    const int Answer = MessageBoxA(Window, "Envoyer le fichier à l'hôte ?", "Question", MB_YESNO | MB_ICONQUESTION);
    const char* Shown = Answer == IDYES ? "Réponse : oui" : "Réponse : non";
    SendDlgItemMessageA(Window, IdStatus, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(Shown));
  } else if (Id == IdName && Notification == EN_CHANGE) {
    char Text[256];
    GetDlgItemTextA(Window, IdName, Text, sizeof Text);
    SetDlgItemTextA(Window, IdEcho, (std::string("Nom : ") + Text).c_str());
  }
}

LRESULT CALLBACK SampleProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
    case WM_CREATE:
      CreateControls(Window);
      return 0;
    case WM_COMMAND:
      OnCommand(Window, LOWORD(WParam), HIWORD(WParam));
      return 0;
    case WM_SIZE:
      SendDlgItemMessageA(Window, IdStatus, WM_SIZE, 0, 0);  // the status bar keeps to the bottom edge
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(Window, Message, WParam, LParam);
}

ATOM RegisterSampleClass() {
  INITCOMMONCONTROLSEX Controls{sizeof Controls, ICC_BAR_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&Controls);
  WNDCLASSA Class{};
  Class.lpfnWndProc = SampleProc;
  Class.hInstance = GetModuleHandleA(nullptr);
  Class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  Class.hbrBackground = CreateSolidBrush(SampleBackground);
  Class.lpszClassName = ClassName;
  return RegisterClassA(&Class);
}
}  // namespace

void RunSampleWindow() {
  static const ATOM SampleClass = RegisterSampleClass();  // once per process, however many windows
  RECT Frame{0, 0, 460, 260};
  AdjustWindowRect(&Frame, WS_OVERLAPPEDWINDOW, FALSE);
  HWND Window = CreateWindowExA(0, MAKEINTATOM(SampleClass), SampleCaption, WS_OVERLAPPEDWINDOW, 40, 40,
                                Frame.right - Frame.left, Frame.bottom - Frame.top, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  ShowWindow(Window, SW_SHOW);
  UpdateWindow(Window);
  MSG Message;
  while (GetMessageA(&Message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(Window, &Message)) {
      TranslateMessage(&Message);
      DispatchMessageA(&Message);
    }
  }
}
