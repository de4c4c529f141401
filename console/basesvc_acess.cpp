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

const TControlDef<TSvcWndBase> TSvcWndBase::Controls[] = {
  // name                   kind           parent           x    y    w    h  on click, modal result, style, options, align
  {"PnHeader",              ckPanel,       "",               0,   0, 677,  59, nullptr, mrNone, bsNormal, coNone, alTop},
  {"ImgClient",             ckImage,       "PnHeader",      10,  10,  40,  40},
  {"LabPc",                 ckLabel,       "PnHeader",      65,  15, 271,  21, nullptr, mrNone, bsNormal, coWordWrap},
  {"StPcDisplayName",       ckStaticText,  "PnHeader",     337,  15, 144,  21, nullptr, mrNone, bsNormal, coBold | coLargeFont},
  {"BtnPC",                 ckButton,      "PnHeader",     486,  10, 188,  31, &TSvcWndBase::BtnPcClick},
  {"SbMain",                ckStatusBar,   "",               0,   0,   0,  19},
  {"PnButtons",             ckPanel,       "",               0,   0, 677,  39, nullptr, mrNone, bsNormal, coNone, alBottom},
  {"BtnSrvStart",           ckButton,      "PnButtons",      2,   4, 165,  31, &TSvcWndBase::BtnSrvStartClick},
  {"BtnSrvStop",            ckButton,      "PnButtons",    171,   4, 165,  31, &TSvcWndBase::BtnSrvStopClick},
  {"BtnConfigure",          ckButton,      "PnButtons",    340,   4, 165,  31, &TSvcWndBase::BtnConfigureClick},
  {"BtnClose",              ckButton,      "PnButtons",    508,   4, 165,  31, &TSvcWndBase::BtnCloseClick},
  {"PgcMain",               ckPageControl, "",               0,   0,   0,   0, nullptr, mrNone, bsNormal, coNone, alClient},
  {"TsHardware",            ckTabSheet,    "PgcMain",        0,   0,   0,   0},
  {"LabLastFileOk",         ckLabel,       "TsHardware",     6,   8, 443,  17},
  {"LabLastFileOkAtVal",    ckLabel,       "TsHardware",    42,  27, 443,  17},
  {"LabLastFileOkVal",      ckLabel,       "TsHardware",    42,  45, 620,  17},
  {"LabLastFileBad",        ckLabel,       "TsHardware",     6,  69, 443,  17},
  {"LabLastFileBadAtVal",   ckLabel,       "TsHardware",    42,  88, 443,  17},
  {"LabLastFileBadVal",     ckLabel,       "TsHardware",    42, 106, 620,  17},
  {"LabLastGroup",          ckLabel,       "TsHardware",     6, 130, 443,  17},
  {"LabLastGroupAtVal",     ckLabel,       "TsHardware",    42, 149, 443,  17},
  {"LabLastGroupVal",       ckLabel,       "TsHardware",    42, 167, 620,  17},
  {"LabFileCheckAt",        ckLabel,       "TsHardware",     6, 191, 443,  17},
  {"LabNextFileCheckAtVal", ckLabel,       "TsHardware",    42, 210, 443,  17},
  {"LabLastEvtTime",        ckLabel,       "TsHardware",     6, 234, 443,  17},
  {"LabLastEvtTimeVal",     ckLabel,       "TsHardware",    42, 253, 443,  17},
  {"LabLastEvtTextVal",     ckLabel,       "TsHardware",    42, 271, 620,  42, nullptr, mrNone, bsNormal, coWordWrap},
  {"LabLastErrTime",        ckLabel,       "TsHardware",     6, 319, 443,  17},
  {"LabLastErrTimeVal",     ckLabel,       "TsHardware",    42, 338, 443,  17},
  {"LabLastErrTextVal",     ckLabel,       "TsHardware",    42, 356, 620,  41, nullptr, mrNone, bsNormal, coWordWrap},
  {"TsStatistics",          ckTabSheet,    "PgcMain",        0,   0,   0,   0},
  {"LabVersion",            ckLabel,       "TsStatistics",  15,  15, 170,  17},
  {"LabVersionVal",         ckLabel,       "TsStatistics", 191,  14, 218,  19, nullptr, mrNone, bsNormal, coRightAlign | coLargeFont},
  {"LabStartedAt",          ckLabel,       "TsStatistics",  15,  43, 170,  17},
  {"LabSartedVal",          ckLabel,       "TsStatistics", 191,  42, 218,  19, nullptr, mrNone, bsNormal, coRightAlign | coLargeFont},
  {"LabConns",              ckLabel,       "TsStatistics",  15,  71, 170,  17},
  {"LabConnsVal",           ckLabel,       "TsStatistics", 191,  70, 218,  19, nullptr, mrNone, bsNormal, coRightAlign | coLargeFont},
  {"LabConErrors",          ckLabel,       "TsStatistics",  15,  99, 170,  17},
  {"LabConErrorsVal",       ckLabel,       "TsStatistics", 191,  98, 218,  19, nullptr, mrNone, bsNormal, coRightAlign | coLargeFont},
  {"LabReq",                ckLabel,       "TsStatistics",  15, 127, 170,  17},
  {"LabReqVal",             ckLabel,       "TsStatistics", 191, 126, 218,  19, nullptr, mrNone, bsNormal, coRightAlign | coLargeFont},
  {"LabReqBytes",           ckLabel,       "TsStatistics",  15, 155, 170,  17},
  {"LabReqBytesVal",        ckLabel,       "TsStatistics", 191, 154, 218,  19, nullptr, mrNone, bsNormal, coRightAlign | coLargeFont},
  {"LabAns",                ckLabel,       "TsStatistics",  15, 183, 170,  17},
  {"LabAnsVal",             ckLabel,       "TsStatistics", 191, 182, 218,  19, nullptr, mrNone, bsNormal, coRightAlign | coLargeFont},
  {"LabAnsBytes",           ckLabel,       "TsStatistics",  15, 211, 170,  17},
  {"LabAnsBytesVal",        ckLabel,       "TsStatistics", 191, 210, 218,  19, nullptr, mrNone, bsNormal, coRightAlign | coLargeFont},
  {"LabWriteErr",           ckLabel,       "TsStatistics",  15, 239, 170,  17},
  {"LabWriteErrVal",        ckLabel,       "TsStatistics", 191, 238, 218,  19, nullptr, mrNone, bsNormal, coRightAlign | coLargeFont},
};

