// The console's dialogs in this process, on the test display: the PC dialog, the
// shell pickers, the parameters dialog base, and what they rely on in the form
// layer. Message boxes and pickers are answered through their seams.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "console/selectpc.h"
#include "console/shellpickers.h"
#include "console/svcconfigdlg.h"
#include "forms/msgbox.h"
#include "rtl/exceptions.h"
#include "rtl/strings.h"
#include "shared/transportconfig.h"
#include "support/recordedboxes.h"
#include "support/scratchdir.h"
#include "tests/console/guitest.h"

namespace {

const char PickComputerTitle[] = "Choisissez l'ordinateur où le service travaille";
const char PickFolderTitle[] = "Selection du dossier cible";

// Every message box is answered OK and recorded, so none can block a test.
class DialogTest : public ::testing::Test {
protected:
  void TearDown() override { BrowseHook = nullptr; }
  static TModalResult PressModal(TForm& Dialog, const char* Button) {
    PostMessageA(Dialog.Find<TButton>(Button).Handle(), BM_CLICK, 0, 0);
    TWatchdog Watchdog;
    const TModalResult Result = Dialog.ShowModal();
    Watchdog.Stop();
    EXPECT_FALSE(Watchdog.Fired()) << Button << " did not close the dialog";
    return Result;
  }
  TRecordedBoxes Boxes;
};

PIDLIST_ABSOLUTE SpecialItem(int Folder) {
  PIDLIST_ABSOLUTE Item = nullptr;
  return SUCCEEDED(SHGetSpecialFolderLocation(nullptr, Folder, &Item)) ? Item : nullptr;
}

// A shell item that no file-system path stands for; nullptr when the shell has none.
PIDLIST_ABSOLUTE ItemWithoutPath() {
  for (int Folder : {CSIDL_PRINTERS, CSIDL_CONTROLS, CSIDL_DRIVES}) {
    if (PIDLIST_ABSOLUTE Item = SpecialItem(Folder)) {
      char Path[MAX_PATH];
      if (!SHGetPathFromIDListA(Item, Path)) { return Item; }
      CoTaskMemFree(Item);
    }
  }
  return nullptr;
}

// ---- TSelectPcDlg -------------------------------------------------------------

using SelectPcDialog = DialogTest;

TEST_F(SelectPcDialog, ShowsTheTextsOfTheStringTableAndHoldsThePcName) {
  auto Dialog = NewForm<TSelectPcDlg>(nullptr);
  EXPECT_EQ(Dialog->Caption(), "Commuté pour un autre PC");
  EXPECT_EQ(Dialog->Find<TLabel>("LabPrompt").Caption(),
            "Tapez le nom du PC ou choisissez PC parmi la liste.\r"
            "Laissez le nom non rempli si vous voulez choisir votre PC");
  EXPECT_EQ(Dialog->Find<TButton>("BtnOK").Text(), "OK");
  EXPECT_EQ(Dialog->Find<TButton>("BtnCancel").Text(), "Annuler");

  EXPECT_EQ(Dialog->PcName(), "");
  Dialog->SetPcName("SHOP-PC7");
  EXPECT_EQ(Dialog->Find<TEdit>("EdPc").Text(), "SHOP-PC7");
  Dialog->Find<TEdit>("EdPc").SetText("CAISSE2");
  EXPECT_EQ(Dialog->PcName(), "CAISSE2");
}

TEST_F(SelectPcDialog, ComputerPickerReplacesTheNameOnlyWhenAComputerIsChosen) {
  auto Dialog = NewForm<TSelectPcDlg>(nullptr);
  Dialog->SetPcName("OLDPC");
  int Calls = 0;
  BROWSEINFOA Seen{};
  std::string SeenTitle;
  PIDLIST_ABSOLUTE Answer = nullptr;
  BrowseHook = [&](BROWSEINFOA& Info) {
    ++Calls;
    Seen = Info;
    SeenTitle = Info.lpszTitle ? Info.lpszTitle : "";
    if (Answer) { lstrcpyA(Info.pszDisplayName, "SHOP-PC7"); }
    return Answer;
  };

  Dialog->BtnPcClick();
  ASSERT_EQ(Calls, 1);
  EXPECT_EQ(Dialog->PcName(), "OLDPC");
  EXPECT_EQ(SeenTitle, PickComputerTitle);
  EXPECT_EQ(Seen.ulFlags, static_cast<UINT>(BIF_BROWSEFORCOMPUTER));
  EXPECT_EQ(Seen.hwndOwner, Dialog->Handle());
  EXPECT_NE(Seen.pidlRoot, nullptr);
  EXPECT_NE(Seen.pszDisplayName, nullptr);

  // The picker frees the chosen item through the shell's allocator.
  Answer = SpecialItem(CSIDL_DESKTOP);
  ASSERT_NE(Answer, nullptr);
  Dialog->BtnPcClick();
  EXPECT_EQ(Calls, 2);
  EXPECT_EQ(Dialog->PcName(), "SHOP-PC7");
}

TEST_F(SelectPcDialog, ModalResultFollowsTheButtonPressed) {
  for (auto [Button, Expected] : {std::pair{"BtnOK", mrOK}, std::pair{"BtnCancel", mrCancel}}) {
    SCOPED_TRACE(Button);
    auto Dialog = NewForm<TSelectPcDlg>(nullptr);
    Dialog->SetPcName("KEPT");
    PostMessageA(Dialog->Find<TButton>(Button).Handle(), BM_CLICK, 0, 0);
    TWatchdog Watchdog;
    EXPECT_EQ(Dialog->ShowModal(), Expected);
    Watchdog.Stop();
    EXPECT_FALSE(Watchdog.Fired());
    EXPECT_EQ(Dialog->PcName(), "KEPT");
  }
}

// ---- BrowseForFolder ------------------------------------------------------------

// What the picker's callback sent to the picker window.
struct TSelection {
  int Count = 0;
  WPARAM WParam = 0;
  std::string Path;
} Selection;

LRESULT CALLBACK PickerWindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  if (Message == BFFM_SETSELECTIONA) {
    ++Selection.Count;
    Selection.WParam = WParam;
    Selection.Path = reinterpret_cast<const char*>(LParam);
    return 0;
  }
  return DefWindowProcA(Window, Message, WParam, LParam);
}

