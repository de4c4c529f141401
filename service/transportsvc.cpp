#include "service/transportsvc.h"

#include <windows.h>

#include "rtl/files.h"
#include "rtl/findfile.h"
#include "rtl/format.h"
#include "rtl/strings.h"
#include "shared/commonhelpers.h"
#include "shared/ftpsetup.h"
#include "shared/transfercategories.h"

TTransportSvc::TTransportSvc() : TBaseOrdanixService("TransportSvc", "TALVIREN Transport Service") {
  FIniName = "norvask.ini";
  FInfoPipeName = "TrSvcInfo";
  FControlPipeName = "TrSvcControl";
  FLogName = "norvask.log";
  FConfig = &FTransportConfig;
  IdFTP.OnWork = [this] { TransferMoved(); };
}

bool TTransportSvc::Startup() {
  if (!TBaseOrdanixService::Startup()) { return false; }
  try {
    FStatusFiles->Clear();
    FStatusFiles->Add("trlist0.dst");
    if (!FTransportConfig.GetDestination(1).empty()) { FStatusFiles->Add("trlist1.dst"); }
    Log(LogInformation, "Copie des nouveaux fichiers du dossier vers " + DestinationText());
  } catch (...) {
    return false;
  }
  return true;
}

// A stop is never refused here, so the FTP session can be given up for good: a
// server or a line that went quiet would otherwise hold the service thread for
// the hour of the read time-out. A file that is still moving goes on to its end,
// and the stop is served after it; one that stalls for the wait hint is cut, fails
// and is sent again at the next start. Windows gives a shutdown only seconds: it
// cuts at once.
void TTransportSvc::StopRequested(DWORD Code) { IdFTP.Cancel(Code == SERVICE_CONTROL_SHUTDOWN ? 0 : WaitHint); }

// While a stop waits for a file that is still moving, the manager (and the
// console) hear of it a few times per wait hint: it is a stop going on, not a
// hung service.
void TTransportSvc::TransferMoved() {
  if (Status() != SERVICE_STOP_PENDING) { return; }
  const DWORD Now = GetTickCount();
  if (Now - FLastStopReport < WaitHint / 4) { return; }
  FLastStopReport = Now;
  ReportStatus();
}

bool TTransportSvc::Shutdown() {
  if (IsFtp()) {
    try {
      Disconnect();
    } catch (...) {
      // The service stops whatever the server or the line says.
    }
  }
  return TBaseOrdanixService::Shutdown();
}

void TTransportSvc::AfterDestination() {
  if (IsFtp()) { Disconnect(); }
}

void TTransportSvc::IsAscendingEntry(const std::string& Entry, bool& Ascending) {
  TBaseOrdanixService::IsAscendingEntry(Entry, Ascending);
  if (GetField(Entry, ';', 1) == "fif") { Ascending = true; }
}

void TTransportSvc::PrepareDestination() {
  FLastRemoteFolder.clear();
  if (!IsFtp()) { return; }
  const TTransportConfig& C = FTransportConfig;
  IdFTP.SetBinaryTransfer();
  SetUpFtpClient(IdFTP, C, FCurrentDestination, 3600000);
  if (!C.LogDetailed) { return; }
  std::string Text = Format("Connection à %s:%d avec ", IdFTP.Host, IdFTP.Port) + Quoted(IdFTP.Username) +
                     " le mot de passe " + Quoted(IdFTP.Password);
  if (C.ProxyType != pkNone) {
    Text += " " + Format("via %s:%d as ", C.ProxyHost, C.ProxyPort) + Quoted(C.ProxyUser) + " password " +
            Quoted(C.ProxyPassword) + Format(" (method %s)", ProxyTypeToText(C.ProxyType));
  }
  Log(LogInformation, Text);
}

void TTransportSvc::BuildDirectoryEntries(const std::string& TrackDirectory, TStringList& Entries) {
  if (FTransportConfig.DestinationDirectory.empty()) { return; }
  Entries.Add(TrackDirectory + ";" + "arg");
  for (const TTransferCategory& Category : TransferCategories) {
    const std::string Folder = TrackDirectory + "\\" + Category.Folder;
    if (FTransportConfig.*Category.Switch && DirectoryExists(Folder)) { Entries.Add(Folder + ";" + Category.Mask); }
  }
  RenameCorToScb(TrackDirectory + "\\" + "comptage");
}

char TTransportSvc::PathSeparator() const { return IsFtp() ? '/' : '\\'; }

std::string TTransportSvc::DestinationText() const {
  const TTransportConfig& C = FTransportConfig;
  std::string Text = C.GetDestination(0) + PathSeparator() + C.DestinationDirectory;
  if (!C.GetDestination(1).empty()) {
    Text += ", et aussi vers " + C.GetDestination(1) + PathSeparator() + C.DestinationDirectory;
  }
  return Text;
}

void TTransportSvc::RenameCorToScb(const std::string& Folder) {
  for (TFindFile Find(Folder + "\\*.cor"); Find.Found(); Find.Next()) {
    const WIN32_FIND_DATAA& Data = Find.Data();
    if (Data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) { continue; }
    const std::string Target = Folder + "\\" + AnsiLowerCase(ChangeFileExt(Data.cFileName, ".scb"));
    if (FileExists(Target)) { DeleteFileA(Target.c_str()); }
    MoveFileA((Folder + "\\" + Data.cFileName).c_str(), Target.c_str());  // tried again next cycle when it fails
  }
}
