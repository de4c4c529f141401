#include "console/norvask_conntest_nocurl.h"

#include "console/resource.h"
#include "forms/application.h"
#include "forms/resstrings.h"
#include "rtl/datetime.h"
#include "rtl/exceptions.h"
#include "rtl/files.h"
#include "rtl/format.h"
#include "rtl/formatdatetime.h"
#include "rtl/handles.h"
#include "rtl/scopeexit.h"
#include "rtl/strings.h"
#include "shared/commonhelpers.h"
#include "shared/ftpdirs.h"
#include "shared/ftpsetup.h"

namespace {
const TFormDef Form{606, 310, fbSizeableNoIcons, 411, 256};
const char SampleFile[] = "smaple.dat";
const char Indent[] = "    ";
const COLORREF Red = RGB(255, 0, 0);
}  // namespace

TConnectionTestDlg::TConnectionTestDlg(HWND Owner) : TForm(Owner, Form), TmrAutoStart(AddTimer(100)) {
  TmrAutoStart.OnTimer = [this] { TmrAutoStartTimer(); };
}

void TConnectionTestDlg::FormCreate() {
  FContinueMode = false;
  FInProgress = false;
  FAllOk = true;
  FCurrentDest = -1;
  SetCaption(LoadStr(IDS_CT_CAPTION));
  BtnTest.SetText(LoadStr(IDS_CT_TEST));
  BtnBack.SetText(LoadStr(IDS_CT_BACK));
  BtnExit.SetText(LoadStr(IDS_CT_CONTINUE));
  FVersionInfo = std::make_unique<TVersionInfo>("", "");
  TmrAutoStart.SetEnabled(true);
}

void TConnectionTestDlg::FormDestroy() {
  Disconnect();
  DeleteSampleFile();
  FVersionInfo.reset();
}

void TConnectionTestDlg::TmrAutoStartTimer() {
  TmrAutoStart.SetEnabled(false);
  UpdateState();
  if (!FConfig) { throw Exception(LoadStr(IDS_CT_NO_CONFIG)); }
  RunTest();
}

void TConnectionTestDlg::BtnTestClick() {
  if (!FConfig) { throw Exception(LoadStr(IDS_CT_NO_CONFIG)); }
  RunTest();
}

void TConnectionTestDlg::RunTest() {
  // The report dispatches messages as it grows: no second run may start inside this one.
  if (FInProgress) { return; }
  FAllOk = true;
  FInProgress = true;
  FCurrentDest = -1;
  TScopeExit RunEnd([this] {
    FInProgress = false;
    UpdateState();
  });
  ReResult.Clear();
  UpdateState();
  Application.ProcessMessages();
  WriteParameters();
  for (int Index = 0; Index <= 1; ++Index) {
    if (FConfig->GetDestination(Index).empty()) { continue; }
    FCurrentDest = Index;
    Disconnect();
    SetupFtp(Index);
    TestDestination();
    UpdateState();
  }
}

// One destination's steps; its session and impersonation end with it, however it ends.
void TConnectionTestDlg::TestDestination() {
  TScopeExit DestinationEnd([this] { DisconnectDestination(); });
  PrepareSampleFile();
  AddLine("");
  if (!RunStep(&TConnectionTestDlg::TestConnection)) { return; }
  UpdateState();
  AddLine("");
  RunStep(&TConnectionTestDlg::TestDirectory);
  UpdateState();
  Application.ProcessMessages();
  AddLine("");
  RunStep(&TConnectionTestDlg::TestTransfer);
  UpdateState();
}

// A failed step marks the test failed and says why in red; true when it went through.
bool TConnectionTestDlg::RunStep(void (TConnectionTestDlg::*Step)()) {
  try {
    (this->*Step)();
    return true;
  } catch (const std::exception& Error) {
    FAllOk = false;
    AddErrorLine(Indent + std::string(Error.what()));
    return false;
  }
}