// A window standing in for the shell's picker window.
HWND NewPickerWindow() {
  static const bool Registered = [] {
    WNDCLASSA Class{};
    Class.lpfnWndProc = PickerWindowProc;
    Class.hInstance = GetModuleHandleA(nullptr);
    Class.lpszClassName = "TestFolderPicker";
    return RegisterClassA(&Class) != 0;
  }();
  EXPECT_TRUE(Registered);
  return CreateWindowExA(0, "TestFolderPicker", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr),
                         nullptr);
}

using FolderPicker = DialogTest;

TEST_F(FolderPicker, OpensOnThePathAndGivesTheChosenFolder) {
  TScratchDir Chosen("picked");
  HWND Owner = NewPickerWindow();
  HWND Picker = NewPickerWindow();
  BROWSEINFOA Seen{};
  std::string SeenTitle, SeenInitial;
  Selection = {};
  int OtherNotifications = 0;
  BrowseHook = [&](BROWSEINFOA& Info) {
    Seen = Info;
    SeenTitle = Info.lpszTitle;
    SeenInitial = reinterpret_cast<const char*>(Info.lParam);
    // What the shell does: the callback once initialised, then on selection changes.
    if (Info.lpfn) {
      Info.lpfn(Picker, BFFM_INITIALIZED, 0, Info.lParam);
      const int Before = Selection.Count;
      Info.lpfn(Picker, BFFM_SELCHANGED, 0, Info.lParam);
      OtherNotifications = Selection.Count - Before;
    }
    return ILCreateFromPathA(Chosen.Path().c_str());
  };

  std::string Path = "C:\\windows";
  ASSERT_TRUE(BrowseForFolder(Owner, PickFolderTitle, Path));
  EXPECT_EQ(Path, Chosen.Path());
  EXPECT_EQ(Seen.ulFlags, static_cast<UINT>(BIF_RETURNONLYFSDIRS));
  EXPECT_EQ(SeenTitle, PickFolderTitle);
  EXPECT_EQ(Seen.hwndOwner, Owner);
  EXPECT_NE(Seen.pidlRoot, nullptr);
  EXPECT_EQ(SeenInitial, "C:\\windows");
  ASSERT_NE(Seen.lpfn, nullptr);
  EXPECT_EQ(Selection.Count, 1);
  EXPECT_EQ(Selection.WParam, static_cast<WPARAM>(TRUE));
  EXPECT_EQ(Selection.Path, "C:\\windows");
  EXPECT_EQ(OtherNotifications, 0);
  DestroyWindow(Picker);
  DestroyWindow(Owner);
}

