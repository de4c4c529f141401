#include "console/shellpickers.h"

TBrowseHook BrowseHook;

namespace {

PIDLIST_ABSOLUTE ShowPicker(BROWSEINFOA& Info) {
  return BrowseHook ? BrowseHook(Info) : SHBrowseForFolderA(&Info);
}

// A picker below Root that returns the chosen item's display name in Chosen (MAX_PATH).
BROWSEINFOA PickerInfo(HWND Owner, PIDLIST_ABSOLUTE Root, char* Chosen, const std::string& Title, UINT Flags) {
  BROWSEINFOA Info{};
  Info.hwndOwner = Owner;
  Info.pidlRoot = Root;
  Info.pszDisplayName = Chosen;
  Info.lpszTitle = Title.c_str();
  Info.ulFlags = Flags;
  return Info;
}

// Opens the folder picker on the path it is given.
int CALLBACK SelectInitialFolder(HWND Picker, UINT Notification, LPARAM, LPARAM InitialPath) {
  if (Notification == BFFM_INITIALIZED) { SendMessageA(Picker, BFFM_SETSELECTIONA, TRUE, InitialPath); }
  return 0;
}

// The shell's allocator, released again at the end of a picker call.
class TShellMalloc {
public:
  TShellMalloc() {
    if (FAILED(SHGetMalloc(&FMalloc))) { FMalloc = nullptr; }
  }
  ~TShellMalloc() {
    if (FMalloc) { FMalloc->Release(); }
  }
  TShellMalloc(const TShellMalloc&) = delete;
  TShellMalloc& operator=(const TShellMalloc&) = delete;
  explicit operator bool() const { return FMalloc != nullptr; }
  char* AllocText() { return static_cast<char*>(FMalloc->Alloc(MAX_PATH)); }
  void Free(void* Block) { if (Block) { FMalloc->Free(Block); } }

private:
  IMalloc* FMalloc = nullptr;
};

}  // namespace

bool BrowseForFolder(HWND Owner, const std::string& Title, std::string& Path) {
  TShellMalloc Malloc;
  if (!Malloc) { return false; }
  bool Result = false;
  char* Chosen = Malloc.AllocText();
  char* Initial = Malloc.AllocText();
  PIDLIST_ABSOLUTE Root = nullptr;
  if (Chosen && Initial && SUCCEEDED(SHGetSpecialFolderLocation(Owner, CSIDL_DESKTOP, &Root))) {
    lstrcpynA(Initial, Path.c_str(), MAX_PATH);  // a longer path is cut, never written past the buffer
    BROWSEINFOA Info = PickerInfo(Owner, Root, Chosen, Title, BIF_RETURNONLYFSDIRS);
    Info.lpfn = SelectInitialFolder;
    Info.lParam = reinterpret_cast<LPARAM>(Initial);
    if (PIDLIST_ABSOLUTE Item = ShowPicker(Info)) {
      // An item without a file-system path (a display name only) is no folder.
      if (SHGetPathFromIDListA(Item, Chosen)) {
        Path = Chosen;
        Result = true;
      }
      Malloc.Free(Item);
    }
    Malloc.Free(Root);
  }
  Malloc.Free(Initial);
  Malloc.Free(Chosen);
  return Result;
}

bool BrowseForComputer(HWND Owner, const std::string& Title, std::string& Name) {
  TShellMalloc Malloc;
  if (!Malloc) { return false; }
  bool Result = false;
  char* Chosen = Malloc.AllocText();
  PIDLIST_ABSOLUTE Root = nullptr;
  if (Chosen && SUCCEEDED(SHGetSpecialFolderLocation(Owner, CSIDL_NETWORK, &Root))) {
    BROWSEINFOA Info = PickerInfo(Owner, Root, Chosen, Title, BIF_BROWSEFORCOMPUTER);
    if (PIDLIST_ABSOLUTE Item = ShowPicker(Info)) {
      Result = true;
      Malloc.Free(Item);
      Name = Chosen;
    }
    Malloc.Free(Root);
  }
  Malloc.Free(Chosen);
  return Result;
}
