// Sending one file to the current destination, by FTP or by copy.
#include <windows.h>

#include "rtl/exceptions.h"
#include "rtl/files.h"
#include "rtl/format.h"
#include "rtl/scopeexit.h"
#include "rtl/strings.h"
#include "service/transportsvc.h"
#include "shared/ftpdirs.h"

bool TTransportSvc::ProcessFile(const std::string& FileName, const std::string& /*EntryParam*/, bool& Continue) {
  // A stop that is queued but not yet dispatched ends the pass as well: no file
  // is begun after it (the session is cancelled, so it could only fail).
  if (CheckUrgentControl()) {
    Continue = false;
    return false;
  }
  const TTransportConfig& C = FTransportConfig;
  if (C.LogDetailed) { Log(LogInformation, "transmission du fichier " + FileName); }

  const std::string Name = ExtractFileName(FileName);
  const std::string Parent = ExtractFileName(ExtractFileDir(FileName));
  const std::string Base = C.GetDestination(FCurrentDestination);
  // The registration request goes into the shop folder itself, every other file
  // into a folder named like the one it comes from.
  const std::string Folder = AnsiSameText(Name, "shopinfo.arg")
                                 ? C.DestinationDirectory
                                 : C.DestinationDirectory + PathSeparator() + Parent;

  bool Result = false;
  try {
    FTransferring = true;
    TScopeExit TransferEnd([&] {
      FTransferring = false;
      SetLastFile(FileName, Result, 2);
    });
    EnsureConnected();
    if (Folder != FLastRemoteFolder) {
      if (IsFtp()) {
        ForceFtpDir("/" + Folder);
      } else {
        ForceLocalDir(Base + "\\" + Folder);
      }
      FLastRemoteFolder = Folder;
    }
    if (IsFtp()) {
      PutToDestination(FileName, "/" + Folder, Name);
    } else {
      CopyToDestination(FileName, Base + "\\" + Folder, Name);
    }
    Result = true;
  } catch (const std::exception& E) {
    Log(LogError, Format("Copie impossible de %s vers %s", Name, Folder) + " : " + E.what());
    throw;
  }
  ProcessRequests(false);
  return Result;
}

void TTransportSvc::EnsureConnected() {
  if (!IsFtp()) { return; }
  if (!FTransportConfig.Connection.empty()) { DialUp(); }
  if (!IdFTP.Connected()) { IdFTP.Connect(); }
}

void TTransportSvc::ForceLocalDir(const std::string& Path) {
  if (!ForceDirectories(Path)) {
    throw Exception("Création de dossier impossible: " + Path + " : " + SysErrorMessage(GetLastError()));
  }
}

void TTransportSvc::ForceFtpDir(const std::string& Path) {
  // The client keeps its own error texts; the thread's last error is all there is here.
  if (!ForceRemoteDir(Path, IdFTP)) {
    throw Exception("Création de dossier impossible: " + Path + " : " + SysErrorMessage(GetLastError()));
  }
}

void TTransportSvc::CopyToDestination(const std::string& Source, const std::string& Folder, const std::string& Name) {
  if (!CopyFileA(Source.c_str(), (Folder + PathSeparator() + Name).c_str(), FALSE)) { RaiseLastOSError(); }
}

void TTransportSvc::PutToDestination(const std::string& Source, const std::string& Folder, const std::string& Name) {
  IdFTP.EnterDir(Folder);
  IdFTP.Put(Source, Name);
}

void TTransportSvc::Disconnect() {
  if (IdFTP.Connected()) {
    if (FTransferring) {
      try {
        IdFTP.Abort();
      } catch (...) {
        // The quit below ends the session either way.
      }
    }
    IdFTP.Quit();
  }
  if (!FTransportConfig.Connection.empty()) { HangUpAfterDelay(); }
}