TEST_F(FolderPicker, ItemWithoutFileSystemPathIsNoFolder) {
  PIDLIST_ABSOLUTE Item = ItemWithoutPath();
  if (!Item) { GTEST_SKIP() << "the shell here has no item without a file-system path"; }
  BrowseHook = [&](BROWSEINFOA& Info) {
    lstrcpyA(Info.pszDisplayName, "Imprimantes");
    return Item;
  };
  std::string Path = "C:\\data\\shop";
  EXPECT_FALSE(BrowseForFolder(nullptr, PickFolderTitle, Path));
  EXPECT_EQ(Path, "C:\\data\\shop");
}

TEST_F(FolderPicker, CancelOrALongPathLeavesThePathAndStaysInTheBuffer) {
  std::string SeenInitial;
  size_t SeenLength = 0;
  BrowseHook = [&](BROWSEINFOA& Info) -> PIDLIST_ABSOLUTE {
    const char* Initial = reinterpret_cast<const char*>(Info.lParam);
    SeenLength = strnlen(Initial, MAX_PATH + 1);
    SeenInitial = Initial;
    return nullptr;
  };

  std::string Empty;
  EXPECT_FALSE(BrowseForFolder(nullptr, PickFolderTitle, Empty));
  EXPECT_EQ(Empty, "");
  EXPECT_EQ(SeenInitial, "");

  std::string Long = "C:\\";
  for (int Index = 0; Long.size() < 600; ++Index) { Long += "dossier" + std::to_string(Index % 10) + "\\"; }
  Long.resize(600);
  const std::string Original = Long;
  EXPECT_FALSE(BrowseForFolder(nullptr, PickFolderTitle, Long));
  EXPECT_EQ(Long, Original);
  EXPECT_EQ(SeenLength, 259u);
  EXPECT_EQ(SeenInitial, Original.substr(0, 259));

  // A long path then a real choice: the chosen path comes back whole.
  TScratchDir Chosen("picked_long");
  BrowseHook = [&](BROWSEINFOA&) { return ILCreateFromPathA(Chosen.Path().c_str()); };
  EXPECT_TRUE(BrowseForFolder(nullptr, PickFolderTitle, Long));
  EXPECT_EQ(Long, Chosen.Path());
}

// ---- TBaseSvcConfigDlg ------------------------------------------------------------

// A descendant as the transport dialog builds one: its own check and display.
class TCheckedConfigDlg : public TBaseSvcConfigDlg {
public:
  using TBaseSvcConfigDlg::TBaseSvcConfigDlg;
  enum TVerdict { vPass, vFail, vRaise };
  TVerdict Verdict = vFail;
  int Shown = 0;
  int Checked = 0;
  void ConfigToControls(TBaseOdxConfig& Config) override {
    ++Shown;
    TBaseSvcConfigDlg::ConfigToControls(Config);
  }
  void ValidateConfig(TBaseOdxConfig& Config, bool& Failed) override {
    ++Checked;
    if (Verdict == vRaise) { throw Exception("Le classeur principal doit être rempli"); }
    Failed = Verdict == vFail;
    (void)Config;
  }
};

