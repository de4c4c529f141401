// The generic window that watches and controls one Windows service on this PC
// or another: state and statistics, start and stop, PC choice, configuration.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "console/svcconfigdlg.h"
#include "forms/form.h"
#include "forms/imagelist.h"
#include "forms/pagecontrol.h"
#include "forms/statusbar.h"
#include "forms/stdctrls.h"
#include "rtl/handles.h"
#include "shared/pipemessages.h"

class TSvcWndBase : public TForm {
public:
  TSvcWndBase();

  // Sets the service's logon account before it is started again; nothing here.
  virtual void ChangeServiceLogon(SC_HANDLE ServiceManager);
  virtual void UpdateButtons();

  void FormCreate() override;
  void FormDestroy() override;
  void FormCloseQuery(bool& CanClose) override;
  void TmrMainTimer();
  void BtnPcClick();
  void BtnSrvStartClick();
  void BtnSrvStopClick();
  void BtnConfigureClick();
  void BtnCloseClick();
  void SbMainDrawPanel(TStatusBar& StatusBar, int Panel, HDC Canvas, const RECT& Rect);

  std::string GetPipePrefix() const;
  std::string GetPcDisplayName() const;
  void SetRemotePc(const std::string& Name);
  bool IsServiceOpen() const { return FScm.Valid() && FService.Valid(); }
  bool IsServiceRunning() const { return IsServiceOpen() && FState == SERVICE_RUNNING; }
  void SetBusy(bool Value);
  void CloseServiceHandles();
  void ClearLabels();
  void ClearStateLabels();
  void PollService();
  // Stops the service, sets its logon account and starts it again.
  void RestartService();
  void LoadSettings(const std::string& Path);
  void SaveSettings(const std::string& Path);
  void ParseCommandLine();
  void LocalizeCaptions();

  // Statistics over the service's information pipe.
  void QueryStatistics();
  void ShowStatistics();
  // The configuration flow: the service's file fetched into the local copy,
  // edited in the parameters dialog, sent back, and the service restarted.
  void ConfigureService();
  void ReceiveConfig();
  void CallGetConfig();
  // False when the configuration did not reach the service (already shown).
  bool SendConfig();
  void CallSetConfig();
  void SaveLocalConfig(const uint8_t* Data, int32_t Count);
  void LoadLocalConfig(uint8_t* Buffer, int32_t Size, int32_t& Count);
  // The local copy of the service's configuration file, beside the program.
  std::string LocalConfigPath() const;

  const std::string& RemotePc() const { return FRemotePc; }
  uint32_t State() const { return FState; }
  bool AutoConfig() const { return FAutoConfig; }
  int32_t TimeOverride() const { return FTimeOverride; }
  bool Busy() const { return FBusy; }
  std::string StatusText() const { return SbMain.PanelText(FStatusPanel); }

protected:
  void SetStatusText(const std::string& Text);
  // What each tick writes (the state, a pipe error, the cleared panel): it
  // leaves a held note in place until the note's time is up.
  void SetTickStatusText(const std::string& Text);
  // A note that the ticks leave for NoteHoldMs, so that the operator can read it.
  void HoldStatusText(const std::string& Text);
  static constexpr DWORD NoteHoldMs = 10000;
  void InvalidateLeds();
  // A step's text, painted at once: the step that follows holds up the message loop.
  void ShowProgress(const std::string& Text) {
    SetStatusText(Text);
    SbMain.Repaint();
  }
  // One transaction on a pipe of the service; the answer is in FAnswer.
  bool CallPipe(const std::string& PipeName, int32_t RequestSize, DWORD& AnswerSize);

  std::string FIniName;
  TBaseSvcConfigDlgClass FConfigDlgClass = nullptr;
  TBaseOdxConfigClass FConfigClass = nullptr;
  std::string FRemotePc;
  std::string FServiceName;
  std::string FLocalIniName;
  std::string FInfoPipe;
  std::string FControlPipe;
  TServiceHandle FScm;
  TServiceHandle FService;  // declared after FScm: closed before it
  uint32_t FState = 0;
  uint8_t FRequest[PipeBufferSize]{};
  uint8_t FAnswer[PipeBufferSize]{};
  TPipeServerStats FPipeStats{};
  TServiceStatsRecord FServiceStats{};
  int FRunningLedPanel = 1;
  int FBusyLedPanel = 3;
  int FStatusPanel = 4;
  bool FNoteHeld = false;
  DWORD FNoteHeldUntil = 0;
  bool FBusy = false;
  struct {
    bool Running = false, Busy = false;
  } FLedsShown;
  bool FAutoConfig = false;
  int32_t FTimeOverride = 0;