void TConnectionTestDlg::WriteParameters() {
  const TTransportConfig& C = *FConfig;
  auto Line = [this](UINT Label, const std::string& Value) { AddLine(Indent + LoadStr(Label) + Value); };
  AddHeaderLine(LoadStr(IDS_CT_PARAMETERS));
  AddLine(Indent + Format(LoadStr(IDS_CT_TRACKS), C.GetTrackDirectory(0)));
  Line(IDS_CT_MODE, IsFtp() ? "FTP" : "COPY");
  Line(IDS_CT_DEST, C.GetDestination(0));
  if (!C.GetDestination(1).empty()) { Line(IDS_CT_DEST2, C.GetDestination(1)); }
  Line(IDS_CT_SHOP, C.DestinationDirectory);
  Line(IsFtp() ? IDS_CT_CHAIN : IDS_CT_USER, C.Username);
  Line(IDS_CT_PASSWORD, C.Password);
  if (!IsFtp()) { return; }
  Line(IDS_CT_FTPMODE, C.PassiveMode ? "passive" : "active");
  Line(IDS_CT_FTPPORT, IntToStr(C.Port));
  if (C.ProxyType == pkNone) {
    Line(IDS_CT_PROXYTYPE, "none");
    return;
  }
  Line(IDS_CT_PROXYHOST, C.ProxyHost);
  Line(IDS_CT_PROXYPORT, IntToStr(C.ProxyPort));
  Line(IDS_CT_PROXYTYPE, ProxyTypeToText(C.ProxyType));
  Line(IDS_CT_PROXYUSER, C.ProxyUser);
  Line(IDS_CT_PROXYPASSWORD, C.ProxyPassword);
}

void TConnectionTestDlg::SetupFtp(int Index) {
  if (IsFtp()) { SetUpFtpClient(IdFTP, *FConfig, Index, 60000); }
}

void TConnectionTestDlg::TestConnection() {
  AddHeaderLine(Format(LoadStr(IsFtp() ? IDS_CT_CHECK_FTP : IDS_CT_CHECK_DEST), CurrentDestination()));
  AddLine(Indent + LoadStr(IDS_CT_CONNECTING));
  Connect();
  AppendToLastLine(Indent + LoadStr(IDS_CT_OK));
}

void TConnectionTestDlg::Connect() {
  if (IsFtp()) {
    if (!IdFTP.Connected()) { IdFTP.Connect(); }
    return;
  }
  const std::string& Account = FConfig->Username;
  if (Account.empty() || AnsiSameText(Account, ".\\LocalSystem")) { return; }
  std::string Domain, User;
  SplitDomainUser(Account, Domain, User);
  HANDLE Token = nullptr;
  if (!LogonUserA(User.c_str(), Domain.c_str(), FConfig->Password.c_str(), LOGON32_LOGON_INTERACTIVE,
                  LOGON32_PROVIDER_DEFAULT, &Token)) {
    throw Exception(Format(LoadStr(IDS_CT_LOGIN_FAILED), Account, SysErrorMessage(GetLastError())));
  }
  TObjectHandle Logon(Token);
  if (!ImpersonateLoggedOnUser(Logon.Get())) {
    throw Exception(Format(LoadStr(IDS_CT_IMPERSONATE_FAILED), Account, SysErrorMessage(GetLastError())));
  }
  FLogonToken = std::move(Logon);
}

void TConnectionTestDlg::Disconnect() {
  try {
    if (IdFTP.Connected()) { IdFTP.Quit(); }
  } catch (...) {
    IdFTP.Disconnect();
  }
  if (FLogonToken.Valid()) {
    RevertToSelf();
    FLogonToken.Reset();
  }
}

void TConnectionTestDlg::TestDirectory() {
  AddHeaderLine(Format(LoadStr(IDS_CT_CHECK_DIR), CurrentDestination()));
  AddLine(Indent + Format(LoadStr(IDS_CT_DIR_EXISTS), FConfig->DestinationDirectory));
  ForceDestinationDir();
  AppendToLastLine(Indent + LoadStr(IDS_CT_OK));
}