class ConfigDialog : public DialogTest {
protected:
  TFormPtr<TBaseSvcConfigDlg> Open(const std::string& RemotePc = "") {
    return NewForm<TBaseSvcConfigDlg>(nullptr, RemotePc, Ini, &ConfigClassOf<TTransportConfig>);
  }
  void WriteIni(const std::string& General, const std::string& TrackDirectory = "C:\\velmora") {
    WriteTextFile(Ini, "[General]\r\n" + General + "[Directory0]\r\nTrackDirectory=" + TrackDirectory + "\r\n");
  }
  // The raw text after "Key=" in a section of a file; "<none>" when missing.
  static std::string RawValue(const std::string& File, const std::string& Section, const std::string& Key) {
    std::string Current;
    for (const std::string& Line : ReadLines(File)) {
      if (!Line.empty() && Line.front() == '[') {
        Current = Line;
      } else if (Current == "[" + Section + "]" && Line.compare(0, Key.size() + 1, Key + "=") == 0) {
        return Line.substr(Key.size() + 1);
      }
    }
    return "<none>";
  }
  std::string Saved(const std::string& Key) { return RawValue(Ini, "General", Key); }
  static bool Exists(const std::string& File) { return GetFileAttributesA(File.c_str()) != INVALID_FILE_ATTRIBUTES; }
  // OK pressed the way a person does, through the dialog's modal loop.
  TScratchDir Dir{"cfgdlg"};
  std::string Ini = Dir.Path() + "\\norvask_local.ini";
};

TEST_F(ConfigDialog, ShowsTheFileAndSavesAnIntervalOutsideTheBoundsClamped) {
  WriteIni("LogDetailed=1\r\nTimeBetweenActions=1\r\n");
  {
    auto Dialog = Open();
    EXPECT_EQ(Dialog->Caption(), "Configuration du service");
    EXPECT_EQ(Dialog->Find<TEdit>("EdVelmoraDir").Text(), "C:\\velmora");
    EXPECT_TRUE(Dialog->Find<TCheckBox>("CbLogDetailed").Checked());
    EXPECT_EQ(Dialog->Find<TSpinEdit>("SeFreq").Text(), "2");
    EXPECT_EQ(PressModal(*Dialog, "BtnOK"), mrOK);
  }
  EXPECT_EQ(Saved("TimeBetweenActions"), "2");
  EXPECT_EQ(Saved("LogDetailed"), "1");
  EXPECT_EQ(RawValue(Ini, "Directory0", "TrackDirectory"), "C:\\velmora");

  WriteIni("TimeBetweenActions=5000\r\n");
  {
    auto Dialog = Open();
    EXPECT_EQ(Dialog->Find<TSpinEdit>("SeFreq").Text(), "3600");
    EXPECT_FALSE(Dialog->Find<TCheckBox>("CbLogDetailed").Checked());
    Dialog->BtnOKClick();
    EXPECT_EQ(Dialog->ModalResult(), mrOK);
  }
  EXPECT_EQ(Saved("TimeBetweenActions"), "3600");
  EXPECT_EQ(Saved("LogDetailed"), "0");
  EXPECT_TRUE(Boxes.empty());
}

TEST_F(ConfigDialog, IntervalTextThatIsNoNumberIsSavedAsTheLowerBound) {
  WriteIni("TimeBetweenActions=300\r\n");
  auto Dialog = Open();
  auto& SeFreq = Dialog->Find<TSpinEdit>("SeFreq");
  EXPECT_EQ(SeFreq.Text(), "300");
  SeFreq.SetText("abc");
  EXPECT_EQ(SeFreq.Value(), 2);
  Dialog->BtnOKClick();
  EXPECT_EQ(Dialog->ModalResult(), mrOK);
  EXPECT_EQ(Saved("TimeBetweenActions"), "2");
}

TEST_F(ConfigDialog, TypedIntervalIsClampedWhenTheEditLosesTheFocus) {
  WriteIni("TimeBetweenActions=60\r\n");
  auto Dialog = Open();
  Dialog->Show();
  SetForegroundWindow(Dialog->Handle());
  auto& SeFreq = Dialog->Find<TSpinEdit>("SeFreq");
  auto& EdVelmoraDir = Dialog->Find<TEdit>("EdVelmoraDir");
  const struct {
    const char* Typed;
    const char* Kept;
  } Cases[] = {{"9999", "3600"}, {"1", "2"}, {"-5", "2"}, {"3601", "3600"}, {"2", "2"}, {"3600", "3600"}, {"754", "754"}};
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Typed);
    SeFreq.SetFocus();
    ASSERT_EQ(GetFocus(), SeFreq.Handle());
    SeFreq.SetText(Case.Typed);
    // Read while typing: the number as it stands.
    EXPECT_EQ(SeFreq.Value(), std::stoi(Case.Typed));
    EdVelmoraDir.SetFocus();
    ASSERT_EQ(GetFocus(), EdVelmoraDir.Handle());
    EXPECT_EQ(SeFreq.Text(), Case.Kept);
  }
  Dialog->BtnOKClick();
  EXPECT_EQ(Saved("TimeBetweenActions"), "754");
}