  using D = TSvcWndBase;
  //                                        name                   kind           parent           x    y    w    h  on click, modal result, style, options, align
  TPanel& PnHeader              = Add<D>({"PnHeader",              ckPanel,       "",               0,   0, 677,  59, nullptr, mrNone, bsNormal, coNone, alTop});
  TImage& ImgClient             = Add<D>({"ImgClient",             ckImage,       "PnHeader",      10,  10,  40,  40});
  TLabel& LabPc                 = Add<D>({"LabPc",                 ckLabel,       "PnHeader",      65,  15, 271,  21, nullptr, mrNone, bsNormal, coWordWrap});
  TLabel& StPcDisplayName       = Add<D>({"StPcDisplayName",       ckStaticText,  "PnHeader",     337,  15, 144,  21, nullptr, mrNone, bsNormal, coBold | coLargeFont});
  TButton& BtnPC                = Add<D>({"BtnPC",                 ckButton,      "PnHeader",     486,  10, 188,  31, &D::BtnPcClick});
  TStatusBar& SbMain            = Add<D>({"SbMain",                ckStatusBar,   "",               0,   0,   0,  19});
  TPanel& PnButtons             = Add<D>({"PnButtons",             ckPanel,       "",               0,   0, 677,  39, nullptr, mrNone, bsNormal, coNone, alBottom});
  TButton& BtnSrvStart          = Add<D>({"BtnSrvStart",           ckButton,      "PnButtons",      2,   4, 165,  31, &D::BtnSrvStartClick});
  TButton& BtnSrvStop           = Add<D>({"BtnSrvStop",            ckButton,      "PnButtons",    171,   4, 165,  31, &D::BtnSrvStopClick});
  TButton& BtnConfigure         = Add<D>({"BtnConfigure",          ckButton,      "PnButtons",    340,   4, 165,  31, &D::BtnConfigureClick});
  TButton& BtnClose             = Add<D>({"BtnClose",              ckButton,      "PnButtons",    508,   4, 165,  31, &D::BtnCloseClick});
  TPageControl& PgcMain         = Add<D>({"PgcMain",               ckPageControl, "",               0,   0,   0,   0, nullptr, mrNone, bsNormal, coNone, alClient});
  TTabSheet& TsHardware         = Add<D>({"TsHardware",            ckTabSheet,    "PgcMain",        0,   0,   0,   0});
  TLabel& LabLastFileOk         = Add<D>({"LabLastFileOk",         ckLabel,       "TsHardware",     6,   8, 443,  17});
  TLabel& LabLastFileOkAtVal    = Add<D>({"LabLastFileOkAtVal",    ckLabel,       "TsHardware",    42,  27, 443,  17});
  TLabel& LabLastFileOkVal      = Add<D>({"LabLastFileOkVal",      ckLabel,       "TsHardware",    42,  45, 620,  17});
  TLabel& LabLastFileBad        = Add<D>({"LabLastFileBad",        ckLabel,       "TsHardware",     6,  69, 443,  17});
  TLabel& LabLastFileBadAtVal   = Add<D>({"LabLastFileBadAtVal",   ckLabel,       "TsHardware",    42,  88, 443,  17});
  TLabel& LabLastFileBadVal     = Add<D>({"LabLastFileBadVal",     ckLabel,       "TsHardware",    42, 106, 620,  17});
  TLabel& LabLastGroup          = Add<D>({"LabLastGroup",          ckLabel,       "TsHardware",     6, 130, 443,  17});
  TLabel& LabLastGroupAtVal     = Add<D>({"LabLastGroupAtVal",     ckLabel,       "TsHardware",    42, 149, 443,  17});
  TLabel& LabLastGroupVal       = Add<D>({"LabLastGroupVal",       ckLabel,       "TsHardware",    42, 167, 620,  17});
  TLabel& LabFileCheckAt        = Add<D>({"LabFileCheckAt",        ckLabel,       "TsHardware",     6, 191, 443,  17});
  TLabel& LabNextFileCheckAtVal = Add<D>({"LabNextFileCheckAtVal", ckLabel,       "TsHardware",    42, 210, 443,  17});
  TLabel& LabLastEvtTime        = Add<D>({"LabLastEvtTime",        ckLabel,       "TsHardware",     6, 234, 443,  17});
  TLabel& LabLastEvtTimeVal     = Add<D>({"LabLastEvtTimeVal",     ckLabel,       "TsHardware",    42, 253, 443,  17});
  TLabel& LabLastEvtTextVal     = Add<D>({"LabLastEvtTextVal",     ckLabel,       "TsHardware",    42, 271, 620,  42, nullptr, mrNone, bsNormal, coWordWrap});
  TLabel& LabLastErrTime        = Add<D>({"LabLastErrTime",        ckLabel,       "TsHardware",     6, 319, 443,  17});
  TLabel& LabLastErrTimeVal     = Add<D>({"LabLastErrTimeVal",     ckLabel,       "TsHardware",    42, 338, 443,  17});
  TLabel& LabLastErrTextVal     = Add<D>({"LabLastErrTextVal",     ckLabel,       "TsHardware",    42, 356, 620,  41, nullptr, mrNone, bsNormal, coWordWrap});
  TTabSheet& TsStatistics       = Add<D>({"TsStatistics",          ckTabSheet,    "PgcMain",        0,   0,   0,   0});
  TLabel& LabVersion            = Add<D>({"LabVersion",            ckLabel,       "TsStatistics",  15,  15, 170,  17});
  TLabel& LabVersionVal         = Add<D>({"LabVersionVal",         ckLabel,       "TsStatistics", 191,  14, 218,  19, nullptr, mrNone, bsNormal, coRightAlign | coLargeFont});
  TLabel& LabStartedAt          = Add<D>({"LabStartedAt",          ckLabel,       "TsStatistics",  15,  43, 170,  17});
  TLabel& LabSartedVal          = Add<D>({"LabSartedVal",          ckLabel,       "TsStatistics", 191,  42, 218,  19, nullptr, mrNone, bsNormal, coRightAlign | coLargeFont});
  TLabel& LabConns              = Add<D>({"LabConns",              ckLabel,       "TsStatistics",  15,  71, 170,  17});
  TLabel& LabConnsVal           = Add<D>({"LabConnsVal",           ckLabel,       "TsStatistics", 191,  70, 218,  19, nullptr, mrNone, bsNormal, coRightAlign | coLargeFont});
  TLabel& LabConErrors          = Add<D>({"LabConErrors",          ckLabel,       "TsStatistics",  15,  99, 170,  17});
  TLabel& LabConErrorsVal       = Add<D>({"LabConErrorsVal",       ckLabel,       "TsStatistics", 191,  98, 218,  19, nullptr, mrNone, bsNormal, coRightAlign | coLargeFont});
  TLabel& LabReq                = Add<D>({"LabReq",                ckLabel,       "TsStatistics",  15, 127, 170,  17});
  TLabel& LabReqVal             = Add<D>({"LabReqVal",             ckLabel,       "TsStatistics", 191, 126, 218,  19, nullptr, mrNone, bsNormal, coRightAlign | coLargeFont});
  TLabel& LabReqBytes           = Add<D>({"LabReqBytes",           ckLabel,       "TsStatistics",  15, 155, 170,  17});
  TLabel& LabReqBytesVal        = Add<D>({"LabReqBytesVal",        ckLabel,       "TsStatistics", 191, 154, 218,  19, nullptr, mrNone, bsNormal, coRightAlign | coLargeFont});
  TLabel& LabAns                = Add<D>({"LabAns",                ckLabel,       "TsStatistics",  15, 183, 170,  17});
  TLabel& LabAnsVal             = Add<D>({"LabAnsVal",             ckLabel,       "TsStatistics", 191, 182, 218,  19, nullptr, mrNone, bsNormal, coRightAlign | coLargeFont});
  TLabel& LabAnsBytes           = Add<D>({"LabAnsBytes",           ckLabel,       "TsStatistics",  15, 211, 170,  17});
  TLabel& LabAnsBytesVal        = Add<D>({"LabAnsBytesVal",        ckLabel,       "TsStatistics", 191, 210, 218,  19, nullptr, mrNone, bsNormal, coRightAlign | coLargeFont});
  TLabel& LabWriteErr           = Add<D>({"LabWriteErr",           ckLabel,       "TsStatistics",  15, 239, 170,  17});
  TLabel& LabWriteErrVal        = Add<D>({"LabWriteErrVal",        ckLabel,       "TsStatistics", 191, 238, 218,  19, nullptr, mrNone, bsNormal, coRightAlign | coLargeFont});
  TTimer& TmrMain;
  TImageList ImlLed{13, 13};
};