TSvcWndBase::TSvcWndBase()
    : PnHeader((CreateForm(MainForm, Controls), Find<TPanel>("PnHeader"))),
      ImgClient(Find<TImage>("ImgClient")),
      LabPc(Find<TLabel>("LabPc")),
      StPcDisplayName(Find<TLabel>("StPcDisplayName")),
      BtnPC(Find<TButton>("BtnPC")),
      PgcMain(Find<TPageControl>("PgcMain")),
      TsHardware(Find<TTabSheet>("TsHardware")),
      LabLastFileOk(Find<TLabel>("LabLastFileOk")),
      LabLastFileOkAtVal(Find<TLabel>("LabLastFileOkAtVal")),
      LabLastFileOkVal(Find<TLabel>("LabLastFileOkVal")),
      LabLastFileBad(Find<TLabel>("LabLastFileBad")),
      LabLastFileBadAtVal(Find<TLabel>("LabLastFileBadAtVal")),
      LabLastFileBadVal(Find<TLabel>("LabLastFileBadVal")),
      LabLastGroup(Find<TLabel>("LabLastGroup")),
      LabLastGroupAtVal(Find<TLabel>("LabLastGroupAtVal")),
      LabLastGroupVal(Find<TLabel>("LabLastGroupVal")),
      LabFileCheckAt(Find<TLabel>("LabFileCheckAt")),
      LabNextFileCheckAtVal(Find<TLabel>("LabNextFileCheckAtVal")),
      LabLastEvtTime(Find<TLabel>("LabLastEvtTime")),
      LabLastEvtTimeVal(Find<TLabel>("LabLastEvtTimeVal")),
      LabLastEvtTextVal(Find<TLabel>("LabLastEvtTextVal")),
      LabLastErrTime(Find<TLabel>("LabLastErrTime")),
      LabLastErrTimeVal(Find<TLabel>("LabLastErrTimeVal")),
      LabLastErrTextVal(Find<TLabel>("LabLastErrTextVal")),
      TsStatistics(Find<TTabSheet>("TsStatistics")),
      LabVersion(Find<TLabel>("LabVersion")),
      LabVersionVal(Find<TLabel>("LabVersionVal")),
      LabStartedAt(Find<TLabel>("LabStartedAt")),
      LabSartedVal(Find<TLabel>("LabSartedVal")),
      LabConns(Find<TLabel>("LabConns")),
      LabConnsVal(Find<TLabel>("LabConnsVal")),
      LabConErrors(Find<TLabel>("LabConErrors")),
      LabConErrorsVal(Find<TLabel>("LabConErrorsVal")),
      LabReq(Find<TLabel>("LabReq")),
      LabReqVal(Find<TLabel>("LabReqVal")),
      LabReqBytes(Find<TLabel>("LabReqBytes")),
      LabReqBytesVal(Find<TLabel>("LabReqBytesVal")),
      LabAns(Find<TLabel>("LabAns")),
      LabAnsVal(Find<TLabel>("LabAnsVal")),
      LabAnsBytes(Find<TLabel>("LabAnsBytes")),
      LabAnsBytesVal(Find<TLabel>("LabAnsBytesVal")),
      LabWriteErr(Find<TLabel>("LabWriteErr")),
      LabWriteErrVal(Find<TLabel>("LabWriteErrVal")),
      PnButtons(Find<TPanel>("PnButtons")),
      BtnSrvStart(Find<TButton>("BtnSrvStart")),
      BtnSrvStop(Find<TButton>("BtnSrvStop")),
      BtnConfigure(Find<TButton>("BtnConfigure")),
      BtnClose(Find<TButton>("BtnClose")),
      SbMain(Find<TStatusBar>("SbMain")),
      TmrMain(AddTimer(500)) {
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