TEST_F(ConfigDialog, TrackedDirectoryIsSavedWithItsBlanks) {
  WriteIni("");
  auto Dialog = Open();
  Dialog->Find<TEdit>("EdVelmoraDir").SetText("  D:\\Velmora data  ");
  Dialog->BtnOKClick();
  ASSERT_EQ(Dialog->ModalResult(), mrOK);
  // The dialog hands the text to the INI file as typed...
  EXPECT_EQ(Dialog->Config()->GetTrackDirectory(0), "  D:\\Velmora data  ");
  // ...but Wine's profile writer drops the blanks around a value (Windows keeps them).
  EXPECT_EQ(Trim(RawValue(Ini, "Directory0", "TrackDirectory")), "D:\\Velmora data");
}

TEST_F(ConfigDialog, CancelLeavesTheFileUntouched) {
  WriteIni("LogDetailed=0\r\nTimeBetweenActions=120\r\n", " C:\\velmora ");
  const std::string Before = ReadTextFile(Ini);
  {
    auto Dialog = Open();
    Dialog->Find<TSpinEdit>("SeFreq").SetText("900");
    Dialog->Find<TEdit>("EdVelmoraDir").SetText("E:\\ailleurs");
    Dialog->Find<TCheckBox>("CbLogDetailed").SetChecked(true);
    EXPECT_EQ(PressModal(*Dialog, "BtnCancel"), mrCancel);
    EXPECT_EQ(ReadTextFile(Ini), Before);
  }
  EXPECT_EQ(ReadTextFile(Ini), Before);
  EXPECT_TRUE(Boxes.empty());
}

// The bare name goes to the INI layer as it is; the profile functions look it
// up in the Windows directory, not in the current one.
TEST_F(ConfigDialog, EmptyIniNameLoadsAndSavesTheBareNameCfgLocalIni) {
  char Windows[MAX_PATH];
  GetWindowsDirectoryA(Windows, MAX_PATH);
  const std::string Bare = std::string(Windows) + "\\cfg_local.ini";
  struct TRemoved {
    const std::string& File;
    TRemoved(const std::string& F) : File(F) { DeleteFileA(File.c_str()); }
    ~TRemoved() {
      WritePrivateProfileStringA(nullptr, nullptr, nullptr, "cfg_local.ini");
      DeleteFileA(File.c_str());
    }
  } Removed(Bare);
  ASSERT_TRUE(WritePrivateProfileStringA("General", "TimeBetweenActions", "240", "cfg_local.ini"));
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, "cfg_local.ini");
  {
    auto Dialog = NewForm<TBaseSvcConfigDlg>(nullptr, "", "", &ConfigClassOf<TBaseOdxConfig>);
    EXPECT_EQ(Dialog->IniFile(), "cfg_local.ini");
    EXPECT_EQ(Dialog->Find<TSpinEdit>("SeFreq").Text(), "240");
    Dialog->Find<TSpinEdit>("SeFreq").SetText("480");
    Dialog->BtnOKClick();
    EXPECT_EQ(Dialog->ModalResult(), mrOK);
  }
  EXPECT_EQ(GetPrivateProfileIntA("General", "TimeBetweenActions", 0, "cfg_local.ini"), 480u);
  EXPECT_EQ(RawValue(Bare, "General", "TimeBetweenActions"), "480");
}

TEST_F(ConfigDialog, RemotePcHidesTheBrowseButton) {
  WriteIni("");
  EXPECT_FALSE(Open("SHOP-PC7")->Find<TButton>("BtnBrowseDir").Visible());
  EXPECT_TRUE(Open("")->Find<TButton>("BtnBrowseDir").Visible());
}