void TConnectionTestDlg::ForceDestinationDir() {
  const bool Ftp = IsFtp();
  const std::string Path = Ftp ? "/" + FConfig->DestinationDirectory
                               : CurrentDestination() + "\\" + FConfig->DestinationDirectory;
  const bool Made = Ftp ? ForceRemoteDir(Path, IdFTP) : ForceDirectories(Path);
  if (!Made) { throw Exception(LoadStr(IDS_CT_MKDIR_FAILED) + Path + " : " + SysErrorMessage(GetLastError())); }
}

void TConnectionTestDlg::TestTransfer() {
  AddHeaderLine(Format(LoadStr(IDS_CT_CHECK_TRANSFER), CurrentDestination()));
  if (!FSampleError.empty()) { throw Exception(FSampleError); }
  AddLine(Indent + Format(LoadStr(IDS_CT_TRANSFERRING), FSampleSize));
  TransferSampleFile();
  AppendToLastLine(Indent + LoadStr(IDS_CT_OK));
}

void TConnectionTestDlg::PrepareSampleFile() {
  FSampleError.clear();
  try {
    FSampleSize = CreateSampleFile();
  } catch (const std::exception& Error) {
    FSampleError = Error.what();
  }
}

int TConnectionTestDlg::CreateSampleFile() {
  const std::string Text =
      "This is a sample file.\r\n\r\nIt is only used to test connectivity\r\n"
      "between Transport Service and destination host.\r\n" +
      Format("The file was transferred by TS ver. %d.%d.%d. on %s", FVersionInfo->Major, FVersionInfo->Minor,
             FVersionInfo->Release, FormatDateTime("c", Now())) +
      "\r\n";
  const THandle File(CreateFileA(SampleFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!File.Valid()) { RaiseLastOSError(); }
  DWORD Written = 0;
  if (!WriteFile(File.Get(), Text.data(), static_cast<DWORD>(Text.size()), &Written, nullptr) ||
      Written != Text.size()) {
    RaiseLastOSError();
  }
  return static_cast<int>(Written);
}

void TConnectionTestDlg::TransferSampleFile() {
  if (IsFtp()) {
    IdFTP.ChangeDir("/" + FConfig->DestinationDirectory);
    IdFTP.Put(SampleFile, SampleFile);
    try {
      IdFTP.Delete(SampleFile);
    } catch (const std::exception&) {
      // The sample stays on the server; the transfer itself went through.
    }
    return;
  }
  const std::string Target = CurrentDestination() + "\\" + FConfig->DestinationDirectory + "\\" + SampleFile;
  if (!CopyFileA(SampleFile, Target.c_str(), FALSE)) { RaiseLastOSError(); }
  DeleteFileA(Target.c_str());
}

void TConnectionTestDlg::DeleteSampleFile() {
  if (FileExists(SampleFile)) { DeleteFileA(SampleFile); }
}

void TConnectionTestDlg::UpdateState() {
  const bool Idle = !FInProgress;
  BtnTest.SetEnabled(Idle);
  BtnExit.SetEnabled(Idle);
  BtnBack.SetEnabled(Idle);
  BtnTest.SetVisible(!FContinueMode);
  BtnExit.SetVisible(FContinueMode);
  BtnExit.SetText(LoadStr(FAllOk ? IDS_CT_CONTINUE : IDS_CT_CONTINUE_ERRORS));
  std::string Title = LoadStr(IDS_CT_CAPTION);
  if (FCurrentDest >= 0) { Title += ": " + CurrentDestination(); }
  Title += LoadStr(FInProgress ? IDS_CT_IN_PROGRESS : FAllOk ? IDS_CT_NO_ERRORS : IDS_CT_ERRORS);
  SetCaption(Title);
}

void TConnectionTestDlg::AddLine(const std::string& Text) {
  ReResult.AddLine(Text);
  Application.ProcessMessages();
}

void TConnectionTestDlg::AppendToLastLine(const std::string& Text) {
  ReResult.AppendToLastLine(Text);
  Application.ProcessMessages();
}

void TConnectionTestDlg::AddErrorLine(const std::string& Text) {
  ReResult.AddLine(Text, Red);
  Application.ProcessMessages();
}

void TConnectionTestDlg::AddHeaderLine(const std::string& Text) {
  ReResult.AddLine(Text, CLR_INVALID, true);
  Application.ProcessMessages();
}
