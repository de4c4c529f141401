// The transport service run in-process: started and stopped through its
// handlers, its cycle and hooks called directly, its files in a scratch folder
// that stands in for the program directory.
#pragma once
#include <string>

#include "service/transportsvc.h"
#include "shared/commonhelpers.h"
#include "support/inprocessservice.h"
#include "support/scratchdir.h"

class TTestTransportSvc : public TInProcess<TTransportSvc> {
public:
  using TTransportSvc::BuildDirectoryEntries;
  using TTransportSvc::DestinationText;
  using TTransportSvc::DialUp;
  using TTransportSvc::Disconnect;
  using TTransportSvc::FDialledEntry;
  using TTransportSvc::HangUpAfterDelay;
  using TTransportSvc::IsAscendingEntry;
  using TTransportSvc::PrepareDestination;
  using TTransportSvc::ProcessFile;

  int StatusFileCount() const { return FStatusFiles->Count(); }
  std::string StatusFile(int Index) const { return FStatusFiles->Strings(Index); }
  void SetCurrentDestination(int Index) { FCurrentDestination = Index; }
};

// A program folder with norvask.ini, a shop folder and an output folder.
class TTransportFolders {
public:
  TTransportFolders() {
    InitProgramPaths();
    AppDir = Dir.Path();
    CreateDirectoryA(Shop.c_str(), nullptr);
    CreateDirectoryA(Out.c_str(), nullptr);
  }
  // Writes norvask.ini with these lines after a [General] section.
  void WriteIni(const std::string& Lines) const;
  // Creates a file under the shop folder ("comptage/a.scb"), making its folder.
  void ShopFile(const std::string& Relative, const std::string& Text = "data") const;
  std::string Log() const;
  // Log lines without their date and time.
  std::string LogTexts() const;

  TScratchDir Dir{"transport"};
  std::string Shop = Dir.Path() + "\\shop";
  std::string Out = Dir.Path() + "\\out";
};
