#include "console/basesvc_acess.h"

#include <cstdlib>

#include "console/resource.h"
#include "console/selectpc.h"
#include "console/servicemanager.h"
#include "console/svcctrl.h"
#include "forms/resstrings.h"
#include "forms/waitcursor.h"
#include "rtl/format.h"
#include "rtl/meminifile.h"
#include "rtl/scopeexit.h"
#include "rtl/strings.h"
#include "shared/commonhelpers.h"

namespace {
const TFormDef MainForm{677, 569, fbSizeable, 558, 468, "MS Sans Serif", 14};
// "Service" in the form's font needs 50 pixels to show whole, 5 more than
// the other text panel.
const int StatusPanelWidths[] = {50, 30, 45, 30, 0};
}  // namespace

TSvcWndBase::TSvcWndBase() : TForm(nullptr, MainForm), TmrMain(AddTimer(500)) {
  SbMain.SetPanels(std::vector<int>(std::begin(StatusPanelWidths), std::end(StatusPanelWidths)));
  SbMain.SetOwnerDraw(FRunningLedPanel);
  SbMain.SetOwnerDraw(FBusyLedPanel);
  SbMain.OnDrawPanel = [this](TStatusBar& Bar, int Panel, HDC Canvas, const RECT& Rect) {
    SbMainDrawPanel(Bar, Panel, Canvas, Rect);
  };
  ImlLed.AddLed(RGB(160, 160, 160));
  ImlLed.AddLed(RGB(0, 200, 0));
  ImgClient.SetIcon(LoadIconA(nullptr, IDI_APPLICATION));
  TmrMain.OnTimer = [this] { TmrMainTimer(); };
  TmrMain.SetEnabled(true);
}

void TSvcWndBase::FormCreate() {
  FRunningLedPanel = 1;
  FBusyLedPanel = 3;
  FStatusPanel = 4;
  FAutoConfig = false;
  FTimeOverride = 0;
  LocalizeCaptions();
  ClearLabels();
  // A descendant's names stand; the rest get the generic ones.
  if (FIniName.empty()) { FIniName = "svc_cfg.ini"; }
  if (FServiceName.empty()) { FServiceName = "ServiceSvc"; }
  if (FLocalIniName.empty()) { FLocalIniName = "cfg_local.ini"; }
  if (FInfoPipe.empty()) { FInfoPipe = "SvcInfo"; }
  if (FControlPipe.empty()) { FControlPipe = "SvcControl"; }
  if (!FConfigDlgClass) { FConfigDlgClass = &ConfigDlgClassOf<TBaseSvcConfigDlg>; }
  if (!FConfigClass) { FConfigClass = &ConfigClassOf<TBaseOdxConfig>; }
  LoadSettings(AppDir + "\\" + FIniName);
  ParseCommandLine();
}

void TSvcWndBase::LoadSettings(const std::string& Path) {
  TMemIniFile Settings(Path);
  SetRemotePc(Settings.ReadString("General", "RemotePC", ""));
  // Written back so that the file exists after start-up; a read-only program
  // folder must not keep the command line from being read.
  try {
    Settings.UpdateFile();
  } catch (const Exception&) {
  }
}

void TSvcWndBase::SaveSettings(const std::string& Path) {
  TMemIniFile Settings(Path);
  Settings.WriteString("General", "RemotePC", FRemotePc);
  Settings.UpdateFile();
}

void TSvcWndBase::ParseCommandLine() {
  for (int Index = 1; Index < __argc; ++Index) {
    const std::string Argument = __argv[Index];
    if (Argument.size() < 2 || (Argument[0] != '-' && Argument[0] != '/')) { continue; }
    const std::string Rest = AnsiUpperCase(Argument.substr(1));
    if (Rest == "CONFIG") {
      FAutoConfig = true;
    } else if (Rest.compare(0, 5, "TIME:") == 0) {
      FTimeOverride = StrToIntDef(Rest.substr(5), 60);
    }
  }
}

