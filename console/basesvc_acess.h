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

  static const TControlDef<TSvcWndBase> Controls[];
  TPanel& PnHeader;
  TImage& ImgClient;
  TLabel& LabPc;
  TLabel& StPcDisplayName;
  TButton& BtnPC;
  TPageControl& PgcMain;
  TTabSheet& TsHardware;
  TLabel& LabLastFileOk;
  TLabel& LabLastFileOkAtVal;
  TLabel& LabLastFileOkVal;
  TLabel& LabLastFileBad;
  TLabel& LabLastFileBadAtVal;
  TLabel& LabLastFileBadVal;
  TLabel& LabLastGroup;
  TLabel& LabLastGroupAtVal;
  TLabel& LabLastGroupVal;
  TLabel& LabFileCheckAt;
  TLabel& LabNextFileCheckAtVal;
  TLabel& LabLastEvtTime;
  TLabel& LabLastEvtTimeVal;
  TLabel& LabLastEvtTextVal;
  TLabel& LabLastErrTime;
  TLabel& LabLastErrTimeVal;
  TLabel& LabLastErrTextVal;
  TTabSheet& TsStatistics;
  TLabel& LabVersion;
  TLabel& LabVersionVal;
  TLabel& LabStartedAt;
  TLabel& LabSartedVal;
  TLabel& LabConns;
  TLabel& LabConnsVal;
  TLabel& LabConErrors;
  TLabel& LabConErrorsVal;
  TLabel& LabReq;
  TLabel& LabReqVal;
  TLabel& LabReqBytes;
  TLabel& LabReqBytesVal;
  TLabel& LabAns;
  TLabel& LabAnsVal;
  TLabel& LabAnsBytes;
  TLabel& LabAnsBytesVal;
  TLabel& LabWriteErr;
  TLabel& LabWriteErrVal;
  TPanel& PnButtons;
  TButton& BtnSrvStart;
  TButton& BtnSrvStop;
  TButton& BtnConfigure;
  TButton& BtnClose;
  TStatusBar& SbMain;
  TTimer& TmrMain;
  TImageList ImlLed{13, 13};
};