TEST_F(ConfigDialog, ControlsToConfigFillsAnotherConfigurationOnly) {
  WriteIni("TimeBetweenActions=120\r\n");
  auto Dialog = Open();
  Dialog->Find<TSpinEdit>("SeFreq").SetText("777");
  Dialog->Find<TEdit>("EdVelmoraDir").SetText("F:\\autre");
  Dialog->Find<TCheckBox>("CbLogDetailed").SetChecked(true);
  TTransportConfig Other;
  Dialog->ControlsToConfig(Other);
  EXPECT_EQ(Other.TimeBetweenActions, 777);
  EXPECT_EQ(Other.GetTrackDirectory(0), "F:\\autre");
  EXPECT_TRUE(Other.LogDetailed);
  ASSERT_NE(Dialog->Config(), nullptr);
  EXPECT_EQ(Dialog->Config()->TimeBetweenActions, 120);
  EXPECT_EQ(Dialog->Config()->GetTrackDirectory(0), "C:\\velmora");
  EXPECT_FALSE(Dialog->Config()->LogDetailed);
}

TEST_F(ConfigDialog, FailedOrRaisingCheckKeepsTheDialogOpenAndSavesNothing) {
  WriteIni("TimeBetweenActions=120\r\n");
  const std::string Before = ReadTextFile(Ini);
  auto Dialog = NewForm<TCheckedConfigDlg>(nullptr, "", Ini, &ConfigClassOf<TTransportConfig>);
  // The descendant's display runs from the creation handler.
  EXPECT_EQ(Dialog->Shown, 1);
  EXPECT_EQ(Dialog->Find<TSpinEdit>("SeFreq").Text(), "120");

  Dialog->Find<TSpinEdit>("SeFreq").SetText("300");
  Dialog->BtnOKClick();
  EXPECT_EQ(Dialog->Checked, 1);
  EXPECT_EQ(Dialog->ModalResult(), mrNone);
  EXPECT_EQ(ReadTextFile(Ini), Before);
  EXPECT_TRUE(Boxes.empty());

  Dialog->Verdict = TCheckedConfigDlg::vRaise;
  Dialog->BtnOKClick();
  EXPECT_EQ(Dialog->ModalResult(), mrNone);
  EXPECT_EQ(ReadTextFile(Ini), Before);
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Boxes[0].Text, "Le classeur principal doit être rempli");
  EXPECT_EQ(Boxes[0].Flags, static_cast<UINT>(MB_ICONINFORMATION | MB_OK));
  // What the controls held was read before the check raised.
  EXPECT_EQ(Dialog->Config()->TimeBetweenActions, 300);

  Dialog->Verdict = TCheckedConfigDlg::vPass;
  EXPECT_EQ(PressModal(*Dialog, "BtnOK"), mrOK);
  EXPECT_EQ(Saved("TimeBetweenActions"), "300");
}

TEST_F(ConfigDialog, FileThatCannotBeWrittenKeepsTheDialogOpenWithTheReason) {
  WriteIni("TimeBetweenActions=120\r\n");
  const std::string Before = ReadTextFile(Ini);
  TWriteRefused Hold(Ini);
  ASSERT_TRUE(Hold.Held());
  ASSERT_FALSE(Writable(Ini));
  auto Dialog = Open();
  EXPECT_EQ(Dialog->Find<TSpinEdit>("SeFreq").Text(), "120");
  Dialog->Find<TSpinEdit>("SeFreq").SetText("300");
  Dialog->BtnOKClick();
  EXPECT_EQ(Dialog->ModalResult(), mrNone);
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Boxes[0].Text, "Unable to write to " + Ini);
  EXPECT_EQ(Boxes[0].Flags, static_cast<UINT>(MB_ICONINFORMATION | MB_OK));
  EXPECT_EQ(ReadTextFile(Ini), Before);

  // Once the file can be written, the same dialog saves.
  Hold.Release();
  Dialog->BtnOKClick();
  EXPECT_EQ(Dialog->ModalResult(), mrOK);
  EXPECT_EQ(Saved("TimeBetweenActions"), "300");
}