void TSvcWndBase::LocalizeCaptions() {
  BtnPC.SetText(LoadStr(IDS_BTNPC));
  BtnPC.SetHint(LoadStr(IDS_BTNPC_HINT));
  TsHardware.SetText(LoadStr(IDS_TSHARDWARE));
  LabLastFileOk.SetCaption(LoadStr(IDS_LASTFILEOK));
  LabLastFileBad.SetCaption(LoadStr(IDS_LASTFILEBAD));
  LabLastGroup.SetCaption(LoadStr(IDS_LASTGROUP));
  LabFileCheckAt.SetCaption(LoadStr(IDS_FILECHECKAT));
  LabLastEvtTime.SetCaption(LoadStr(IDS_LASTEVTTIME));
  LabLastErrTime.SetCaption(LoadStr(IDS_LASTERRTIME));
  TsStatistics.SetText(LoadStr(IDS_TSSTATISTICS));
  LabVersion.SetCaption(LoadStr(IDS_VERSION));
  LabStartedAt.SetCaption(LoadStr(IDS_STARTEDAT));
  LabConns.SetCaption(LoadStr(IDS_CONNS));
  LabConErrors.SetCaption(LoadStr(IDS_CONERRORS));
  LabReq.SetCaption(LoadStr(IDS_REQ));
  LabReqBytes.SetCaption(LoadStr(IDS_REQBYTES));
  LabAns.SetCaption(LoadStr(IDS_ANS));
  LabAnsBytes.SetCaption(LoadStr(IDS_ANSBYTES));
  LabWriteErr.SetCaption(LoadStr(IDS_WRITEERR));
  BtnConfigure.SetText(LoadStr(IDS_BTNCONFIGURE));
  BtnConfigure.SetHint(LoadStr(IDS_BTNCONFIGURE_HINT));
  BtnSrvStart.SetText(LoadStr(IDS_BTNSRVSTART));
  BtnSrvStart.SetHint(LoadStr(IDS_BTNSRVSTART_HINT));
  BtnSrvStop.SetText(LoadStr(IDS_BTNSRVSTOP));
  BtnSrvStop.SetHint(LoadStr(IDS_BTNSRVSTOP_HINT));
  BtnClose.SetText(LoadStr(IDS_BTNCLOSE));
  SbMain.SetPanelText(0, LoadStr(IDS_PANEL_SERVICE), true);
  SbMain.SetPanelText(2, LoadStr(IDS_PANEL_TRAITE), true);
}

std::string TSvcWndBase::GetPipePrefix() const {
  return FRemotePc.empty() ? std::string(LocalPipePrefix) : "\\\\" + FRemotePc + "\\pipe\\";
}

std::string TSvcWndBase::GetPcDisplayName() const { return FRemotePc.empty() ? LoadStr(IDS_THIS_PC) : FRemotePc; }

void TSvcWndBase::SetRemotePc(const std::string& Name) {
  FRemotePc = Name;
  StPcDisplayName.SetCaption(GetPcDisplayName());
}

void TSvcWndBase::SetStatusText(const std::string& Text) {
  FNoteHeld = false;
  SbMain.SetPanelText(FStatusPanel, Text);
}

void TSvcWndBase::SetTickStatusText(const std::string& Text) {
  if (FNoteHeld && static_cast<LONG>(GetTickCount() - FNoteHeldUntil) < 0) { return; }
  SetStatusText(Text);
}

void TSvcWndBase::HoldStatusText(const std::string& Text) {
  SetStatusText(Text);
  FNoteHeld = true;
  FNoteHeldUntil = GetTickCount() + NoteHoldMs;
}

void TSvcWndBase::SetBusy(bool Value) {
  if (Value == FBusy) { return; }
  FBusy = Value;
  InvalidateLeds();
}

void TSvcWndBase::CloseServiceHandles() {
  FState = 0;
  FService.Reset();
  FScm.Reset();
}

void TSvcWndBase::ClearLabels() {
  for (TLabel* Value : {&LabVersionVal, &LabSartedVal, &LabConnsVal, &LabConErrorsVal, &LabReqVal, &LabReqBytesVal,
                        &LabAnsVal, &LabAnsBytesVal, &LabWriteErrVal}) {
    Value->SetCaption("");
  }
  SetBusy(false);
  for (TLabel* Value : {&LabLastFileOkVal, &LabLastFileOkAtVal, &LabLastFileBadVal, &LabLastFileBadAtVal,
                        &LabLastGroupVal, &LabLastGroupAtVal, &LabLastEvtTimeVal, &LabLastEvtTextVal}) {
    Value->SetCaption("");
  }
  ClearStateLabels();
}

