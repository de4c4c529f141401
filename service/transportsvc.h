// The transport service: sends the new and changed files of every tracked
// directory's category folders to one or two destinations, by FTP or by copy.
#pragma once
#include <string>

#include "ftp/ftpclient.h"
#include "service/baseservice.h"
#include "shared/transportconfig.h"

class TTransportSvc : public TBaseOrdanixService {
public:
  TTransportSvc();

  TTransportConfig& Config() { return FTransportConfig; }

protected:
  void StopRequested(DWORD Code) override;
  bool Startup() override;
  bool Shutdown() override;
  void AfterDestination() override;
  void IsAscendingEntry(const std::string& Entry, bool& Ascending) override;
  void PrepareDestination() override;
  void BuildDirectoryEntries(const std::string& TrackDirectory, TStringList& Entries) override;
  bool ProcessFile(const std::string& FileName, const std::string& EntryParam, bool& Continue) override;

  // '/' on the FTP road, '\' on the copy road.
  char PathSeparator() const;
  std::string DestinationText() const;
  static void RenameCorToScb(const std::string& Folder);

  // The file in transfer moved: a stop that waits for it is reported as going on.
  void TransferMoved();
  void EnsureConnected();
  void DialUp();
  void HangUpAfterDelay();
  void Disconnect();
  void ForceLocalDir(const std::string& Path);
  void ForceFtpDir(const std::string& Path);
  void CopyToDestination(const std::string& Source, const std::string& Folder, const std::string& Name);
  void PutToDestination(const std::string& Source, const std::string& Folder, const std::string& Name);

  TFtpClient IdFTP;
  bool FTransferring = false;
  std::string FLastRemoteFolder;
  std::string FDialledEntry;
  DWORD FLastStopReport = 0;  // tick count of TransferMoved's last report

private:
  // Only the transport kind FTP sends by FTP; every other kind copies.
  bool IsFtp() const { return FTransportConfig.Transport == tkFtp; }

  TTransportConfig FTransportConfig;
};