TEST_F(ConfigDialog, BrowseButtonPutsTheChosenFolderIntoTheEdit) {
  WriteIni("", "C:\\velmora");
  TScratchDir Chosen("cfg_picked");
  auto Dialog = Open();
  std::string SeenTitle, SeenInitial;
  HWND SeenOwner = nullptr;
  PIDLIST_ABSOLUTE Answer = nullptr;
  BrowseHook = [&](BROWSEINFOA& Info) {
    SeenTitle = Info.lpszTitle;
    SeenInitial = reinterpret_cast<const char*>(Info.lParam);
    SeenOwner = Info.hwndOwner;
    return Answer;
  };
  Dialog->BtnBrowseDirClick();
  EXPECT_EQ(SeenTitle, PickFolderTitle);
  EXPECT_EQ(SeenInitial, "C:\\velmora");
  EXPECT_EQ(SeenOwner, Dialog->Handle());
  EXPECT_EQ(Dialog->Find<TEdit>("EdVelmoraDir").Text(), "C:\\velmora");

  Answer = ILCreateFromPathA(Chosen.Path().c_str());
  ASSERT_NE(Answer, nullptr);
  Dialog->BtnBrowseDirClick();
  EXPECT_EQ(Dialog->Find<TEdit>("EdVelmoraDir").Text(), Chosen.Path());
}

// ---- The form layer as the console relies on it ------------------------------------

class TLayerForm : public TForm {
public:
  TLayerForm();
  void CbOneClick() { Clicks.push_back("CbOne"); }
  void RbA1Click() { Clicks.push_back("RbA1"); }
  void RbA2Click() { Clicks.push_back("RbA2"); }
  void RbB1Click() { Clicks.push_back("RbB1"); }
  void BtnThrowClick() {
    ++Thrown;
    throw Exception("Échec du bouton");
  }
  bool Checked(const char* Name) const { return Find<TButtonControl>(Name).Checked(); }
  // Counts the questions; the first RefusedCloses of them are answered no.
  void FormCloseQuery(bool& CanClose) override { CanClose = ++CloseQueries > RefusedCloses; }

  std::vector<std::string> Clicks;
  int Thrown = 0;
  int CloseQueries = 0;
  int RefusedCloses = 0;
  TTimer& Ticker;

private:
  static constexpr TFormDef Def{240, 200, fbDialog};
  static const TControlDef<TLayerForm> Controls[];
};

const TControlDef<TLayerForm> TLayerForm::Controls[] = {
  {"CbOne",    ckCheckBox,    "",    8,   8, 120, 19, &TLayerForm::CbOneClick},
  {"PnA",      ckPanel,       "",    8,  30, 200, 50},
  {"RbA1",     ckRadioButton, "PnA", 4,   4, 100, 19, &TLayerForm::RbA1Click},
  {"RbA2",     ckRadioButton, "PnA", 4,  26, 100, 19, &TLayerForm::RbA2Click},
  {"PnB",      ckPanel,       "",    8,  90, 200, 30},
  {"RbB1",     ckRadioButton, "PnB", 4,   4, 100, 19, &TLayerForm::RbB1Click},
  {"BtnThrow", ckButton,      "",    8, 140,  75, 25, &TLayerForm::BtnThrowClick},
  {"BtnOK",    ckButton,      "",   88, 140,  75, 25, nullptr, mrOK},
};

TLayerForm::TLayerForm() : TForm(nullptr), Ticker((CreateForm(Def, Controls), AddTimer(50))) {}

// A member whose kind is not its row's.
class TMisboundForm : public TForm {
public:
  TMisboundForm() : TForm(nullptr, TFormDef{240, 200, fbDialog}) {}

private:
  using D = TMisboundForm;
  TEdit& CbOne = Add<D>({"CbOne", ckCheckBox, "", 8, 8, 120, 19});
};

using FormLayer = DialogTest;

