// The connectivity test: tries each destination of a transport configuration
// the way the service will use it (connect, make the shop folder, send a
// sample file and delete it) and writes what happens into a coloured report.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "forms/form.h"
#include "forms/richedit.h"
#include "forms/stdctrls.h"
#include "ftp/ftpclient.h"
#include "rtl/handles.h"
#include "shared/transportconfig.h"
#include "shared/versioninfo.h"

class TConnectionTestDlg : public TForm {
public:
  explicit TConnectionTestDlg(HWND Owner);

  // The caller keeps the configuration.
  void SetConfig(const TTransportConfig* Value) { FConfig = Value; }
  void SetContinueMode(bool Value) { FContinueMode = Value; }
  bool InProgress() const { return FInProgress; }
  // An FTP session or an impersonation still in force.
  bool DestinationOpen() { return IdFTP.Connected() || FLogonToken.Valid(); }

  void FormCreate() override;
  void FormDestroy() override;
  // Refused while a test runs: the report loop dispatches messages, and a
  // close honoured then would end the dialog under the running test.
  void FormCloseQuery(bool& CanClose) override { CanClose = !FInProgress; }
  void TmrAutoStartTimer();
  void BtnTestClick();

private:
  void RunTest();
  void TestDestination();
  bool RunStep(void (TConnectionTestDlg::*Step)());
  void WriteParameters();
  void SetupFtp(int Index);
  void TestConnection();
  void TestDirectory();
  void TestTransfer();
  void DisconnectDestination() { Disconnect(); }
  void Connect();
  void Disconnect();
  void ForceDestinationDir();
  int CreateSampleFile();
  void PrepareSampleFile();
  void TransferSampleFile();
  void DeleteSampleFile();
  void UpdateState();
  bool IsFtp() const { return FConfig->Transport == tkFtp; }
  const std::string& CurrentDestination() const { return FConfig->GetDestination(FCurrentDest); }

  void AddLine(const std::string& Text);
  void AppendToLastLine(const std::string& Text);
  void AddErrorLine(const std::string& Text);
  void AddHeaderLine(const std::string& Text);

  using D = TConnectionTestDlg;
  //                              name        kind          parent        x   y    w    h  on click
  TPanel& PnButtons   = Add<D>({"PnButtons",  ckPanel,      "",           0,  0,   0,  42, nullptr, mrNone, bsNormal, coNone, alBottom});
  TButton& BtnTest    = Add<D>({"BtnTest",    ckButton,     "PnButtons",  8,  9,  75,  25, &D::BtnTestClick, mrNone, bsNormal, coHidden});
  TButton& BtnBack    = Add<D>({"BtnBack",    ckButton,     "PnButtons", 91,  9, 160,  25, nullptr, mrNo});
  TButton& BtnExit    = Add<D>({"BtnExit",    ckButton,     "PnButtons", 259, 9, 160,  25, nullptr, mrOK, bsNormal, coHidden});
  TPanel& PnResult    = Add<D>({"PnResult",   ckPanel,      "",           0,  0,   0,   0, nullptr, mrNone, bsNormal, coPadded, alClient});
  TRichEdit& ReResult = Add<D>({"ReResult",   ckRichEdit,   "PnResult",   0,  0,   0,   0, nullptr, mrNone, bsNormal, coNone, alClient});
  TTimer& TmrAutoStart;
  TFtpClient IdFTP;

  std::unique_ptr<TVersionInfo> FVersionInfo;
  bool FContinueMode = false;
  bool FInProgress = false;
  bool FAllOk = true;
  const TTransportConfig* FConfig = nullptr;
  int FCurrentDest = -1;
  TObjectHandle FLogonToken;
  // The sample file is made before the copy account logs on, so that it is
  // the console user's; a failure to make it is the transfer step's failure.
  int FSampleSize = 0;
  std::string FSampleError;
};