void TSvcWndBase::ClearStateLabels() {
  LabNextFileCheckAtVal.SetCaption("");
  LabLastErrTimeVal.SetCaption("");
  LabLastErrTextVal.SetCaption("");
}

void TSvcWndBase::TmrMainTimer() {
  PollService();
  UpdateButtons();
  if (IsServiceRunning()) { QueryStatistics(); }
  if (IsServiceRunning() && FAutoConfig) {
    FAutoConfig = false;
    ConfigureService();
  }
}

void TSvcWndBase::PollService() {
  FState = 0;
  if (!FScm.Valid()) { FScm.Reset(OpenServiceManager(FRemotePc, GENERIC_READ)); }
  if (!FScm.Valid()) {
    const DWORD Error = GetLastError();
    SetTickStatusText(Format(LoadStr(IDS_SCM_ERROR), GetPcDisplayName()) + SysErrorMessage(Error));
    InvalidateLeds();
    return;
  }
  if (!FService.Valid()) { FService.Reset(OpenServiceA(FScm.Get(), FServiceName.c_str(), SERVICE_QUERY_STATUS)); }
  if (!FService.Valid()) {
    const DWORD Error = GetLastError();
    SetTickStatusText(Format(LoadStr(IDS_SERVICE_ABSENT), GetPcDisplayName()) + SysErrorMessage(Error));
    InvalidateLeds();
    return;
  }
  SERVICE_STATUS Status{};
  if (QueryServiceStatus(FService.Get(), &Status)) {
    FState = Status.dwCurrentState;
    SetTickStatusText(ServiceStateText(FState));
  } else {
    const DWORD Error = GetLastError();
    SetTickStatusText(Format(LoadStr(IDS_SERVICE_ABSENT), GetPcDisplayName()) + SysErrorMessage(Error));
    // A service removed and installed again, or a PC that restarted, is only
    // seen through new handles: the next tick opens them.
    CloseServiceHandles();
  }
  InvalidateLeds();
}

void TSvcWndBase::UpdateButtons() {
  BtnSrvStart.SetEnabled(IsServiceOpen() && !IsServiceRunning());
  BtnSrvStop.SetEnabled(IsServiceOpen() && IsServiceRunning());
  BtnConfigure.SetEnabled(IsServiceRunning());
  InvalidateLeds();
}

// The LEDs are redrawn when what they show has changed, not at every tick.
void TSvcWndBase::InvalidateLeds() {
  if (FLedsShown.Running == IsServiceRunning() && FLedsShown.Busy == FBusy) { return; }
  FLedsShown = {IsServiceRunning(), FBusy};
  SbMain.Invalidate();
}

void TSvcWndBase::SbMainDrawPanel(TStatusBar&, int Panel, HDC Canvas, const RECT& Rect) {
  if (Panel == FRunningLedPanel) {
    ImlLed.Draw(Canvas, Rect.left, Rect.top, IsServiceRunning() ? 1 : 0);
  } else if (Panel == FBusyLedPanel) {
    ImlLed.Draw(Canvas, Rect.left, Rect.top, FBusy ? 1 : 0);
  }
}

// The timer rests while the PC dialog is open, whatever happens in it.
void TSvcWndBase::BtnPcClick() {
  TmrMain.SetEnabled(false);
  TScopeExit TimerBack([this] { TmrMain.SetEnabled(true); });
  auto Dialog = NewForm<TSelectPcDlg>(Handle());
  Dialog->SetPcName(FRemotePc);
  if (Dialog->ShowModal() == mrOK) {
    CloseServiceHandles();
    UpdateButtons();
    SetRemotePc(Dialog->PcName());
    ClearLabels();
  }
}

void TSvcWndBase::BtnCloseClick() { Close(); }

void TSvcWndBase::FormCloseQuery(bool& CanClose) {
  TmrMain.SetEnabled(false);
  CloseServiceHandles();
  CanClose = true;
}

void TSvcWndBase::FormDestroy() {
  try {
    SaveSettings(AppDir + "\\" + FIniName);
  } catch (const std::exception&) {
  }
}