TEST_F(FormLayer, ProgramChangeOfABoxRunsItsClickHandler) {
  auto Form = NewForm<TLayerForm>();
  auto& CbOne = Form->Find<TCheckBox>("CbOne");
  CbOne.SetChecked(true);
  CbOne.SetChecked(true);  // no change, no click
  CbOne.SetChecked(false);
  EXPECT_EQ(Form->Clicks, (std::vector<std::string>{"CbOne", "CbOne"}));
  EXPECT_FALSE(Form->Checked("CbOne"));

  Form->Clicks.clear();
  Form->Find<TRadioButton>("RbB1").SetChecked(true);
  Form->Find<TRadioButton>("RbA1").SetChecked(true);
  Form->Find<TRadioButton>("RbA2").SetChecked(true);
  Form->Find<TRadioButton>("RbA2").SetChecked(true);  // no change, no click
  EXPECT_EQ(Form->Clicks, (std::vector<std::string>{"RbB1", "RbA1", "RbA2"}));
  EXPECT_FALSE(Form->Checked("RbA1"));
  EXPECT_TRUE(Form->Checked("RbA2"));
  // Another container is another group.
  EXPECT_TRUE(Form->Checked("RbB1"));
}

TEST_F(FormLayer, MemberOfAnotherKindThanItsRowStopsTheFormNamingTheControl) {
  try {
    NewForm<TMisboundForm>();
    FAIL() << "the form was made";
  } catch (const std::logic_error& Error) {
    EXPECT_NE(std::string(Error.what()).find("CbOne"), std::string::npos) << Error.what();
  }
}

TEST_F(FormLayer, ExceptionLeavingAHandlerIsShownAndTheProgramGoesOn) {
  auto Form = NewForm<TLayerForm>();
  Form->Show();
  HWND Button = Form->Find<TButton>("BtnThrow").Handle();
  PostMessageA(Button, BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return Boxes.size() >= 1; }));
  EXPECT_EQ(Boxes[0].Text, "Échec du bouton");
  EXPECT_EQ(Boxes[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));

  PostMessageA(Button, BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return Boxes.size() >= 2; }));
  EXPECT_EQ(Form->Thrown, 2);

  // A timer whose handler raises keeps ticking.
  int Ticks = 0;
  Form->Ticker.OnTimer = [&] {
    ++Ticks;
    throw Exception("tic");
  };
  Form->Ticker.SetEnabled(true);
  EXPECT_TRUE(PumpUntil([&] { return Ticks >= 3; }));
  Form->Ticker.SetEnabled(false);
  ASSERT_GE(Boxes.size(), 5u);
  EXPECT_EQ(Boxes[2].Text, "tic");
  EXPECT_EQ(Boxes[2].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
  EXPECT_TRUE(IsWindowVisible(Form->Handle()));
}

TEST_F(FormLayer, ModalFormAsksOnceAClose) {
  auto Closed = NewForm<TLayerForm>();
  Closed->RefusedCloses = 1;
  // The close box twice: refused, then granted.
  PostMessageA(Closed->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  PostMessageA(Closed->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  TWatchdog Watchdog;
  EXPECT_EQ(Closed->ShowModal(), mrCancel);
  Watchdog.Stop();
  EXPECT_FALSE(Watchdog.Fired());
  EXPECT_EQ(Closed->CloseQueries, 2);

  // A button's modal result is asked once too.
  auto Pressed = NewForm<TLayerForm>();
  EXPECT_EQ(PressModal(*Pressed, "BtnOK"), mrOK);
  EXPECT_EQ(Pressed->CloseQueries, 1);
}

TEST_F(FormLayer, TimersTickInsideARealMessageBox) {
  MessageBoxHook = nullptr;
  auto Form = NewForm<TLayerForm>();
  Form->Show();
  int Ticks = 0;
  bool Answered = false;
  Form->Ticker.OnTimer = [&] {
    ++Ticks;
    if (Ticks >= 3 && !Answered) {
      if (HWND Box = FindMessageBox(GetCurrentThreadId())) {
        PostMessageA(Box, WM_COMMAND, IDOK, 0);
        Answered = true;
      }
    }
  };
  Form->Ticker.SetEnabled(true);
  TWatchdog Watchdog;
  const int Answer = ShowMessageBox(Form->Handle(), "Patientez...", mkInformation);
  Watchdog.Stop();
  Form->Ticker.SetEnabled(false);
  EXPECT_FALSE(Watchdog.Fired());
  EXPECT_TRUE(Answered);
  EXPECT_GE(Ticks, 3);
  EXPECT_EQ(Answer, IDOK);
}

}  // namespace
